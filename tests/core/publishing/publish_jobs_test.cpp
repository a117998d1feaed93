// The publishing jobs end to end: Storage/blog.db of a seeded data root, accounts in
// config/userConfig.xml, and the loopback XML-RPC blog server.

#include "core/publishing/publish_jobs.h"

#include <stdexcept>

#include "core/accounts/account_registry.h"
#include "core/util/strings.h"
#include "publishing_fixture.h"

namespace zirvo::test {
namespace {

class PublishJobsTest : public PublishingTest {};

TEST_F(PublishJobsTest, PublishingADraftMovesItToPublishedWithTheServerId) {
    AddAccount("甲", "MetaWeblog");
    const int id = AddArticle(kBlogFolderDrafts, "甲", "草稿一");
    CPublishJobs& jobs = Jobs();
    const int job = jobs.StartPublishArticle("甲", kBlogFolderDrafts, id);
    ASSERT_GT(job, 0);
    jobs.WaitAll();

    auto sent = m_observer.EventsStartingWith("sent ");
    ASSERT_EQ(sent.size(), 1u);
    const std::string postId = Split(sent[0], ' ').back();
    EXPECT_EQ(Place("甲", id), std::make_pair(int(kBlogFolderPublished), postId));
    EXPECT_EQ(Count("甲", kBlogFolderDrafts), 0);
    EXPECT_EQ(Count("甲", kBlogFolderPublished), 1);
    // The only account: drafts 1030 lose one, published 1020 gain one.
    EXPECT_EQ(m_observer.EventsStartingWith("recount"),
              (std::vector<std::string>{"recount 1030 -1", "recount 1020 1"}));
    EXPECT_EQ(m_observer.EventsStartingWith("notice"), (std::vector<std::string>{"notice 2"}));
    EXPECT_EQ(m_observer.EventsStartingWith("changed"), (std::vector<std::string>{"changed 甲 3"}));
    EXPECT_EQ(m_observer.EventsStartingWith("status"),
              (std::vector<std::string>{StrFormat("status %d ", job) + kStatusPublishing}));
    EXPECT_EQ(m_observer.EventsStartingWith("ended"),
              (std::vector<std::string>{StrFormat("ended %d 1", job)}));

    // The article's own date travels as the post's date, in both date members.
    auto requests = RequestsFor("metaWeblog.newPost");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].find("20060501T08:30:00"), std::string::npos);
    EXPECT_NE(requests[0].find("2006-05-01 08:30:00"), std::string::npos);
    EXPECT_NE(requests[0].find("草稿一"), std::string::npos);
    EXPECT_TRUE((m_reporter.Numbers()).empty());
}

TEST_F(PublishJobsTest, PublishingFromReceivedSendsANewPostAndKeepsTheRow) {
    AddAccount("甲", "MovableType");
    const int id = AddArticle(kBlogFolderReceived, "甲", "收到的", "77");
    CPublishJobs& jobs = Jobs();
    ASSERT_GT(jobs.StartPublishArticle("甲", kBlogFolderReceived, id), 0);
    jobs.WaitAll();

    EXPECT_EQ(Place("甲", id), std::make_pair(int(kBlogFolderReceived), std::string("77")));
    EXPECT_EQ(RequestsFor("metaWeblog.newPost").size(), 1u);
    EXPECT_EQ(m_observer.EventsStartingWith("notice"), (std::vector<std::string>{"notice 2"}));
    EXPECT_TRUE((m_observer.EventsStartingWith("recount")).empty());
    EXPECT_EQ(m_observer.EventsStartingWith("ended"), (std::vector<std::string>{"ended 1 1"}));
}

TEST_F(PublishJobsTest, RefusedPublishLeavesTheStoreUnchanged) {
    AddAccount("甲", "Blogger", "/fault-int");
    const int id = AddArticle(kBlogFolderDrafts, "甲", "不会发布");
    auto before = List("甲", kBlogFolderDrafts);
    CPublishJobs& jobs = Jobs();
    ASSERT_GT(jobs.StartPublishArticle("甲", kBlogFolderDrafts, id), 0);
    jobs.WaitAll();

    auto after = List("甲", kBlogFolderDrafts);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after[0].guid, "");
    EXPECT_EQ(Count("甲", kBlogFolderPublished), 0);
    EXPECT_TRUE((m_observer.EventsStartingWith("notice")).empty());
    EXPECT_EQ(m_observer.EventsStartingWith("ended"), (std::vector<std::string>{"ended 1 0"}));
    // The client showed the server's fault.
    EXPECT_EQ(m_reporter.Numbers(), (std::vector<int>{4000}));
}

