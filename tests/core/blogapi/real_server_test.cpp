// The blog clients against servers that answer in the shapes real blog software uses (WordPress
// first of all): untyped values, numeric ids, categories without a title, true/false booleans,
// endpoints that moved, answers over the size cap, and code-page requests with characters the
// code page lacks.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "blogapi_fixture.h"
#include "core/blogapi/blog_transport.h"
#include "core/blogapi/editor_calls.h"
#include "core/blogapi/post_dates.h"
#include "core/blogapi/xml_rpc.h"
#include "core/util/text_codec.h"

namespace zirvo::test {
namespace {

const std::string kMember = "/methodCall/params/param[3]/value/struct/member";

std::string Member(const std::string& name, const std::string& tail) {
    return kMember + "[name=\"" + name + "\"]/value/" + tail;
}

BlogPost Post(const std::string& title) {
    BlogPost post;
    post.title = title;
    post.category = "技术";
    post.description = "<p>正文</p>";
    post.pubDate = "2006-05-01 08:30:00";
    return post;
}

class RealServerTest : public BlogApiTest {
protected:
    template <class T>
    std::unique_ptr<T> On(const CBlogServer& server, const std::string& apiType,
                          const std::string& path = "/RPC2",
                          const std::string& encoding = "UTF-8") {
        EXPECT_TRUE(server.Ok()) << server.Error();
        return ClientAs<T>(Endpoint(server, apiType, path, encoding));
    }
};

// ---- answer shapes ---------------------------------------------------------------------------

TEST_F(RealServerTest, UntypedValuesAndIntIdsReadLikeTypedStrings) {
    CBlogServer server(BlogServerOptions{.wordpress = true});
    auto client = On<CMetaWeblogClient>(server, "MetaWeblog");
    std::string first, second;
    ASSERT_EQ(client->NewPost(Post("第一篇"), first), 1);
    ASSERT_EQ(client->NewPost(Post("第二篇 & 更多"), second), 1);
    EXPECT_EQ(first, "1");
    EXPECT_EQ(second, "2");

    std::vector<PostEntry> entries;
    ASSERT_EQ(client->GetRecentPosts(10, entries), 1);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].title, "第二篇 & 更多");
    EXPECT_EQ(entries[0].postId, "2");
    EXPECT_EQ(entries[0].description, "<p>正文</p>");
    EXPECT_EQ(entries[0].categories, "技术");
    EXPECT_EQ(entries[0].userId, "alice");
    EXPECT_EQ(entries[0].dateCreated.size(), 17u);
    EXPECT_FALSE(entries[0].link.empty());
    EXPECT_EQ(entries[1].postId, "1");

    // The id read back is the one a later delete sends, and the server's "true" confirms it.
    int accepted = -1;
    ASSERT_EQ(client->DeletePost(entries[1].postId, accepted), 1);
    EXPECT_EQ(accepted, 1);
    EXPECT_EQ(RequestText(server.LastRequest(), "/methodCall/params/param[1]/value/string"), "1");
    ASSERT_EQ(client->EditPost(entries[0].postId, "改", "技术", "<p>改</p>", accepted), 1);
    EXPECT_EQ(accepted, 1);

    std::string url, blogId, blogName;
    ASSERT_EQ(client->GetUsersBlogs(url, blogId, blogName), 1);
    EXPECT_EQ(url, server.Url("/blog/alice"));
    EXPECT_EQ(blogId, "1");
    EXPECT_EQ(blogName, "我的博客");
    EXPECT_TRUE(m_reporter.Numbers().empty());
    EXPECT_TRUE(m_reporter.MessageBoxes().empty());
}

