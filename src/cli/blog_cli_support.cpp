#include "blog_cli_support.h"

#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "core/blogapi/blog_transport.h"
#include "core/util/files.h"
#include "core/util/strings.h"
#include "feed_cli_support.h"

namespace zirvo::cli {

void CCliPublishObserver::OnJobStarted(int, PublishJobKind, const std::string&, int) {}
void CCliPublishObserver::OnJobStatus(int, const std::string&) {}
void CCliPublishObserver::OnTreeRecount(int, TreeCountChange) {}
void CCliPublishObserver::OnArticlesChanged(const std::string&, BlogFolder) {}

void CCliPublishObserver::OnJobNotice(PublishNotice notice) {
    std::lock_guard lock(m_mutex);
    m_notices.push_back(notice);
}

void CCliPublishObserver::OnPostSent(int, const std::string& account, int articleId,
                                     const std::string& postId) {
    std::lock_guard lock(m_mutex);
    m_sent.push_back(Sent{account, articleId, postId});
}

void CCliPublishObserver::OnRowStatus(int, int row, const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_rows[row] = text;
}

void CCliPublishObserver::OnEndpointMoved(int, const std::string& account,
                                          const std::string& address) {
    std::fprintf(stderr, "zirvo-cli: %s: %s\n", account.c_str(),
                 EndpointMovedText(address).c_str());
}

void CCliPublishObserver::OnJobEnded(int jobId, int result) {
    std::lock_guard lock(m_mutex);
    m_results[jobId] = result;
}

int CCliPublishObserver::Result(int jobId) const {
    std::lock_guard lock(m_mutex);
    auto it = m_results.find(jobId);
    return it == m_results.end() ? 0 : it->second;
}

std::vector<CCliPublishObserver::Sent> CCliPublishObserver::SentPosts() const {
    std::lock_guard lock(m_mutex);
    return m_sent;
}

std::vector<int> CCliPublishObserver::Notices() const {
    std::lock_guard lock(m_mutex);
    return m_notices;
}

std::map<int, std::string> CCliPublishObserver::RowStatus() const {
    std::lock_guard lock(m_mutex);
    return m_rows;
}

CBlogSession::CBlogSession(CliContext& context)
    : m_context(context),
      m_registry(context.root.UserConfigPath(), context.messages),
      m_store(context.root.Dir()) {
    if (const char* caFile = std::getenv("ZIRVO_CA_FILE")) {
        m_caFile = caFile;
    }
}

CBlogSession::~CBlogSession() {
    if (m_jobs) {
        m_jobs->Close();
    }
}

void CBlogSession::Open() {
    if (!m_store.Open()) {
        throw CliError("cannot open the article store: " + m_store.GetLastError());
    }
}

BlogClientServices CBlogSession::Services() {
    return BlogClientServices{m_http, m_context.messages, m_context.root};
}

PublishEnvironment CBlogSession::Environment() {
    return PublishEnvironment{m_store,    m_registry, m_context.appConfig,
                              Services(), m_observer, m_caFile};
}

ConnectionSettings CBlogSession::Connection(const BlogEndpoint& endpoint) {
    ConnectionSettings connection = LoadConnectionSettings(endpoint, m_context.appConfig, true);
    if (!m_caFile.empty()) {
        connection.caFile = m_caFile;
    }
    return connection;
}

CPublishJobs& CBlogSession::Jobs() {
    if (!m_jobs) {
        m_jobs = std::make_unique<CPublishJobs>(Environment());
    }
    return *m_jobs;
}

bool CBlogSession::AccountFlavour(const std::string& account, std::string& flavour) {
    std::vector<std::string> names;
    if (m_registry.ListAccountNames(names) &&
        std::find(names.begin(), names.end(), account) == names.end()) {
        throw CliError("no account '" + account + "'");
    }
    return m_registry.ReadAccountValue(account, "blogapitype", flavour) != 0;
}

bool CBlogSession::LocateArticles(const std::vector<std::string>& ids,
                                  std::vector<ArticleOwner>& owners, std::string& error,
                                  bool& usage) {
    usage = false;
    if (ids.empty()) {
        error = "name at least one article id";
        usage = true;
        return false;
    }
    for (const std::string& text : ids) {
        ArticleOwner owner;
        if (!ParsePositive(text, owner.id)) {
            error = "\"" + text + "\" is not an article id";
            usage = true;
            return false;
        }
        bool found = false;
        if (!m_store.FindArticleOwner(owner.id, owner.account, owner.folder, found)) {
            error = "cannot read the article store: " + m_store.GetLastError();
            return false;
        }
        if (!found) {
            error = std::string(kNoSuchArticleText) + ": " + text;
            return false;
        }
        owners.push_back(owner);
    }
    return true;
}

std::vector<ArticleOwner> LocateOneList(CBlogSession& session, const std::string& command,
                                        const std::vector<std::string>& ids) {
    std::vector<ArticleOwner> owners;
    std::string error;
    bool usage = false;
    if (!session.LocateArticles(ids, owners, error, usage)) {
        if (usage) {
            throw BlogUsageError(command, error);
        }
        throw CliError(error);
    }
    for (const ArticleOwner& owner : owners) {
        if (owner.account != owners[0].account || owner.folder != owners[0].folder) {
            throw BlogUsageError(command, "the articles must be of one account and one folder");
        }
    }
    return owners;
}

std::vector<int> IdsOf(const std::vector<ArticleOwner>& owners) {
    std::vector<int> ids;
    for (const ArticleOwner& owner : owners) {
        ids.push_back(owner.id);
    }
    return ids;
}

int ParseFolder(const std::string& text) {
    static const char* const kWords[] = {"received", "published", "drafts", "recycle"};
    for (int folder = kBlogFolderReceived; folder <= kBlogFolderRecycleBin; ++folder) {
        if (text == kWords[folder - 1] || text == std::to_string(folder)) {
            return folder;
        }
    }
    return 0;
}

const char* FolderWord(int folder) {
    switch (folder) {
        case kBlogFolderReceived:
            return "received";
        case kBlogFolderPublished:
            return "published";
        case kBlogFolderDrafts:
            return "drafts";
        case kBlogFolderRecycleBin:
            return "recycle";
        default:
            return "";
    }
}

Record ArticleRecord(const BlogArticle& article, const std::string& account, int folder,
                     bool full) {
    Record record = {
        {"id", std::to_string(article.id)}, {"account", account},
        {"folder", FolderWord(folder)},     {"date", article.pubDate},
        {"server_id", article.guid},        {"category", article.category},
        {"title", article.title},
    };
    if (full) {
        record.push_back({"content", article.content});
    }
    return record;
}

bool ReadInputText(const std::string& path, std::string& text, std::string& error) {
    if (path == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        return true;
    }
    if (!ReadFileBytes(path, text)) {
        error = "cannot read " + path;
        return false;
    }
    return true;
}

std::string ReadPassword(const std::string& prompt) {
    if (!isatty(STDIN_FILENO)) {
        return ReadStdinLine();
    }
    // Echo goes off before the prompt shows, and nothing typed ahead is thrown away.
    termios saved{};
    const bool quiet = tcgetattr(STDIN_FILENO, &saved) == 0;
    if (quiet) {
        termios silent = saved;
        silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        silent.c_lflag |= ECHONL;
        tcsetattr(STDIN_FILENO, TCSANOW, &silent);
    }
    std::fputs(prompt.c_str(), stderr);
    std::fflush(stderr);
    const std::string password = ReadStdinLine();
    if (quiet) {
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    } else {
        std::fputs("\n", stderr);
    }
    return password;
}

std::string ReadStdinLine() {
    std::string line;
    std::getline(std::cin, line);
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

CliError BlogUsageError(const std::string& command, const std::string& text) {
    return CliError::Usage(text + " (see zirvo-cli " + command + " --help)");
}

}  // namespace zirvo::cli