TEST_F(PublishJobsTest, BatchStopsAtTheArticleTheServerRefuses) {
    AddAccount("甲", "MetaWeblog");
    const int first = AddArticle(kBlogFolderDrafts, "甲", "一");
    const int second = AddArticle(kBlogFolderDrafts, "甲", "二");
    const int third = AddArticle(kBlogFolderDrafts, "甲", "三");
    CFaultOnNthCall http("metaWeblog.newPost", 2);
    CPublishJobs& jobs = Jobs(Fast(), &http);
    ASSERT_GT(jobs.StartPublishArticles("甲", kBlogFolderDrafts, {first, second, third}), 0);
    jobs.WaitAll();

    EXPECT_EQ(Place("甲", first).first, kBlogFolderPublished);
    EXPECT_FALSE(Place("甲", first).second.empty());
    EXPECT_EQ(Place("甲", second), std::make_pair(int(kBlogFolderDrafts), std::string()));
    EXPECT_EQ(Place("甲", third), std::make_pair(int(kBlogFolderDrafts), std::string()));
    // The third article was never sent, and no completion notice was given.
    EXPECT_EQ(RequestsFor("metaWeblog.newPost").size(), 2u);
    EXPECT_TRUE((m_observer.EventsStartingWith("notice")).empty());
    EXPECT_EQ(m_observer.EventsStartingWith("status"),
              (std::vector<std::string>{std::string("status 1 ") + kStatusPublishing,
                                        "status 1 " + PublishingNthStatus(1),
                                        "status 1 " + PublishingNthStatus(2)}));
    EXPECT_EQ(m_observer.EventsStartingWith("ended"), (std::vector<std::string>{"ended 1 0"}));
}

TEST_F(PublishJobsTest, DeletingTwoPostsMovesBothLocalCopiesToTheRecycleBin) {
    AddAccount("甲", "MetaWeblog");
    const int a = AddArticle(kBlogFolderDrafts, "甲", "一");
    const int b = AddArticle(kBlogFolderDrafts, "甲", "二");
    CPublishJobs& jobs = Jobs();
    ASSERT_GT(jobs.StartPublishArticles("甲", kBlogFolderDrafts, {a, b}), 0);
    jobs.WaitAll();
    const std::string idA = Place("甲", a).second;
    const std::string idB = Place("甲", b).second;

    ASSERT_GT(jobs.StartDeleteArticlesFromServer("甲", kBlogFolderPublished, {a, b}), 0);
    jobs.WaitAll();
    // Both go to the recycle bin with their server ids; the server has neither any more.
    EXPECT_EQ(Place("甲", a), std::make_pair(int(kBlogFolderRecycleBin), idA));
    EXPECT_EQ(Place("甲", b), std::make_pair(int(kBlogFolderRecycleBin), idB));
    auto deletes = RequestsFor("blogger.deletePost");
    ASSERT_EQ(deletes.size(), 2u);
    EXPECT_NE(deletes[0].find("<string>" + idA + "</string>"), std::string::npos);
    std::vector<PostEntry> left;
    ASSERT_EQ(Client("甲")->GetRecentPosts(10, left), 1);
    EXPECT_TRUE((left).empty());
    EXPECT_EQ(m_observer.EventsStartingWith("notice"),
              (std::vector<std::string>{"notice 2", "notice 1"}));
    EXPECT_EQ(m_observer.EventsStartingWith("status 2"),
              (std::vector<std::string>{std::string("status 2 ") + kStatusDeletingSeveral,
                                        "status 2 " + DeletingNthStatus(1),
                                        "status 2 " + DeletingNthStatus(2)}));
}

