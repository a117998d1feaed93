#include <gtest/gtest.h>

#include "blogapi_fixture.h"
#include "core/blogapi/xml_rpc.h"
#include "core/util/files.h"

namespace zirvo::test {
namespace {

const std::string kParam = "/methodCall/params/param";

class BloggerClientTest : public BlogApiTest {
protected:
    void SetUp() override { ASSERT_TRUE(m_server.Ok()) << m_server.Error(); }
    std::unique_ptr<CBloggerClient> Make(const std::string& path = "/RPC2") {
        return Client(Endpoint(m_server, "Blogger", path));
    }
    // Removes the node at `path` from the data root's copy of a template.
    void BreakTemplate(const std::string& file, const std::string& path) {
        std::string fullPath = m_root.PathOf("Data/Templates/" + file);
        CXmlDocument doc;
        ASSERT_TRUE(doc.LoadFile(fullPath));
        XmlNode node = doc.SelectNode(path);
        ASSERT_FALSE(node.IsNull());
        node.Remove();
        ASSERT_TRUE(doc.SaveFile(fullPath));
    }
    CBlogServer m_server;
};

TEST_F(BloggerClientTest, NewPostWrapsTheDescriptionUnderThePostsOwnEscapedTitle) {
    BlogPost post;
    post.title = "Tom & Jerry <2>";
    post.description = "hello";
    std::string postId;
    ASSERT_EQ(Make()->NewPost(post, postId), 1);
    EXPECT_EQ(postId, "1");
    RecordedRequest request = m_server.LastRequest();
    EXPECT_EQ(RequestText(request, "/methodCall/methodName"), "blogger.newPost");
    EXPECT_EQ(RequestText(request, kParam + "[2]/value/string"), "alice");
    EXPECT_EQ(RequestText(request, kParam + "[3]/value/string"), "secret");
    EXPECT_EQ(RequestText(request, kParam + "[4]/value/string"),
              "<title>Tom &amp; Jerry &lt;2&gt;</title><p>hello</p>");
    // Application key, blog id and publish flag are the template's own.
    EXPECT_EQ(RequestText(request, kParam + "[0]/value/string"), "0123456789ABCDEF");
    EXPECT_EQ(RequestText(request, kParam + "[5]/value/boolean"), "1");
}

TEST_F(BloggerClientTest, EditDeleteAndRecentPostsWorkOnTheServersPosts) {
    auto client = Make();
    BlogPost post;
    post.description = "第一篇";
    std::string first, second;
    ASSERT_EQ(client->NewPost(post, first), 1);
    post.description = "第二篇 & <更多>";
    ASSERT_EQ(client->NewPost(post, second), 1);

    int accepted = -1;
    ASSERT_EQ(client->EditPost(first, "", "c", "改过", accepted), 1);
    EXPECT_EQ(accepted, 1);
    EXPECT_EQ(RequestText(m_server.LastRequest(), kParam + "[1]/value/string"), first);
    // No title, no title element.
    EXPECT_EQ(RequestText(m_server.LastRequest(), kParam + "[4]/value/string"), "<p>改过</p>");

    std::vector<PostEntry> entries;
    ASSERT_EQ(client->GetRecentPosts(10, entries), 1);
    EXPECT_EQ(RequestText(m_server.LastRequest(), kParam + "[4]/value/int"), "10");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].postId, second);
    EXPECT_EQ(entries[0].description, "<p>第二篇 & <更多></p>");
    EXPECT_EQ(entries[0].userId, "alice");
    EXPECT_EQ(entries[0].dateCreated.size(), 17u);
    EXPECT_EQ(entries[0].title, "");
    EXPECT_EQ(entries[1].description, "<p>改过</p>");

    ASSERT_EQ(client->DeletePost(first, accepted), 1);
    EXPECT_EQ(accepted, 1);
    ASSERT_EQ(client->GetRecentPosts(10, entries), 1);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].postId, second);
    EXPECT_TRUE(m_reporter.Numbers().empty());
}

TEST_F(BloggerClientTest, UsersBlogsReadsTheFirstBlogOnly) {
    std::string url, blogId, blogName;
    ASSERT_EQ(Make()->GetUsersBlogs(url, blogId, blogName), 1);
    EXPECT_EQ(url, m_server.Url("/blog/alice"));
    EXPECT_EQ(blogId, "1");
    EXPECT_EQ(blogName, "我的博客");
    EXPECT_EQ(RequestText(m_server.LastRequest(), "/methodCall/methodName"),
              "blogger.getUsersBlogs");
    EXPECT_EQ(RequestText(m_server.LastRequest(), kParam + "[1]/value/string"), "alice");
}

TEST_F(BloggerClientTest, FaultsOfEveryFormEndTheCallWithTheFaultDialog) {
    std::string url, blogId, blogName;
    std::vector<PostEntry> entries;
    EXPECT_EQ(Make("/fault-int")->GetUsersBlogs(url, blogId, blogName), 0);
    EXPECT_EQ(Make("/fault-i4")->GetRecentPosts(3, entries), 0);
    int accepted = -1;
    EXPECT_EQ(Make("/fault-nostring")->DeletePost("1", accepted), 0);
    auto shown = m_reporter.ErrorMessages();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].description, FaultDescription("801", "服务器拒绝了请求"));
    EXPECT_EQ(shown[1].description, FaultDescription("802", "服务器拒绝了请求"));
    EXPECT_EQ(shown[2].description, FaultDescription("803", "无法识别的错误信息格式！"));
    for (const auto& message : shown) {
        EXPECT_EQ(message.number, 4000);
        EXPECT_EQ(message.summary, "服务器返回的提示信息");
    }
}

