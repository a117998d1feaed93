// The publishing jobs against servers shaped like real blog software: what reaches the article
// store when ids come untyped or as numbers, when a server confirms with "true", when it sends
// more posts than asked for, when it answers a publish without an id, and when it moved.

#include "core/blogapi/blog_transport.h"
#include "core/publishing/publish_jobs.h"
#include "core/publishing/remote_edit.h"
#include "core/util/strings.h"
#include "publishing_fixture.h"

namespace zirvo::test {
namespace {

class RealServerJobsTest : public PublishingTest {};

TEST_F(RealServerJobsTest, PostsFetchedFromAWordPressShapedServerKeepTitlesAndIds) {
    CBlogServer wordpress(BlogServerOptions{.wordpress = true, .seedPosts = 4});
    ASSERT_TRUE(wordpress.Ok()) << wordpress.Error();
    AddAccount("甲", "MetaWeblog", "/all-posts", "UTF-8", wordpress.Port());
    CPublishJobs& jobs = Jobs();
    // The server sends every post it has; the folder keeps the three asked for.
    ASSERT_GT(jobs.StartReceiveCount("甲", 3), 0);
    jobs.WaitAll();
    BlogArticleList received = List("甲", kBlogFolderReceived);
    ASSERT_EQ(received.size(), 3u);
    std::vector<std::string> titles, ids;
    for (const BlogArticle& article : received) {
        titles.push_back(article.title);
        ids.push_back(article.guid);
        EXPECT_EQ(article.category, "技术");
        EXPECT_EQ(article.content, "<p>正文 " + article.guid + "</p>");
    }
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<std::string>{"2", "3", "4"}));
    EXPECT_EQ(std::count(titles.begin(), titles.end(), "第4篇"), 1);

    // A delete the server confirms with "true" moves the local copy to the recycle bin, and the
    // id it sends is the post's.
    const BlogArticle& first = received.front();
    ASSERT_GT(jobs.StartDeleteFromServer("甲", kBlogFolderReceived, first.id, first.guid), 0);
    jobs.WaitAll();
    EXPECT_EQ(Place("甲", first.id), std::make_pair(int(kBlogFolderRecycleBin), first.guid));
    EXPECT_NE(wordpress.LastRequest().body.find("<string>" + first.guid + "</string>"),
              std::string::npos);
    EXPECT_TRUE(m_reporter.MessageBoxes().empty());
    EXPECT_TRUE(m_reporter.Numbers().empty());
}

TEST_F(RealServerJobsTest, APublishAnsweredWithoutAnIdLeavesTheArticleWhereItWas) {
    AddAccount("甲", "MetaWeblog", "/empty-id");
    const int id = AddArticle(kBlogFolderDrafts, "甲", "草稿");
    CPublishJobs& jobs = Jobs();
    const int job = jobs.StartPublishArticle("甲", kBlogFolderDrafts, id);
    ASSERT_GT(job, 0);
    jobs.WaitAll();
    EXPECT_EQ(Place("甲", id), std::make_pair(int(kBlogFolderDrafts), std::string()));
    EXPECT_TRUE(m_observer.EventsStartingWith("notice").empty());
    EXPECT_TRUE(m_observer.EventsStartingWith("sent").empty());
    EXPECT_EQ(m_observer.EventsStartingWith("ended"),
              (std::vector<std::string>{StrFormat("ended %d 0", job)}));
    EXPECT_EQ(m_reporter.MessageBoxes(), std::vector<std::string>{kTextNoPostId});
}

TEST_F(RealServerJobsTest, AnArticleWithoutServerIdIsNotDeletedOnTheServer) {
    AddAccount("甲", "MetaWeblog");
    const int id = AddArticle(kBlogFolderReceived, "甲", "没有编号", "");
    CPublishJobs& jobs = Jobs();
    const int job = jobs.StartDeleteFromServer("甲", kBlogFolderReceived, id, "");
    ASSERT_GT(job, 0);
    jobs.WaitAll();
    EXPECT_TRUE(RequestsFor("blogger.deletePost").empty());
    EXPECT_EQ(Place("甲", id), std::make_pair(int(kBlogFolderReceived), std::string()));
    EXPECT_EQ(m_reporter.MessageBoxes(), std::vector<std::string>{kTextNoServerId});
    EXPECT_EQ(m_observer.EventsStartingWith("ended"),
              (std::vector<std::string>{StrFormat("ended %d 0", job)}));
}

TEST_F(RealServerJobsTest, AMovedEndpointIsFollowedAndSaidOncePerJob) {
    CBlogServer moved(
        BlogServerOptions{.redirectTo = m_server.Url("/RPC2"), .redirectStatus = 308});
    ASSERT_TRUE(moved.Ok()) << moved.Error();
    AddAccount("甲", "MetaWeblog", "/RPC2", "UTF-8", moved.Port());
    const int a = AddArticle(kBlogFolderDrafts, "甲", "一");
    const int b = AddArticle(kBlogFolderDrafts, "甲", "二");
    CPublishJobs& jobs = Jobs();
    const int job = jobs.StartPublishArticles("甲", kBlogFolderDrafts, {a, b});
    ASSERT_GT(job, 0);
    jobs.WaitAll();
    EXPECT_EQ(Place("甲", a).first, int(kBlogFolderPublished));
    EXPECT_EQ(Place("甲", b).first, int(kBlogFolderPublished));
    EXPECT_EQ(RequestsFor("metaWeblog.newPost").size(), 2u);
    const std::string notice =
        StrFormat("status %d ", job) + EndpointMovedText(m_server.Url("/RPC2"));
    auto statuses = m_observer.EventsStartingWith(StrFormat("status %d ", job));
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), notice), 1);
    EXPECT_TRUE(m_reporter.Numbers().empty());
}

}  // namespace
}  // namespace zirvo::test
