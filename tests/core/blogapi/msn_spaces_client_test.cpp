#include <gtest/gtest.h>

#include "blogapi_fixture.h"

namespace zirvo::test {
namespace {

size_t IndexOfLine(const RecordedRequest& request, const std::string& line) {
    for (size_t i = 0; i < request.headerLines.size(); ++i) {
        if (request.headerLines[i] == line) {
            return i;
        }
    }
    return std::string::npos;
}

class MsnSpacesClientTest : public BlogApiTest {
protected:
    void SetUp() override { ASSERT_TRUE(m_server.Ok()) << m_server.Error(); }
    std::unique_ptr<CBloggerClient> Make(const std::string& path = "/RPC2") {
        return Client(Endpoint(m_server, "MSN Spaces", path));
    }
    CBlogServer m_server{BlogServerOptions{.tls = true}};
};

TEST_F(MsnSpacesClientTest, PostsOverTlsWithItsOwnHeaderLines) {
    BlogPost post;
    post.title = "你好";
    post.pubDate = "2006-05-01 08:30:00";
    std::string postId;
    ASSERT_EQ(Make()->NewPost(post, postId), 1) << testing::PrintToString(m_reporter.Numbers());
    EXPECT_EQ(postId, "1");
    RecordedRequest request = m_server.LastRequest();
    EXPECT_EQ(request.requestLine, "POST /RPC2 HTTP/1.0");
    size_t agent = IndexOfLine(request, "User-Agent:  zirvo");
    size_t type = IndexOfLine(request, "Content-Type: text/xml; charset=UTF-8");
    size_t language = IndexOfLine(request, "Accept-Language: zh-cn");
    ASSERT_NE(agent, std::string::npos);
    ASSERT_NE(type, std::string::npos);
    ASSERT_NE(language, std::string::npos);
    EXPECT_LT(agent, type);
    EXPECT_LT(type, language);
    // The MetaWeblog nodes, MetaWeblog dates.
    EXPECT_EQ(RequestText(request,
                          "/methodCall/params/param[3]/value/struct/member[name=\"dateCreated\"]/"
                          "value/dateTime.iso8601"),
              "20060501T08:30:00");
}

TEST_F(MsnSpacesClientTest, AlwaysSpeaksTlsEvenToAnHttpAddress) {
    BlogEndpoint account = Endpoint(m_server, "MSN Spaces");
    account.xmlrpcUrl = "http://127.0.0.1/RPC2";
    std::vector<BlogCategory> categories;
    auto client = ClientAs<CMsnSpacesClient>(account);
    ASSERT_EQ(client->GetCategories(categories), 1);
    ASSERT_EQ(categories.size(), 3u);
    EXPECT_EQ(categories[1].name, "生活 & 随笔");
}

TEST_F(MsnSpacesClientTest, TextBeforeTheMethodResponseIsCutAway) {
    auto client = Make();
    BlogPost post;
    post.title = "标题 &";
    post.category = "技术";
    post.description = "正文";
    std::string postId;
    ASSERT_EQ(client->NewPost(post, postId), 1);
    std::vector<PostEntry> entries;
    ASSERT_EQ(Make("/prefixed")->GetRecentPosts(5, entries), 1);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].title, "标题 &");
    EXPECT_EQ(entries[0].description, "正文");
    EXPECT_EQ(entries[0].categories, "技术");
    EXPECT_EQ(entries[0].postId, postId);
    EXPECT_EQ(entries[0].userId, "");
}

TEST_F(MsnSpacesClientTest, OnlyAnIntFaultCodeMakesAnEmptyListAFailure) {
    std::vector<PostEntry> entries;
    EXPECT_EQ(Make("/fault-int")->GetRecentPosts(5, entries), 0);
    EXPECT_EQ(Make("/fault-i4")->GetRecentPosts(5, entries), 1);
    EXPECT_EQ(Make("/empty-array")->GetRecentPosts(5, entries), 1);
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(m_reporter.Numbers(), std::vector<int>{4000});
}

TEST_F(MsnSpacesClientTest, ReadersTakeUntypedValuesAndRunCategoriesTogether) {
    CMsnSpacesClient client(Endpoint(m_server, "MSN Spaces"),
                            Connection(Endpoint(m_server, "MSN Spaces")), Services());
    const std::string answer =
        "<methodResponse><params><param><value><array><data>"
        "<value><struct>"
        "<member><name>title</name><value>无类型标题</value></member>"
        "<member><name>description</name><value><string>正文</string></value></member>"
        "<member><name>categories</name><value><array><data>"
        "<value>甲</value><value><string>乙</string></value></data></array></value></member>"
        "<member><name>dateCreated</name><value><dateTime.iso8601>20060501T08:30:00"
        "</dateTime.iso8601></value></member>"
        "<member><name>postid</name><value>cns!42</value></member>"
        "</struct></value>"
        "</data></array></value></param></params></methodResponse>";
    std::vector<PostEntry> entries;
    ASSERT_EQ(client.ReadPostList(answer, entries), 1);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].title, "无类型标题");
    EXPECT_EQ(entries[0].categories, "甲乙");
    EXPECT_EQ(entries[0].postId, "cns!42");
    EXPECT_EQ(entries[0].dateCreated, "20060501T08:30:00");

    std::string id;
    ASSERT_EQ(client.ReadStringResult(
                  "<methodResponse><params><param><value>cns!7</value></param></params>"
                  "</methodResponse>",
                  id),
              1);
    EXPECT_EQ(id, "cns!7");
}

}  // namespace
}  // namespace zirvo::test