TEST_F(RealServerTest, EveryFlavourReadsUntypedRecentPosts) {
    CBlogServer server(BlogServerOptions{.untyped = true, .intIds = true});
    for (const char* flavour : {"Blogger", "MetaWeblog", "MovableType"}) {
        SCOPED_TRACE(flavour);
        auto client = Client(Endpoint(server, flavour));
        std::string id;
        ASSERT_EQ(client->NewPost(Post("标题"), id), 1);
        std::vector<PostEntry> entries;
        ASSERT_EQ(client->GetRecentPosts(1, entries), 1);
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].postId, id);
        EXPECT_FALSE(entries[0].description.empty());
        if (std::string(flavour) != "Blogger") {
            EXPECT_EQ(entries[0].title, "标题");
        }
    }
    EXPECT_TRUE(m_reporter.Numbers().empty());
}

TEST_F(RealServerTest, CategoryNamesComeFromTitleCategoryNameOrDescription) {
    const std::vector<std::string> expected = {"技术", "生活 & 随笔", "<杂项>"};
    for (const char* shape : {"title", "wordpress", "description"}) {
        SCOPED_TRACE(shape);
        CBlogServer server(BlogServerOptions{.untyped = true, .categories = shape});
        std::vector<BlogCategory> categories;
        ASSERT_EQ(On<CMetaWeblogClient>(server, "MetaWeblog")->GetCategories(categories), 1);
        std::vector<std::string> names;
        for (const auto& category : categories) {
            names.push_back(category.name);
        }
        EXPECT_EQ(names, expected);
    }
    // WordPress's struct carries both: the name wins over the longer description.
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadMemory(
        "<struct><member><name>description</name><value>说明</value></member>"
        "<member><name>categoryName</name><value><string>名称</string></value></member></struct>"));
    EXPECT_EQ(CategoryName(CXmlRpcStruct(doc.Root())), "名称");
}

TEST_F(RealServerTest, MovableTypeCategoryIdsMayBeNumbers) {
    CBlogServer server(BlogServerOptions{.intIds = true});
    std::vector<BlogCategory> categories;
    ASSERT_EQ(On<CMovableTypeClient>(server, "MovableType")->GetCategories(categories), 1);
    ASSERT_EQ(categories.size(), 3u);
    EXPECT_EQ(categories[0].id, "1");
    EXPECT_EQ(categories[0].name, "技术");
    EXPECT_EQ(categories[2].id, "3");
}

TEST_F(RealServerTest, TrueAndFalseBooleansAreReadAsOneAndZero) {
    CBlogServer server(BlogServerOptions{.wordBooleans = true});
    auto client = On<CBloggerClient>(server, "Blogger");
    std::string id;
    ASSERT_EQ(client->NewPost(Post("t"), id), 1);
    int accepted = -1;
    ASSERT_EQ(client->DeletePost(id, accepted), 1);
    EXPECT_EQ(accepted, 1);
    ASSERT_EQ(client->DeletePost(id, accepted), 1);  // already gone: the server says false
    EXPECT_EQ(accepted, 0);

    int value = -1;
    EXPECT_TRUE(ParseXmlRpcBoolean(" True ", value));
    EXPECT_EQ(value, 1);
    EXPECT_TRUE(ParseXmlRpcBoolean("0", value));
    EXPECT_EQ(value, 0);
    EXPECT_FALSE(ParseXmlRpcBoolean("yes", value));
    EXPECT_FALSE(ParseXmlRpcBoolean("", value));
}

