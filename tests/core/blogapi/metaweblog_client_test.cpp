#include <gtest/gtest.h>

#include <ctime>

#include "blogapi_fixture.h"
#include "core/blogapi/post_dates.h"
#include "core/blogapi/xml_rpc.h"
#include "core/util/base64.h"
#include "core/util/text_codec.h"

namespace zirvo::test {
namespace {

const std::string kMember = "/methodCall/params/param[3]/value/struct/member";

std::string Member(const std::string& name, const std::string& tail) {
    return kMember + "[name=\"" + name + "\"]/value/" + tail;
}

BlogPost SamplePost() {
    BlogPost post;
    post.title = "春天 <来了> & \"走了\"";
    post.category = "技术";
    post.description = "<p>正文 &amp; more</p>";
    post.pubDate = "2006-05-01 08:30:00";
    post.serverId = "should-not-travel";
    post.category2 = "新闻";
    post.tags = "春,天";
    post.abstract = "摘要";
    post.trackback = "http://127.0.0.1/tb";
    return post;
}

class MetaWeblogClientTest : public BlogApiTest {
protected:
    void SetUp() override { ASSERT_TRUE(m_server.Ok()) << m_server.Error(); }
    std::unique_ptr<CMetaWeblogClient> Make(const std::string& path = "/RPC2",
                                            const std::string& encoding = "UTF-8") {
        return ClientAs<CMetaWeblogClient>(Endpoint(m_server, "MetaWeblog", path, encoding));
    }
    CBlogServer m_server;
};

TEST_F(MetaWeblogClientTest, NewPostSendsEveryMemberAndReturnsTheServerId) {
    std::string postId;
    ASSERT_EQ(Make()->NewPost(SamplePost(), postId), 1)
        << testing::PrintToString(m_reporter.Numbers());
    EXPECT_EQ(postId, "1");

    RecordedRequest request = m_server.LastRequest();
    EXPECT_EQ(RequestText(request, "/methodCall/methodName"), "metaWeblog.newPost");
    EXPECT_EQ(RequestText(request, "/methodCall/params/param[1]/value/string"), "alice");
    EXPECT_EQ(RequestText(request, "/methodCall/params/param[2]/value/string"), "secret");
    EXPECT_EQ(RequestText(request, Member("title", "string")), SamplePost().title);
    EXPECT_EQ(RequestText(request, Member("categories", "array/data/value/string")), "技术");
    EXPECT_EQ(RequestText(request, Member("categories2", "array/data/value/string")), "新闻");
    EXPECT_EQ(RequestText(request, Member("description", "string")), SamplePost().description);
    EXPECT_EQ(RequestText(request, Member("tags", "string")), "春,天");
    EXPECT_EQ(RequestText(request, Member("abstract", "string")), "摘要");
    EXPECT_EQ(RequestText(request, Member("trackback", "string")), "http://127.0.0.1/tb");
    EXPECT_EQ(RequestText(request, Member("pubDate", "string")), "2006-05-01 08:30:00");
    EXPECT_EQ(RequestText(request, Member("dateCreated", "dateTime.iso8601")), "20060501T08:30:00");
    EXPECT_EQ(request.body.find("should-not-travel"), std::string::npos);
    EXPECT_TRUE(m_reporter.Numbers().empty());
}

TEST_F(MetaWeblogClientTest, ANewPostWithoutDateSendsTheCurrentLocalTimeInBothDateMembers) {
    BlogPost post = SamplePost();
    post.pubDate = "";
    std::string postId;
    ASSERT_EQ(Make()->NewPost(post, postId), 1);
    RecordedRequest request = m_server.LastRequest();
    std::string pubDate = RequestText(request, Member("pubDate", "string"));
    PostTime sent;
    ASSERT_TRUE(ParsePostDate(pubDate, sent)) << pubDate;
    EXPECT_EQ(RequestText(request, Member("dateCreated", "dateTime.iso8601")), FormatIso8601(sent));
    std::tm tm{};
    tm.tm_year = sent.year - 1900;
    tm.tm_mon = sent.month - 1;
    tm.tm_mday = sent.day;
    tm.tm_hour = sent.hour;
    tm.tm_min = sent.minute;
    tm.tm_sec = sent.second;
    tm.tm_isdst = -1;
    EXPECT_LT(std::abs(std::difftime(std::time(nullptr), std::mktime(&tm))), 300.0);
}

TEST_F(MetaWeblogClientTest, AnUnreadableDateIsReplacedByTheCurrentTime) {
    BlogPost post = SamplePost();
    post.pubDate = "next tuesday";
    std::string postId;
    ASSERT_EQ(Make()->NewPost(post, postId), 1);
    PostTime sent;
    EXPECT_TRUE(
        ParsePostDate(RequestText(m_server.LastRequest(), Member("pubDate", "string")), sent));
}

TEST_F(MetaWeblogClientTest, PostsRoundTripThroughTheServerInServerOrder) {
    auto client = Make();
    std::string first, second;
    BlogPost post = SamplePost();
    ASSERT_EQ(client->NewPost(post, first), 1);
    post.title = "第二篇";
    post.category = "生活";
    ASSERT_EQ(client->NewPost(post, second), 1);

    std::vector<PostEntry> entries;
    ASSERT_EQ(client->GetRecentPosts(5, entries), 1);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].postId, second);
    EXPECT_EQ(entries[0].title, "第二篇");
    EXPECT_EQ(entries[0].categories, "生活");
    EXPECT_EQ(entries[1].postId, first);
    EXPECT_EQ(entries[1].title, SamplePost().title);
    EXPECT_EQ(entries[1].description, SamplePost().description);
    EXPECT_EQ(entries[1].dateCreated, "20060501T08:30:00");
    EXPECT_EQ(entries[1].userId, "alice");
    EXPECT_EQ(entries[1].link, m_server.Url("/post/" + first));
    EXPECT_EQ(RequestText(m_server.LastRequest(), "/methodCall/params/param[3]/value/int"), "5");