TEST_F(PublishJobsTest, DeleteTheServerRefusesKeepsTheLocalCopy) {
    AddAccount("甲", "MetaWeblog");
    const int unknown = AddArticle(kBlogFolderPublished, "甲", "服务器上没有", "4242");
    CPublishJobs& jobs = Jobs();
    // The server answers false: the post was not deleted, so the copy stays where it was.
    ASSERT_GT(jobs.StartDeleteFromServer("甲", kBlogFolderPublished, unknown, "4242"), 0);
    jobs.WaitAll();
    EXPECT_EQ(Place("甲", unknown), std::make_pair(int(kBlogFolderPublished), std::string("4242")));
    EXPECT_EQ(m_reporter.MessageBoxes(), (std::vector<std::string>{kTextServerKeptPost}));
    EXPECT_TRUE((m_observer.EventsStartingWith("notice")).empty());
    EXPECT_EQ(m_observer.EventsStartingWith("ended"), (std::vector<std::string>{"ended 1 0"}));
}

TEST_F(PublishJobsTest, DeletingOnePostSendsItsServerId) {
    AddAccount("甲", "MovableType");
    AddAccount("乙", "Blogger");
    const int id = AddArticle(kBlogFolderDrafts, "乙", "乙的文章");
    CPublishJobs& jobs = Jobs();
    ASSERT_GT(jobs.StartPublishArticle("乙", kBlogFolderDrafts, id), 0);
    jobs.WaitAll();
    const std::string postId = Place("乙", id).second;
    ASSERT_FALSE(postId.empty());

    ASSERT_GT(jobs.StartDeleteFromServer("乙", kBlogFolderPublished, id, postId), 0);
    jobs.WaitAll();
    EXPECT_EQ(Place("乙", id), std::make_pair(int(kBlogFolderRecycleBin), postId));
    // The second account's codes: published 1120, recycle bin 1140.
    auto recounts = m_observer.EventsStartingWith("recount");
    ASSERT_EQ(recounts.size(), 4u);
    EXPECT_EQ(recounts[2], "recount 1120 -1");
    EXPECT_EQ(recounts[3], "recount 1140 1");
    EXPECT_EQ(m_observer.EventsStartingWith("notice"),
              (std::vector<std::string>{"notice 2", "notice 1"}));
}

TEST_F(PublishJobsTest, ClosingCutsTheDeletePauseShortAndStopsTheBatch) {
    AddAccount("甲", "MetaWeblog");
    const int a = AddArticle(kBlogFolderDrafts, "甲", "一");
    const int b = AddArticle(kBlogFolderDrafts, "甲", "二");
    PublishTimings slow = Fast();
    slow.deletePause = std::chrono::minutes(10);
    CPublishJobs& jobs = Jobs(slow);
    ASSERT_GT(jobs.StartPublishArticles("甲", kBlogFolderDrafts, {a, b}), 0);
    jobs.WaitAll();
    ASSERT_GT(jobs.StartDeleteArticlesFromServer("甲", kBlogFolderPublished, {a, b}), 0);
    ASSERT_TRUE(m_observer.WaitFor("recount 1040 1"));
    // The worker now waits before the second article; closing must not wait for it.
    jobs.Close();
    EXPECT_EQ(Place("甲", a).first, kBlogFolderRecycleBin);
    EXPECT_EQ(Place("甲", b).first, kBlogFolderPublished);
    EXPECT_EQ(RequestsFor("blogger.deletePost").size(), 1u);
    EXPECT_EQ(jobs.StartPublishArticle("甲", kBlogFolderPublished, b), 0);
}

