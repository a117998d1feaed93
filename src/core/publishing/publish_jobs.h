#pragma once
// The publishing jobs: carrying articles of the local library to an account's blog server and
// back. Each job runs on a worker thread of its own, tracked by CPublishJobs and joined when it
// closes; several jobs may run at once (a multi-account publish starts one per account).
//
// What each job does (blog calls through the account's client, store calls on the shared
// article store; every failure of a server call has been shown by the client):
//   publish one      NewPost with the article's texts and date; an article from the drafts or
//                    the recycle bin then moves to the published folder with its server id.
//                    Articles of the received and published folders are sent as new posts and
//                    their rows stay as they are.
//   publish several  the same per article in order; the first failure ends the batch, what
//                    was published stays published, and no completion notice is given.
//   delete           blogger.deletePost per article; the local copy goes to the recycle bin
//                    (a pause of a second after each one of a batch).
//   receive          the account's `getrecentpostsnum` recent posts replace the received
//                    copies with the same server ids.
// A server refusal never changes the article store. A failure of the store after the server
// took the change is silent: the server has it, the local row keeps its folder.
//
// The post sent carries the article's own date as its publication date (the fourth text of a
// BlogPost): a draft written last week is published with last week's date, and an empty date
// is sent as the time of sending.
//
// A job whose worker throws (out of memory, an observer that throws) ends as a failure: the
// text is shown through the message dialog and the observer hears OnJobEnded with 0.
//
// Threading: the Start* calls, IsReceiving, WaitAll and Close run on one front-end thread, which
// is also the only user of the environment's store. Each worker opens a connection of its own to
// the same file (SQLite's locking and the busy time-out keep them apart), so the front end
// shares nothing with the workers but values. The registry, configuration and message dialog
// are used from workers (they keep no state between calls). The workers run in a CWorkerSet.

#include <chrono>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "core/blogapi/blog_endpoint.h"
#include "core/blogapi/blog_post.h"
#include "core/publishing/multi_publish.h"
#include "core/publishing/publish_observer.h"
#include "core/util/worker_set.h"

namespace zirvo {

class CAccountRegistry;
class CAppConfig;
class CBlogStore;
class CBloggerClient;
struct BlogArticle;

// Status texts of the progress window.
inline constexpr const char* kStatusPublishing = "发布新文章...";
inline constexpr const char* kStatusDeletingOne = "正在删除文章...";
inline constexpr const char* kStatusDeletingSeveral = "正在删除...";
inline constexpr const char* kStatusReceiving = "正在获取文章...";
// "正在发布第 N 篇日志" / "正在删除第 N 篇日志", N counting from 1.
std::string PublishingNthStatus(int n);
std::string DeletingNthStatus(int n);
// Shown when the server answers a delete with false: the post is still there.
inline constexpr const char* kTextServerKeptPost = "服务器拒绝删除这篇日志!";

// The post that publishes `article`: its title, category, content and date, and its server id
// (which no flavour sends).
BlogPost PostFromArticle(const BlogArticle& article);

// What the jobs work with; every reference must outlive the CPublishJobs.
struct PublishEnvironment {
    // Opened by the front end on client.dataRoot; used by the starters on its thread only (the
    // workers open their own connection to client.dataRoot's Storage/blog.db).
    CBlogStore& store;
    CAccountRegistry& registry;
    CAppConfig& config;
    BlogClientServices client;  // HTTP, message dialog, data root of the blog clients
    IPublishObserver& observer;
    // Certificates trusted instead of the system's for every blog server (a private CA);
    // empty: the system's.
    std::string caFile;
};

// The client of a registered account with the environment's connection settings; null when the
// account cannot be read or its flavour is unknown (messages shown).
std::unique_ptr<CBloggerClient> MakeAccountClient(const PublishEnvironment& environment,
                                                  const std::string& account);

// The waits of the jobs; the defaults are those of the programs.
struct PublishTimings {
    std::chrono::milliseconds startDelay{200};    // before every job but the receive
    std::chrono::milliseconds deletePause{1000};  // after each article of a delete batch
    std::chrono::milliseconds sendStep{200};      // the multi-account status animation
    std::chrono::milliseconds sendLastStep{100};  // its last step before the client is made
};

class CPublishJobs {
public:
    explicit CPublishJobs(PublishEnvironment environment, PublishTimings timings = {});
    // Close().
    ~CPublishJobs();
    CPublishJobs(const CPublishJobs&) = delete;
    CPublishJobs& operator=(const CPublishJobs&) = delete;