    ASSERT_EQ(client->GetRecentPosts(1, entries), 1);
    EXPECT_EQ(entries.size(), 1u);
}

TEST_F(MetaWeblogClientTest, EditPostChangesThePostAndReportsAcceptance) {
    auto client = Make();
    std::string postId;
    ASSERT_EQ(client->NewPost(SamplePost(), postId), 1);
    int accepted = -1;
    ASSERT_EQ(client->EditPost(postId, "改过的 <标题>", "生活", "<b>新</b>", accepted), 1);
    EXPECT_EQ(accepted, 1);
    RecordedRequest request = m_server.LastRequest();
    EXPECT_EQ(RequestText(request, "/methodCall/methodName"), "metaWeblog.editPost");
    EXPECT_EQ(RequestText(request, "/methodCall/params/param[0]/value/string"), postId);

    std::vector<PostEntry> entries;
    ASSERT_EQ(client->GetRecentPosts(1, entries), 1);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].title, "改过的 <标题>");
    EXPECT_EQ(entries[0].description, "<b>新</b>");
    EXPECT_EQ(entries[0].categories, "生活");
}

TEST_F(MetaWeblogClientTest, EditingAnUnknownPostShowsTheServerFault) {
    int accepted = -1;
    EXPECT_EQ(Make()->EditPost("999", "t", "c", "d", accepted), 0);
    auto shown = m_reporter.ErrorMessages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].number, 4000);
    EXPECT_EQ(shown[0].pos, 1);
    EXPECT_NE(shown[0].description.find("提示代码: 404"), std::string::npos);
    EXPECT_NE(shown[0].description.find("文章不存在: 999"), std::string::npos);
}

TEST_F(MetaWeblogClientTest, DeletingGoesThroughTheBloggerMethod) {
    auto client = Make();
    std::string postId;
    ASSERT_EQ(client->NewPost(SamplePost(), postId), 1);
    int accepted = -1;
    ASSERT_EQ(client->DeletePost(postId, accepted), 1);
    EXPECT_EQ(accepted, 1);
    RecordedRequest request = m_server.LastRequest();
    EXPECT_EQ(RequestText(request, "/methodCall/methodName"), "blogger.deletePost");
    EXPECT_EQ(RequestText(request, "/methodCall/params/param[1]/value/string"), postId);

    // The server answers false for a post it does not have: not a failure, and no message.
    ASSERT_EQ(client->DeletePost(postId, accepted), 1);
    EXPECT_EQ(accepted, 0);
    EXPECT_TRUE(m_reporter.Numbers().empty());
}

TEST_F(MetaWeblogClientTest, ListAnswersWithoutItems) {
    std::vector<PostEntry> entries{PostEntry{}};
    // A valid empty array is an empty list.
    EXPECT_EQ(Make("/empty-array")->GetRecentPosts(5, entries), 1);
    EXPECT_TRUE(entries.empty());
    EXPECT_TRUE(m_reporter.Numbers().empty());
    // An empty answer: message 4001 and an empty list.
    EXPECT_EQ(Make("/empty")->GetRecentPosts(5, entries), 1);
    EXPECT_EQ(m_reporter.Numbers(), std::vector<int>{4001});
    // Neither a list nor a fault: the fault dialog with both texts for an unknown format.
    m_reporter.Clear();
    EXPECT_EQ(Make("/not-a-list")->GetRecentPosts(5, entries), 0);
    auto shown = m_reporter.ErrorMessages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].number, 4000);
    EXPECT_NE(shown[0].description.find("无法识别的错误代码格式！"), std::string::npos);
    EXPECT_NE(shown[0].description.find("无法识别的错误信息格式！"), std::string::npos);
}