TEST_F(PublishJobsTest, ReceivingReplacesReceivedCopiesWithTheSameServerIds) {
    AddAccount("甲", "MetaWeblog");
    std::vector<int> drafts = {AddArticle(kBlogFolderDrafts, "甲", "一"),
                               AddArticle(kBlogFolderDrafts, "甲", "二"),
                               AddArticle(kBlogFolderDrafts, "甲", "三")};
    CPublishJobs& jobs = Jobs();
    ASSERT_GT(jobs.StartPublishArticles("甲", kBlogFolderDrafts, drafts), 0);
    jobs.WaitAll();
    const std::string firstId = Place("甲", drafts[0]).second;
    const int stale = AddArticle(kBlogFolderReceived, "甲", "旧的副本", firstId);
    const int other = AddArticle(kBlogFolderReceived, "甲", "别处的", "999");
    const int draftCopy = AddArticle(kBlogFolderDrafts, "甲", "草稿副本", firstId);

    ASSERT_EQ(m_registry.WriteAccountValue("甲", "getrecentpostsnum", "5"), 1);
    ASSERT_GT(jobs.StartReceive("甲"), 0);
    jobs.WaitAll();

    BlogArticleList received = List("甲", kBlogFolderReceived);
    std::vector<std::string> guids;
    for (const BlogArticle& article : received) {
        guids.push_back(article.guid + ":" + article.title);
        EXPECT_NE(article.id, stale);
    }
    // The server's newest first, after the copy it does not know.
    EXPECT_EQ(guids,
              (std::vector<std::string>{"999:别处的", Place("甲", drafts[2]).second + ":三",
                                        Place("甲", drafts[1]).second + ":二", firstId + ":一"}));
    EXPECT_EQ(received.back().category, "分类");
    EXPECT_EQ(received.back().pubDate, "2006-05-01 08:30:00");
    EXPECT_EQ(Place("甲", other).first, kBlogFolderReceived);
    EXPECT_EQ(Place("甲", draftCopy), std::make_pair(int(kBlogFolderDrafts), firstId));
    EXPECT_EQ(m_observer.EventsStartingWith("recount 1010"),
              (std::vector<std::string>{"recount 1010 0"}));
    EXPECT_EQ(m_observer.EventsStartingWith("changed 甲 1"),
              (std::vector<std::string>{"changed 甲 1"}));
    EXPECT_EQ(m_observer.EventsStartingWith("notice 0").size(), 1u);
    auto asks = RequestsFor("metaWeblog.getRecentPosts");
    ASSERT_EQ(asks.size(), 1u);
    EXPECT_NE(asks[0].find("<int>5</int>"), std::string::npos);
}

TEST_F(PublishJobsTest, ASecondReceiveOfTheSameAccountIsRefusedWhileOneRuns) {
    AddAccount("慢", "MovableType", "/slow/1");
    AddAccount("快", "MovableType");
    CPublishJobs& jobs = Jobs();
    const int first = jobs.StartReceive("慢");
    ASSERT_GT(first, 0);
    EXPECT_TRUE(jobs.IsReceiving("慢"));
    EXPECT_EQ(jobs.StartReceive("慢"), 0);
    EXPECT_EQ(jobs.StartReceiveCount("慢", 3), 0);
    EXPECT_GT(jobs.StartReceive("快"), 0);
    jobs.WaitAll();
    EXPECT_FALSE(jobs.IsReceiving("慢"));

    // The drop-down stores its number before it starts.
    ASSERT_GT(jobs.StartReceiveCount("慢", 3), 0);
    jobs.WaitAll();
    std::string stored;
    ASSERT_EQ(m_registry.ReadAccountValue("慢", "getrecentpostsnum", stored), 1);
    EXPECT_EQ(stored, "3");
    EXPECT_EQ(m_observer.EventsStartingWith("ended"),
              (std::vector<std::string>{"ended 2 1", "ended 1 1", "ended 3 1"}));
}

TEST_F(PublishJobsTest, ReceiveThatTheServerRefusesKeepsTheReceivedFolder) {
    AddAccount("甲", "Blogger", "/fault-i4");
    const int kept = AddArticle(kBlogFolderReceived, "甲", "原来的", "1");
    CPublishJobs& jobs = Jobs();
    ASSERT_GT(jobs.StartReceive("甲"), 0);
    jobs.WaitAll();
    EXPECT_EQ(Place("甲", kept).first, kBlogFolderReceived);
    EXPECT_EQ(Count("甲", kBlogFolderReceived), 1);
    EXPECT_TRUE((m_observer.EventsStartingWith("notice")).empty());
    EXPECT_EQ(m_reporter.Numbers(), (std::vector<int>{4000}));
}

TEST_F(PublishJobsTest, NothingStartsForAnUnknownAccountOrArticle) {
    AddAccount("甲", "MetaWeblog");
    CPublishJobs& jobs = Jobs();
    EXPECT_EQ(jobs.StartPublishArticle("无此账户", kBlogFolderDrafts, 1), 0);
    EXPECT_EQ(jobs.StartPublishArticle("甲", kBlogFolderDrafts, 12345), 0);
    EXPECT_EQ(jobs.StartReceive("无此账户"), 1);  // the worker finds out and ends quietly
    jobs.WaitAll();
    EXPECT_EQ(m_observer.EventsStartingWith("ended"), (std::vector<std::string>{"ended 1 0"}));
    EXPECT_EQ(m_observer.EventsStartingWith("started"),
              (std::vector<std::string>{"started 1 4 无此账户 -1"}));
}

