#pragma once
// What the blog commands of zirvo-cli share: a session over the account registry, the article
// store and the publishing jobs of the data root; naming folders and articles on the command
// line; and an observer that keeps what the jobs reported.
//
// Naming a folder: "received", "published", "drafts", "recycle" (or 1 to 4).
// Naming an article: its local id (the number `article list` prints). The id alone says which
// account and folder the article belongs to.
//
// $ZIRVO_CA_FILE, when set, names a PEM file of certificates trusted instead of the system's
// for every blog server (a blog behind a private certificate authority).
//
// Threading: the command's own (main) thread; the observer also takes calls from job workers.

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "cli_context.h"
#include "core/accounts/account_registry.h"
#include "core/articles/blog_store.h"
#include "core/blogapi/connection_settings.h"
#include "core/net/http_client.h"
#include "core/publishing/publish_jobs.h"

namespace zirvo::cli {

// Keeps what the jobs report, for the command to print once they have ended.
class CCliPublishObserver : public IPublishObserver {
public:
    struct Sent {
        std::string account;
        int articleId = 0;
        std::string postId;
    };

    void OnJobStarted(int jobId, PublishJobKind kind, const std::string& account, int row) override;
    void OnJobStatus(int jobId, const std::string& text) override;
    void OnTreeRecount(int treeCode, TreeCountChange change) override;
    void OnJobNotice(PublishNotice notice) override;
    void OnArticlesChanged(const std::string& account, BlogFolder folder) override;
    void OnPostSent(int jobId, const std::string& account, int articleId,
                    const std::string& postId) override;
    void OnRowStatus(int jobId, int row, const std::string& text) override;
    void OnEndpointMoved(int jobId, const std::string& account,
                         const std::string& address) override;
    void OnJobEnded(int jobId, int result) override;

    // 1 when job `jobId` completed; 0 when it failed or has not ended.
    int Result(int jobId) const;
    std::vector<Sent> SentPosts() const;
    std::vector<int> Notices() const;
    // The last status text of each multi-account row.
    std::map<int, std::string> RowStatus() const;

private:
    mutable std::mutex m_mutex;
    std::map<int, int> m_results;
    std::vector<Sent> m_sent;
    std::vector<int> m_notices;
    std::map<int, std::string> m_rows;
};

struct ArticleOwner {
    int id = 0;
    std::string account;
    int folder = 0;
};

class CBlogSession {
public:
    explicit CBlogSession(CliContext& context);
    ~CBlogSession();
    CBlogSession(const CBlogSession&) = delete;
    CBlogSession& operator=(const CBlogSession&) = delete;

    // Opens the article store; a CliError when it cannot be used.
    void Open();

    CliContext& Context() { return m_context; }
    CAccountRegistry& Registry() { return m_registry; }
    CBlogStore& Store() { return m_store; }
    BlogClientServices Services();
    PublishEnvironment Environment();
    // The connection of an account's client: appConfig.xml's proxy and diagnostics, and the
    // certificates of $ZIRVO_CA_FILE when it is set.
    ConnectionSettings Connection(const BlogEndpoint& endpoint);
    CPublishJobs& Jobs();
    CCliPublishObserver& Observer() { return m_observer; }

    // The account's `blogapitype`. A CliError naming the account when it is not registered; false
    // when its settings cannot be read (the registry has shown why).
    bool AccountFlavour(const std::string& account, std::string& flavour);
    // Parses article ids and finds their owners. False with `error` set (a usage error when
    // `usage` comes back true).
    bool LocateArticles(const std::vector<std::string>& ids, std::vector<ArticleOwner>& owners,
                        std::string& error, bool& usage);

private:
    CliContext& m_context;
    CAccountRegistry m_registry;
    CBlogStore m_store;
    CCurlHttpClient m_http;
    CCliPublishObserver m_observer;
    std::string m_caFile;
    std::unique_ptr<CPublishJobs> m_jobs;
};

// Locates every id; they must all be in one list (account and folder), as a selection is.
// A CliError (usage when the ids are malformed or of several lists) otherwise.
std::vector<ArticleOwner> LocateOneList(CBlogSession& session, const std::string& command,
                                        const std::vector<std::string>& ids);
std::vector<int> IdsOf(const std::vector<ArticleOwner>& owners);

// "received", "published", "drafts", "recycle" or 1 to 4; 0 for anything else.
int ParseFolder(const std::string& text);
// The command-line name of a folder code.
const char* FolderWord(int folder);

// The article as a record: id, account, folder, date, server id, category, title (and, when
// `full`, the content).
Record ArticleRecord(const BlogArticle& article, const std::string& account, int folder,
                     bool full = false);

// Reads a whole file, or standard input for "-". False with `error` set.
bool ReadInputText(const std::string& path, std::string& text, std::string& error);
// One line of standard input without its line break.
std::string ReadStdinLine();
// A password: on a terminal `prompt` goes to stderr and the typing is not echoed; from a pipe
// one line is read as it is.
std::string ReadPassword(const std::string& prompt);

// "... (see zirvo-cli COMMAND --help)" with exit code 2.
CliError BlogUsageError(const std::string& command, const std::string& text);

}  // namespace zirvo::cli