TEST_F(BloggerClientTest, AnswersThatAreNotXmlFailClearly) {
    std::string postId;
    EXPECT_EQ(Make("/not-xml")->NewPost(BlogPost{}, postId), 0);
    EXPECT_EQ(Make("/empty")->NewPost(BlogPost{}, postId), 0);
    auto shown = m_reporter.ErrorMessages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].description,
              FaultDescription("无法识别的错误代码格式！", "无法识别的错误信息格式！"));
    EXPECT_EQ(shown[1].number, 4000);
}

TEST_F(BloggerClientTest, AnEmptyArrayOfRecentPostsIsAnEmptyList) {
    std::vector<PostEntry> entries;
    EXPECT_EQ(Make("/empty-array")->GetRecentPosts(5, entries), 1);
    EXPECT_TRUE(entries.empty());
    EXPECT_TRUE(m_reporter.Numbers().empty());
}

TEST_F(BloggerClientTest, ATemplateMissingANodeShowsTheBuildersNumberAndSendsNothing) {
    BreakTemplate("BLOGGER_getUsersBlogs.xml", "/methodCall/params/param[2]");
    BreakTemplate("BLOGGER_newPost.xml", "/methodCall/params/param[4]/value/string");
    BreakTemplate("BLOGGER_getRecentPosts.xml", "/methodCall/params/param[4]/value/int");
    BreakTemplate("BLOGGER_editPost.xml", "/methodCall/params/param[1]");
    BreakTemplate("BLOGGER_deletePost.xml", "/methodCall/params/param[3]");
    auto client = Make();
    std::string a, b, c;
    std::vector<PostEntry> entries;
    int accepted = 0;
    EXPECT_EQ(client->GetUsersBlogs(a, b, c), 0);
    EXPECT_EQ(client->NewPost(BlogPost{}, a), 0);
    EXPECT_EQ(client->GetRecentPosts(1, entries), 0);
    EXPECT_EQ(client->EditPost("1", "", "", "", accepted), 0);
    EXPECT_EQ(client->DeletePost("1", accepted), 0);
    EXPECT_EQ(m_reporter.Numbers(), (std::vector<int>{1001, 1002, 1003, 1004, 1005}));
    EXPECT_TRUE(m_server.Requests().empty());
}

TEST_F(BloggerClientTest, AMissingOrBrokenTemplateShows2001) {
    RemoveFile(m_root.PathOf("Data/Templates/BLOGGER_deletePost.xml"));
    m_root.WriteFile("Data/Templates/BLOGGER_newPost.xml", "<methodCall><params>");
    auto client = Make();
    int accepted = 0;
    std::string postId;
    EXPECT_EQ(client->DeletePost("1", accepted), 0);
    EXPECT_EQ(client->NewPost(BlogPost{}, postId), 0);
    EXPECT_EQ(m_reporter.Numbers(), (std::vector<int>{2001, 2001}));
    EXPECT_TRUE(m_server.Requests().empty());
}

TEST(BlogClientFactory, FlavoursAreMatchedExactly) {
    CRecordingReporter reporter;
    CErrorMsgDialog messages("/nonexistent/ErrorMsg.xml", reporter);
    CCurlHttpClient http;
    BlogClientServices services{http, messages, CDataRoot("/nonexistent")};
    BlogEndpoint account;
    auto make = [&](const std::string& type) {
        account.apiType = type;
        return CreateBlogClient(account, ConnectionSettings{}, services);
    };
    auto blogger = make("Blogger");
    ASSERT_NE(blogger, nullptr);
    EXPECT_EQ(dynamic_cast<CMetaWeblogClient*>(blogger.get()), nullptr);
    auto metaWeblog = make("MetaWeblog");
    EXPECT_NE(dynamic_cast<CMetaWeblogClient*>(metaWeblog.get()), nullptr);
    EXPECT_EQ(dynamic_cast<CMovableTypeClient*>(metaWeblog.get()), nullptr);
    EXPECT_NE(dynamic_cast<CMovableTypeClient*>(make("MovableType").get()), nullptr);
    EXPECT_NE(dynamic_cast<CMsnSpacesClient*>(make("MSN Spaces").get()), nullptr);
    EXPECT_TRUE(reporter.MessageBoxes().empty());

    EXPECT_EQ(make("metaweblog"), nullptr);
    EXPECT_EQ(make("MSNSpaces"), nullptr);
    EXPECT_EQ(make(""), nullptr);
    EXPECT_EQ(reporter.MessageBoxes(), std::vector<std::string>(3, "无匹配的blog类型!"));
}

TEST(BlogClientFactory, ANewClientCarriesTheAccountsLogin) {
    CRecordingReporter reporter;
    CErrorMsgDialog messages("/nonexistent/ErrorMsg.xml", reporter);
    CCurlHttpClient http;
    BlogEndpoint account;
    account.apiType = "MetaWeblog";
    account.userName = "张三";
    account.password = "密码";
    auto client = CreateBlogClient(account, ConnectionSettings{},
                                   BlogClientServices{http, messages, CDataRoot("/nonexistent")});
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(client->Request().userName, "张三");
    EXPECT_EQ(client->Request().password, "密码");
}

}  // namespace
}  // namespace zirvo::test