TEST_F(RealServerTest, AMediaUploadSendsAMediaTypeAndReadsAnUntypedAddress) {
    CBlogServer server(BlogServerOptions{.untyped = true});
    std::string url;
    ASSERT_EQ(On<CMetaWeblogClient>(server, "MetaWeblog")
                  ->NewMediaObject("a.PNG", "PNG", "iVBORw0K", url),
              1);
    EXPECT_EQ(url, server.Url("/media/a.PNG"));
    EXPECT_EQ(RequestText(server.LastRequest(), Member("type", "string")), "image/png");

    EXPECT_EQ(MediaTypeForExtension("jpg"), "image/jpeg");
    EXPECT_EQ(MediaTypeForExtension("JPEG"), "image/jpeg");
    EXPECT_EQ(MediaTypeForExtension("gif"), "image/gif");
    EXPECT_EQ(MediaTypeForExtension("webp"), "image/webp");
    EXPECT_EQ(MediaTypeForExtension("svg"), "image/svg+xml");
    EXPECT_EQ(MediaTypeForExtension("bmp"), "image/bmp");
    EXPECT_EQ(MediaTypeForExtension("ico"), "image/x-icon");
    EXPECT_EQ(MediaTypeForExtension("pdf"), "application/pdf");
    EXPECT_EQ(MediaTypeForExtension("mp3"), "audio/mpeg");
    EXPECT_EQ(MediaTypeForExtension("mp4"), "video/mp4");
    EXPECT_EQ(MediaTypeForExtension("zip"), "application/zip");
    EXPECT_EQ(MediaTypeForExtension("exe"), "application/octet-stream");
    EXPECT_EQ(MediaTypeForExtension(""), "application/octet-stream");
}

TEST_F(RealServerTest, ANewPostAnsweredWithAnEmptyIdIsAFailure) {
    CBlogServer server;
    for (const char* flavour : {"Blogger", "MetaWeblog", "MovableType"}) {
        SCOPED_TRACE(flavour);
        m_reporter.Clear();
        std::string id = "unchanged";
        EXPECT_EQ(Client(Endpoint(server, flavour, "/empty-id"))->NewPost(Post("t"), id), 0);
        EXPECT_EQ(id, "unchanged");
        EXPECT_EQ(m_reporter.MessageBoxes(), std::vector<std::string>{kTextNoPostId});
    }
}

TEST_F(RealServerTest, RecentPostsKeepAtMostTheCountAskedFor) {
    CBlogServer server(BlogServerOptions{.seedPosts = 7});
    for (const char* flavour : {"Blogger", "MetaWeblog", "MovableType"}) {
        SCOPED_TRACE(flavour);
        std::vector<PostEntry> entries;
        ASSERT_EQ(Client(Endpoint(server, flavour, "/all-posts"))->GetRecentPosts(3, entries), 1);
        ASSERT_EQ(entries.size(), 3u);
        EXPECT_EQ(entries[0].postId, "7");
        EXPECT_EQ(entries[2].postId, "5");
    }
}

// ---- the Blogger content, MovableType dates ----------------------------------------------------

TEST_F(RealServerTest, BloggerContentCarriesTheEscapedTitleOrNoTitleElement) {
    EXPECT_EQ(WrapBloggerContent("A & <B>", "<b>x</b>"),
              "<title>A &amp; &lt;B&gt;</title><p><b>x</b></p>");
    EXPECT_EQ(WrapBloggerContent("", "x"), "<p>x</p>");
}

TEST_F(RealServerTest, MovableTypeDatesAreConvertedWithTheMachinesTimeZone) {
    CBlogServer server;
    struct Case {
        const char* zone;
        const char* sent;
    };
    // POSIX zone texts, so that no zone database is needed: China, UTC, and New York in May
    // (daylight saving time, UTC-4).
    for (Case c : {Case{"CST-8", "20060501T00:30:00"}, Case{"UTC0", "20060501T08:30:00"},
                   Case{"EST5EDT,M3.2.0,M11.1.0", "20060501T12:30:00"}}) {
        SCOPED_TRACE(c.zone);
        CTimeZoneGuard zone(c.zone);
        std::string id;
        ASSERT_EQ(On<CMovableTypeClient>(server, "MovableType")->NewPost(Post("t"), id), 1);
        EXPECT_EQ(RequestText(server.LastRequest(), Member("dateCreated", "dateTime.iso8601")),
                  c.sent);
        EXPECT_EQ(RequestText(server.LastRequest(), Member("pubDate", "string")),
                  "2006-05-01 08:30:00");
    }
    CTimeZoneGuard zone("CST-8");
    PostTime utc = LocalToUtc(PostTime{2007, 1, 1, 3, 0, 0});
    EXPECT_EQ(FormatIso8601(utc), "20061231T19:00:00");  // across the year
}

