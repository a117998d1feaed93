#include "publishing_fixture.h"

#include <chrono>

#include "core/accounts/account_endpoint.h"
#include "core/setup/seed.h"
#include "core/util/strings.h"

namespace zirvo::test {

void CRecordingObserver::Add(std::string event) {
    {
        std::lock_guard lock(m_mutex);
        m_events.push_back(std::move(event));
    }
    m_added.notify_all();
}

void CRecordingObserver::OnJobStarted(int jobId, PublishJobKind kind, const std::string& account,
                                      int row) {
    Add(StrFormat("started %d %d %s %d", jobId, static_cast<int>(kind), account.c_str(), row));
}
void CRecordingObserver::OnJobStatus(int jobId, const std::string& text) {
    Add(StrFormat("status %d ", jobId) + text);
}
void CRecordingObserver::OnTreeRecount(int treeCode, TreeCountChange change) {
    Add(StrFormat("recount %d %d", treeCode, static_cast<int>(change)));
}
void CRecordingObserver::OnJobNotice(PublishNotice notice) {
    Add(StrFormat("notice %d", static_cast<int>(notice)));
}
void CRecordingObserver::OnArticlesChanged(const std::string& account, BlogFolder folder) {
    Add("changed " + account + StrFormat(" %d", static_cast<int>(folder)));
}
void CRecordingObserver::OnPostSent(int jobId, const std::string& account, int articleId,
                                    const std::string& postId) {
    Add(StrFormat("sent %d ", jobId) + account + StrFormat(" %d ", articleId) + postId);
}
void CRecordingObserver::OnRowStatus(int jobId, int row, const std::string& text) {
    (void)jobId;
    Add(StrFormat("row %d ", row) + text);
}
void CRecordingObserver::OnJobEnded(int jobId, int result) {
    Add(StrFormat("ended %d %d", jobId, result));
}

std::vector<std::string> CRecordingObserver::Events() const {
    std::lock_guard lock(m_mutex);
    return m_events;
}

std::vector<std::string> CRecordingObserver::EventsStartingWith(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& event : Events()) {
        if (StartsWith(event, prefix)) {
            out.push_back(event);
        }
    }
    return out;
}

bool CRecordingObserver::WaitFor(const std::string& prefix) {
    std::unique_lock lock(m_mutex);
    return m_added.wait_for(lock, std::chrono::seconds(20), [&] {
        for (const std::string& event : m_events) {
            if (StartsWith(event, prefix)) {
                return true;
            }
        }
        return false;
    });
}

HttpResponse CFaultOnNthCall::Perform(const HttpRequest& request) {
    HttpRequest copy = request;
    if (request.body.find(m_method) != std::string::npos && ++m_seen == m_nth) {
        ReplaceAll(copy.url, "/RPC2", "/fault-int");
    }
    return m_curl.Perform(copy);
}

PublishingTest::PublishingTest()
    : m_messages(m_root.PathOf("ErrorMsg.xml"), m_reporter),
      m_config(m_root.PathOf("config/appConfig.xml"), m_messages),
      m_registry(m_root.PathOf("config/userConfig.xml"), m_messages),
      m_store(m_root.Path()) {
    SeedReport report;
    EXPECT_TRUE(SeedDataRoot(CDataRoot(m_root.Path()), std::string(ZIRVO_TEST_SOURCE_DIR) + "/data",
                             report))
        << report.error;
    EXPECT_TRUE(m_store.Open()) << m_store.GetLastError();
    EXPECT_TRUE(m_server.Ok()) << m_server.Error();
}

PublishingTest::~PublishingTest() {
    if (m_jobs) {
        m_jobs->Close();
    }
}

void PublishingTest::AddAccount(const std::string& name, const std::string& apiType,
                                const std::string& path, const std::string& encoding, int port) {
    NewAccount account;
    account.name = name;
    account.description = "账户 " + name;
    account.xmlrpcUrl = "http://127.0.0.1" + path;
    account.port = std::to_string(port ? port : m_server.Port());
    account.apiType = apiType;
    account.userName = m_server.Options().user;
    account.password = m_server.Options().password;
    account.blogUrl = "http://127.0.0.1/" + name;
    account.encodeType = encoding;
    ASSERT_EQ(m_registry.AddAccount(account), 1);
}

int PublishingTest::AddArticle(int folder, const std::string& account, const std::string& title,
                               const std::string& guid, const std::string& date) {
    EXPECT_TRUE(m_store.AddArticleWithGuid(folder, account, guid, title, "分类",
                                           "<p>" + title + " 正文</p>", date));
    return m_store.LastInsertId();
}

std::pair<int, std::string> PublishingTest::Place(const std::string& account, int id) {
    for (int folder = 1; folder <= 4; ++folder) {
        for (const BlogArticle& article : List(account, folder)) {
            if (article.id == id) {
                return {folder, article.guid};
            }
        }
    }
    return {0, ""};
}

int PublishingTest::Count(const std::string& account, int folder) {
    int count = -1;
    EXPECT_TRUE(m_store.CountArticles(folder, account, count));
    return count;
}

BlogArticleList PublishingTest::List(const std::string& account, int folder) {
    BlogArticleList articles;
    EXPECT_TRUE(m_store.ListArticles(folder, account, articles, 9999, 0));
    return articles;
}

CPublishJobs& PublishingTest::Jobs(PublishTimings timings, IHttpClient* http) {
    BlogClientServices services{http ? *http : m_http, m_messages, CDataRoot(m_root.Path())};
    PublishEnvironment environment{m_store, m_registry, m_config, services, m_observer, m_caFile};
    m_jobs = std::make_unique<CPublishJobs>(environment, timings);
    return *m_jobs;
}

std::unique_ptr<CBloggerClient> PublishingTest::Client(const std::string& account) {
    return CreateBlogClient(m_registry, account, m_config,
                            BlogClientServices{m_http, m_messages, CDataRoot(m_root.Path())});
}

std::vector<std::string> PublishingTest::RequestsFor(const std::string& method) const {
    std::vector<std::string> out;
    for (const RecordedRequest& request : m_server.Requests()) {
        if (request.body.find("<methodName>" + method + "</methodName>") != std::string::npos) {
            out.push_back(request.body);
        }
    }
    return out;
}

}  // namespace zirvo::test