TEST_F(PublishJobsTest, AnMsnSpacesAccountPublishesOverTlsWithTheTrustedCertificates) {
    CBlogServer tls(BlogServerOptions{.tls = true});
    ASSERT_TRUE(tls.Ok()) << tls.Error();
    AddAccount("空间", "MSN Spaces", "/RPC2", "GB2312", tls.Port());
    const int id = AddArticle(kBlogFolderDrafts, "空间", "安全的");
    m_caFile = CBlogServer::CertificatePath();
    CPublishJobs& jobs = Jobs();
    ASSERT_GT(jobs.StartPublishArticle("空间", kBlogFolderDrafts, id), 0);
    jobs.WaitAll();
    EXPECT_EQ(Place("空间", id).first, kBlogFolderPublished);
    ASSERT_EQ(tls.Requests().size(), 1u);
    EXPECT_NE(tls.Requests()[0].body.find("encoding=\"GB2312\""), std::string::npos);
}

TEST_F(PublishJobsTest, AnUnknownFlavourEndsTheJobWithItsMessage) {
    AddAccount("甲", "metaweblog");
    const int id = AddArticle(kBlogFolderDrafts, "甲", "一");
    CPublishJobs& jobs = Jobs();
    ASSERT_GT(jobs.StartPublishArticle("甲", kBlogFolderDrafts, id), 0);
    jobs.WaitAll();
    EXPECT_EQ(m_reporter.MessageBoxes(), (std::vector<std::string>{"无匹配的blog类型!"}));
    EXPECT_EQ(Place("甲", id).first, kBlogFolderDrafts);
    EXPECT_TRUE((m_server.Requests()).empty());
}

// Throws from every status report, as a progress window that went away might.
class CThrowingStatusObserver : public CRecordingObserver {
public:
    void OnJobStatus(int jobId, const std::string& text) override {
        CRecordingObserver::OnJobStatus(jobId, text);
        throw std::runtime_error("the progress window is gone");
    }
};

TEST_F(PublishJobsTest, AJobWhoseWorkerThrowsEndsAsAFailureAndFreesTheAccount) {
    AddAccount("甲", "MetaWeblog");
    CThrowingStatusObserver observer;
    BlogClientServices services{m_http, m_messages, CDataRoot(m_root.Path())};
    CPublishJobs jobs(PublishEnvironment{m_store, m_registry, m_config, services, observer, ""},
                      Fast());
    const int job = jobs.StartReceive("甲");
    ASSERT_GT(job, 0);
    jobs.WaitAll();
    EXPECT_EQ(observer.EventsStartingWith("ended"),
              (std::vector<std::string>{StrFormat("ended %d 0", job)}));
    EXPECT_EQ(m_reporter.MessageBoxes(), (std::vector<std::string>{"the progress window is gone"}));
    // The account is not left marked as receiving: a second receive starts.
    EXPECT_FALSE(jobs.IsReceiving("甲"));
    EXPECT_GT(jobs.StartReceive("甲"), 0);
    jobs.WaitAll();
}

TEST_F(PublishJobsTest, WorkersWriteThroughConnectionsOfTheirOwn) {
    AddAccount("甲", "MetaWeblog");
    std::vector<int> ids;
    for (int i = 0; i < 6; ++i) {
        ids.push_back(AddArticle(kBlogFolderDrafts, "甲", StrFormat("草稿%d", i)));
    }
    CPublishJobs& jobs = Jobs();
    // Six workers at once, while this thread reads through the front end's store.
    for (int id : ids) {
        ASSERT_GT(jobs.StartPublishArticle("甲", kBlogFolderDrafts, id), 0);
    }
    // The two counts are two reads, so an article may move between them: each read must
    // succeed and see no more articles than there are.
    for (int i = 0; i < 20; ++i) {
        EXPECT_LE(Count("甲", kBlogFolderDrafts), 6);
        EXPECT_LE(Count("甲", kBlogFolderPublished), 6);
    }
    jobs.WaitAll();
    EXPECT_EQ(Count("甲", kBlogFolderPublished), 6);
    EXPECT_EQ(m_observer.EventsStartingWith("ended").size(), 6u);
    for (const std::string& ended : m_observer.EventsStartingWith("ended")) {
        EXPECT_EQ(ended.back(), '1') << ended;
    }
}

}  // namespace
}  // namespace zirvo::test