// ---- encodings ---------------------------------------------------------------------------------

TEST_F(RealServerTest, CharactersGbkLacksGoOutAsCharacterReferencesUnderGb2312) {
    CBlogServer server;
    const std::string title = "笑脸😀与𠀀字";  // an emoji and a Han character outside GBK
    std::string id;
    ASSERT_EQ(
        On<CMetaWeblogClient>(server, "MetaWeblog", "/RPC2", "GB2312")->NewPost(Post(title), id),
        1);
    RecordedRequest request = server.LastRequest();
    EXPECT_TRUE(StartsWith(request.body, "<?xml version=\"1.0\" encoding=\"GB2312\"?>"));
    EXPECT_NE(request.body.find("&#128512;"), std::string::npos);
    EXPECT_NE(request.body.find("&#131072;"), std::string::npos);
    // GB18030's four-byte form of the emoji (95 32 82 36) must not appear under GB2312.
    EXPECT_EQ(request.body.find("\x95\x32\x82\x36"), std::string::npos);
    // Every other byte is GBK: the Chinese characters travel as their two-byte codes.
    std::string gbk;
    ASSERT_TRUE(ConvertEncoding("笑脸", "UTF-8", "GBK", gbk));
    EXPECT_NE(request.body.find(gbk), std::string::npos);
    // And the server reads the title back whole.
    std::vector<PostEntry> entries;
    ASSERT_EQ(On<CMetaWeblogClient>(server, "MetaWeblog")->GetRecentPosts(1, entries), 1);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].title, title);
}

