#pragma once
// A seeded data root with accounts on a loopback blog server, the article store of that root,
// and CPublishJobs reporting into a recording observer.

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/accounts/account_registry.h"
#include "core/articles/blog_store.h"
#include "core/blogapi/blogger_client.h"
#include "core/config/app_config.h"
#include "core/config/error_msg_dialog.h"
#include "core/net/http_client.h"
#include "core/publishing/publish_jobs.h"
#include "core/util/reporter.h"
#include "support/blog_server.h"
#include "support/temp_dir.h"

namespace zirvo::test {

// Every observer call as one line of text, e.g. "recount 1030 -1", "notice 2", "ended 1 1".
class CRecordingObserver : public IPublishObserver {
public:
    void OnJobStarted(int jobId, PublishJobKind kind, const std::string& account, int row) override;
    void OnJobStatus(int jobId, const std::string& text) override;
    void OnTreeRecount(int treeCode, TreeCountChange change) override;
    void OnJobNotice(PublishNotice notice) override;
    void OnArticlesChanged(const std::string& account, BlogFolder folder) override;
    void OnPostSent(int jobId, const std::string& account, int articleId,
                    const std::string& postId) override;
    void OnRowStatus(int jobId, int row, const std::string& text) override;
    void OnJobEnded(int jobId, int result) override;

    std::vector<std::string> Events() const;
    // The events that start with `prefix`, in order.
    std::vector<std::string> EventsStartingWith(const std::string& prefix) const;
    // Blocks until an event starting with `prefix` has been recorded (false after 20 s).
    bool WaitFor(const std::string& prefix);

private:
    void Add(std::string event);

    mutable std::mutex m_mutex;
    std::condition_variable m_added;
    std::vector<std::string> m_events;
};

// Forwards to curl, but sends the Nth request whose body names `method` to the server's
// /fault-int path, so that one call of a batch is refused by the real server.
class CFaultOnNthCall : public IHttpClient {
public:
    CFaultOnNthCall(std::string method, int nth) : m_method(std::move(method)), m_nth(nth) {}
    HttpResponse Perform(const HttpRequest& request) override;

private:
    CCurlHttpClient m_curl;
    std::string m_method;
    int m_nth;
    std::atomic<int> m_seen{0};
};

class PublishingTest : public ::testing::Test {
protected:
    PublishingTest();
    ~PublishingTest() override;

    // Registers an account on the loopback server (or the one on `port`) at `path` of the given
    // flavour.
    void AddAccount(const std::string& name, const std::string& apiType,
                    const std::string& path = "/RPC2", const std::string& encoding = "UTF-8",
                    int port = 0);
    // A row of the store, returning its id.
    int AddArticle(int folder, const std::string& account, const std::string& title,
                   const std::string& guid = "", const std::string& date = "2006-05-01 08:30:00");
    // (folder, guid) of an article; folder 0 when it is gone.
    std::pair<int, std::string> Place(const std::string& account, int id);
    int Count(const std::string& account, int folder);
    BlogArticleList List(const std::string& account, int folder);

    // The jobs over this fixture's environment; `http` replaces curl when given.
    CPublishJobs& Jobs(PublishTimings timings = Fast(), IHttpClient* http = nullptr);
    static PublishTimings Fast() {
        return PublishTimings{std::chrono::milliseconds(0), std::chrono::milliseconds(0),
                              std::chrono::milliseconds(0), std::chrono::milliseconds(0)};
    }
    // A client of a registered account, for looking at the server's side.
    std::unique_ptr<CBloggerClient> Client(const std::string& account);
    // The bodies of the recorded requests that call `method`.
    std::vector<std::string> RequestsFor(const std::string& method) const;

    TempDir m_root{"publishing"};
    CBlogServer m_server;
    CRecordingReporter m_reporter;
    CErrorMsgDialog m_messages;
    CAppConfig m_config;
    CAccountRegistry m_registry;
    CBlogStore m_store;
    CCurlHttpClient m_http;
    CRecordingObserver m_observer;
    std::string m_caFile;  // the jobs' trusted certificates
    std::unique_ptr<CPublishJobs> m_jobs;
};

}  // namespace zirvo::test