TEST_F(MetaWeblogClientTest, AWrongPasswordIsTheServersFault) {
    BlogEndpoint account = Endpoint(m_server, "MetaWeblog");
    account.password = "wrong";
    std::string postId;
    EXPECT_EQ(ClientAs<CMetaWeblogClient>(account)->NewPost(SamplePost(), postId), 0);
    EXPECT_EQ(postId, "");
    auto shown = m_reporter.ErrorMessages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].description, FaultDescription("801", "用户名或密码错误"));
}

TEST_F(MetaWeblogClientTest, CategoriesAndSystemCategoriesComeInServerOrder) {
    auto client = Make();
    std::vector<BlogCategory> categories;
    ASSERT_EQ(client->GetCategories(categories), 1);
    ASSERT_EQ(categories.size(), 3u);
    EXPECT_EQ(categories[0].name, "技术");
    EXPECT_EQ(categories[1].name, "生活 & 随笔");
    EXPECT_EQ(categories[2].name, "<杂项>");
    EXPECT_EQ(RequestText(m_server.LastRequest(), "/methodCall/methodName"),
              "metaWeblog.getCategories");

    ASSERT_EQ(client->GetCategories2(categories), 1);
    ASSERT_EQ(categories.size(), 2u);
    EXPECT_EQ(categories[0].name, "新闻");
    EXPECT_EQ(RequestText(m_server.LastRequest(), "/methodCall/methodName"),
              "metaWeblog.getSystemCategories");
}

TEST_F(MetaWeblogClientTest, MediaUploadSendsBase64AndReturnsTheFilesAddress) {
    std::string bytes("GIF8\0\x01\xff", 7);
    std::string url;
    ASSERT_EQ(Make()->NewMediaObject("图.gif", "gif", Base64Encode(bytes), url), 1);
    EXPECT_EQ(url, m_server.Url("/media/图.gif"));
    RecordedRequest request = m_server.LastRequest();
    EXPECT_EQ(RequestText(request, Member("bits", "base64")), Base64Encode(bytes));
    EXPECT_EQ(RequestText(request, Member("type", "string")), "image/gif");

    HttpRequest get;
    get.url = url;
    HttpResponse stored = m_http.Perform(get);
    EXPECT_EQ(stored.status, 200);
    EXPECT_EQ(stored.body, bytes);
}

TEST_F(MetaWeblogClientTest, Gb2312AccountsSendGbBytesUnderTheirDeclaration) {
    auto client = Make("/RPC2", "GB2312");
    std::string postId;
    ASSERT_EQ(client->NewPost(SamplePost(), postId), 1);
    RecordedRequest request = m_server.LastRequest();
    EXPECT_TRUE(
        StartsWith(request.body, "<?xml version=\"1.0\" encoding=\"GB2312\"?><methodCall>"));
    EXPECT_NE(request.body.find(Utf8ToGb18030("春天")), std::string::npos);
    EXPECT_EQ(request.body.find("春天"), std::string::npos);
    EXPECT_EQ(RequestText(request, Member("title", "string")), SamplePost().title);

    // The server answers in GB2312 too; the text comes back as the program's own.
    std::vector<PostEntry> entries;
    ASSERT_EQ(client->GetRecentPosts(5, entries), 1);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].title, SamplePost().title);
}

TEST_F(MetaWeblogClientTest, GbAnswersWithoutDeclarationAreReadInTheAccountsEncoding) {
    auto client = Make("/RPC2", "GB2312");
    std::string postId;
    ASSERT_EQ(client->NewPost(SamplePost(), postId), 1);
    auto bare = Make("/gb-nodecl", "GB2312");
    std::vector<PostEntry> entries;
    ASSERT_EQ(bare->GetRecentPosts(5, entries), 1);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].title, SamplePost().title);
}

TEST_F(MetaWeblogClientTest, Utf8AccountsSendUtf8WhateverTheSpelling) {
    std::string postId;
    ASSERT_EQ(Make("/RPC2", "UTF-8")->NewPost(SamplePost(), postId), 1);
    EXPECT_NE(m_server.LastRequest().body.find("春天"), std::string::npos);

    // "utf-8" names UTF-8 too: GB bytes under a UTF-8 declaration would be broken text.
    ASSERT_EQ(Make("/RPC2", "utf-8")->NewPost(SamplePost(), postId), 1);
    RecordedRequest request = m_server.LastRequest();
    EXPECT_TRUE(StartsWith(request.body, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    EXPECT_NE(request.body.find("春天"), std::string::npos);
}

}  // namespace
}  // namespace zirvo::test