TEST_F(RealServerTest, UtfEightInAnyCaseOrSpacingSendsUtfEight) {
    CBlogServer server;
    for (const char* name : {"utf-8", " UTF-8 ", "Utf 8", "utf8"}) {
        SCOPED_TRACE(name);
        std::string id;
        ASSERT_EQ(
            On<CMetaWeblogClient>(server, "MetaWeblog", "/RPC2", name)->NewPost(Post("春天"), id),
            1);
        RecordedRequest request = server.LastRequest();
        EXPECT_TRUE(StartsWith(request.body, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
        EXPECT_NE(request.body.find("春天"), std::string::npos);
    }
    EXPECT_TRUE(IsUtf8EncodingName("UTF-8"));
    EXPECT_FALSE(IsUtf8EncodingName("GB2312"));
    EXPECT_FALSE(IsUtf8EncodingName("utf-16"));
}

// ---- moved endpoints and big answers -----------------------------------------------------------

TEST_F(RealServerTest, RedirectsRepeatThePostWithItsBodyAndReportTheNewAddress) {
    CBlogServer target;
    ASSERT_TRUE(target.Ok()) << target.Error();
    for (int status : {301, 302, 303, 307, 308}) {
        SCOPED_TRACE(status);
        CBlogServer moved(
            BlogServerOptions{.redirectTo = target.Url("/RPC2"), .redirectStatus = status});
        auto client = On<CMetaWeblogClient>(moved, "MetaWeblog");
        std::string id;
        ASSERT_EQ(client->NewPost(Post("搬家"), id), 1)
            << testing::PrintToString(m_reporter.Numbers());
        RecordedRequest first = moved.LastRequest();
        RecordedRequest repeated = target.LastRequest();
        EXPECT_EQ(repeated.requestLine, "POST /RPC2 HTTP/1.0");
        EXPECT_EQ(repeated.body, first.body);
        EXPECT_EQ(client->MovedTo(), target.Url("/RPC2"));
    }
    // A call that was not redirected reports nothing.
    auto direct = On<CMetaWeblogClient>(target, "MetaWeblog");
    std::vector<BlogCategory> categories;
    ASSERT_EQ(direct->GetCategories(categories), 1);
    EXPECT_EQ(direct->MovedTo(), "");
    EXPECT_TRUE(m_reporter.Numbers().empty());
}

TEST_F(RealServerTest, RedirectsFromHttpToHttpsAreFollowed) {
    CBlogServer secure(BlogServerOptions{.tls = true});
    ASSERT_TRUE(secure.Ok()) << secure.Error();
    CBlogServer plain(BlogServerOptions{.redirectTo = secure.Url("/RPC2")});
    auto client = On<CMetaWeblogClient>(plain, "MetaWeblog");
    std::vector<BlogCategory> categories;
    ASSERT_EQ(client->GetCategories(categories), 1) << testing::PrintToString(m_reporter.Numbers());
    EXPECT_EQ(categories.size(), 3u);
    EXPECT_EQ(client->MovedTo(), secure.Url("/RPC2"));
    EXPECT_EQ(secure.Requests().size(), 1u);
}

TEST_F(RealServerTest, RedirectsThatMayNotBeFollowedShow3003AndSendNothingThere) {
    CBlogServer plain;
    ASSERT_TRUE(plain.Ok()) << plain.Error();
    std::vector<BlogCategory> categories;

    // Never from https down to http: the request carries the password.
    CBlogServer secure(BlogServerOptions{.tls = true, .redirectTo = plain.Url("/RPC2")});
    EXPECT_EQ(On<CMetaWeblogClient>(secure, "MetaWeblog")->GetCategories(categories), 0);
    EXPECT_TRUE(plain.Requests().empty());

    // Only http and https.
    CBlogServer toFile(BlogServerOptions{.redirectTo = "file:///etc/passwd"});
    EXPECT_EQ(On<CMetaWeblogClient>(toFile, "MetaWeblog")->GetCategories(categories), 0);

    // Five redirects are followed, the sixth is not.
    EXPECT_EQ(On<CMetaWeblogClient>(plain, "MetaWeblog", "/hop/5")->GetCategories(categories), 1);
    EXPECT_EQ(On<CMetaWeblogClient>(plain, "MetaWeblog", "/hop/6")->GetCategories(categories), 0);
    EXPECT_EQ(On<CMetaWeblogClient>(plain, "MetaWeblog", "/no-location")->GetCategories(categories),
              0);

    EXPECT_EQ(m_reporter.Numbers(), (std::vector<int>{3003, 3003, 3003, 3003}));
    auto shown = m_reporter.ErrorMessages();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].summary, kTextRedirectRefusedSummary);
    EXPECT_NE(shown[0].description.find(kTextRedirectDowngrade), std::string::npos);
    EXPECT_NE(shown[0].description.find(plain.Url("/RPC2")), std::string::npos);
    EXPECT_NE(shown[1].description.find(kTextRedirectNotHttp), std::string::npos);
    EXPECT_NE(shown[2].description.find(kTextTooManyRedirects), std::string::npos);
    EXPECT_NE(shown[3].description.find(kTextRedirectWithoutAddress), std::string::npos);
}

TEST_F(RealServerTest, AnswersOverTheCapSayTooLargeNotCannotConnect) {
    CBlogServer withLength(BlogServerOptions{.oversizeMiB = 33});
    std::vector<BlogCategory> categories;
    EXPECT_EQ(On<CMetaWeblogClient>(withLength, "MetaWeblog")->GetCategories(categories), 0);
    CBlogServer server;
    EXPECT_EQ(On<CMetaWeblogClient>(server, "MetaWeblog", "/huge")->GetCategories(categories), 0);
    EXPECT_EQ(m_reporter.Numbers(), (std::vector<int>{3002, 3002}));
    auto shown = m_reporter.ErrorMessages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].summary, kTextAnswerTooLargeSummary);
    EXPECT_NE(shown[0].description.find("32 MiB"), std::string::npos);
}

}  // namespace
}  // namespace zirvo::test