    // Each starter returns the job's id (> 0), or 0 when nothing started: the account's
    // `blogapitype` cannot be read, the article cannot be loaded, or the jobs are closing.
    // `folder` is the folder of the list the command came from.
    int StartPublishArticle(const std::string& account, BlogFolder folder, int articleId);
    // The articles in list order; meant for the drafts and the recycle bin.
    int StartPublishArticles(const std::string& account, BlogFolder folder,
                             const std::vector<int>& ids);
    int StartDeleteFromServer(const std::string& account, BlogFolder folder, int articleId,
                              const std::string& serverId);
    int StartDeleteArticlesFromServer(const std::string& account, BlogFolder folder,
                                      const std::vector<int>& ids);
    // Fetches the stored number of recent posts. Refused (0) while a receive of the same
    // account runs.
    int StartReceive(const std::string& account);
    // The drop-down entries: stores `count` as `getrecentpostsnum` first (nothing starts when
    // that fails), then StartReceive.
    int StartReceiveCount(const std::string& account, int count);
    bool IsReceiving(const std::string& account) const;

    // "发布": checks the rows (refusals are shown as message boxes), reads the source account's
    // flavour (a Blogger source sends the current local time as title), then starts one job per
    // checked row in row order. The ids of the started jobs; empty when nothing started.
    std::vector<int> StartMultiPublish(const MultiPublishRequest& request);

    // Waits until every job started so far has ended.
    void WaitAll();
    // Refuses new jobs, cuts every pause short and joins every worker. Server calls in flight
    // end by themselves, or at once when the process-wide closing flag is set.
    void Close();

private:
    struct Job;

    int Launch(std::unique_ptr<Job> job);
    void Run(Job& job);
    // The end of every job, however its worker ended (once): the receive mark comes down and
    // the observer hears OnJobEnded.
    void Finish(Job& job);
    void RunPublishOne(Job& job, CBloggerClient& client);
    void RunPublishSeveral(Job& job, CBloggerClient& client);
    void RunDeleteOne(Job& job, CBloggerClient& client);
    void RunDeleteSeveral(Job& job, CBloggerClient& client);
    void RunReceive(Job& job);
    void RunMultiPublish(Job& job);

    // Sends the job's post; 1 with the server's id.
    int SendPost(Job& job, CBloggerClient& client, const BlogPost& post, int articleId,
                 std::string& postId);
    // deletePost; a false answer is shown and counts as a failure.
    int DeleteOnServer(CBloggerClient& client, const std::string& serverId);
    // The starters' read, through the front end's store.
    bool LoadArticle(int id, BlogArticle& article);
    // The account's tree code for `folder`; 0 when the account is not registered.
    int TreeCode(const std::string& account, int folder);
    std::unique_ptr<CBloggerClient> MakeClient(const std::string& account);
    // Waits `duration`; false when the jobs are closing (the wait is cut short).
    bool Pause(std::chrono::milliseconds duration);
    bool Stopping() const;

    PublishEnvironment m_env;
    PublishTimings m_timings;
    mutable std::mutex m_mutex;  // guards the two below
    int m_nextId = 1;
    std::multiset<std::string> m_receiving;
    CWorkerSet m_workers;  // last: closed (joined) before the members above go
};

}  // namespace zirvo
