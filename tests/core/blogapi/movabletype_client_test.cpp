#include <gtest/gtest.h>

#include "blogapi_fixture.h"

namespace zirvo::test {
namespace {

const std::string kMember = "/methodCall/params/param[3]/value/struct/member";

std::string Member(const std::string& name, const std::string& tail) {
    return kMember + "[name=\"" + name + "\"]/value/" + tail;
}

class MovableTypeClientTest : public BlogApiTest {
protected:
    void SetUp() override { ASSERT_TRUE(m_server.Ok()) << m_server.Error(); }
    std::unique_ptr<CBloggerClient> Make(const std::string& path = "/RPC2") {
        return Client(Endpoint(m_server, "MovableType", path));
    }
    CBlogServer m_server;
};

TEST_F(MovableTypeClientTest, NewPostSendsUtcDateAndLeavesTheExtensionsOut) {
    BlogPost post;
    post.title = "标题";
    post.category = "技术";
    post.description = "正文";
    post.pubDate = "2006-05-01 08:30:00";
    post.category2 = "新闻";
    post.tags = "t";
    post.abstract = "a";
    post.trackback = "http://127.0.0.1/tb";
    std::string postId;
    CTimeZoneGuard china("CST-8");  // the local time converted to UTC by the machine's zone
    ASSERT_EQ(Make()->NewPost(post, postId), 1);
    RecordedRequest request = m_server.LastRequest();
    EXPECT_EQ(RequestText(request, "/methodCall/methodName"), "metaWeblog.newPost");
    EXPECT_EQ(RequestText(request, Member("dateCreated", "dateTime.iso8601")), "20060501T00:30:00");
    EXPECT_EQ(RequestText(request, Member("pubDate", "string")), "2006-05-01 08:30:00");
    EXPECT_EQ(RequestText(request, Member("title", "string")), "标题");
    EXPECT_EQ(RequestText(request, Member("categories", "array/data/value/string")), "技术");
    EXPECT_EQ(RequestText(request, Member("categories2", "array/data/value/string")), "");
    EXPECT_EQ(RequestText(request, Member("tags", "string")), "");
    EXPECT_EQ(RequestText(request, Member("abstract", "string")), "");
    EXPECT_EQ(RequestText(request, Member("trackback", "string")), "");
}

TEST_F(MovableTypeClientTest, TheConversionToUtcCrossesDayAndYear) {
    CTimeZoneGuard china("CST-8");
    BlogPost post;
    post.pubDate = "2006-01-01 03:00:00";
    std::string postId;
    ASSERT_EQ(Make()->NewPost(post, postId), 1);
    EXPECT_EQ(RequestText(m_server.LastRequest(), Member("dateCreated", "dateTime.iso8601")),
              "20051231T19:00:00");
}

TEST_F(MovableTypeClientTest, CategoriesComeFromTheCategoryListWithIds) {
    auto* client = dynamic_cast<CMetaWeblogClient*>(Make().release());
    ASSERT_NE(client, nullptr);
    std::unique_ptr<CMetaWeblogClient> owner(client);
    std::vector<BlogCategory> categories;
    ASSERT_EQ(client->GetCategories(categories), 1);
    EXPECT_EQ(RequestText(m_server.LastRequest(), "/methodCall/methodName"), "mt.getCategoryList");
    ASSERT_EQ(categories.size(), 3u);
    EXPECT_EQ(categories[0].name, "技术");
    EXPECT_EQ(categories[0].id, "1");
    EXPECT_EQ(categories[2].name, "<杂项>");
    EXPECT_EQ(categories[2].id, "3");
}

TEST_F(MovableTypeClientTest, AnAnswerWithoutItemsIsAnEmptyListUnlessItIsAFault) {
    std::vector<PostEntry> entries;
    EXPECT_EQ(Make("/empty-array")->GetRecentPosts(5, entries), 1);
    EXPECT_EQ(Make("/not-a-list")->GetRecentPosts(5, entries), 1);
    EXPECT_TRUE(entries.empty());
    EXPECT_TRUE(m_reporter.Numbers().empty());
    EXPECT_EQ(Make("/fault-int")->GetRecentPosts(5, entries), 0);
    EXPECT_EQ(Make("/fault-i4")->GetRecentPosts(5, entries), 0);
    EXPECT_EQ(Make("/empty")->GetRecentPosts(5, entries), 1);
    EXPECT_EQ(m_reporter.Numbers(), (std::vector<int>{4000, 4000, 4001}));
}

}  // namespace
}  // namespace zirvo::test
