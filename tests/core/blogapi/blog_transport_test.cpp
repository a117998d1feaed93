#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "blogapi_fixture.h"
#include "core/blogapi/blog_transport.h"
#include "core/net/apply_proxy.h"
#include "core/util/base64.h"
#include "core/util/closing_flag.h"

namespace zirvo::test {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

size_t IndexOfLine(const RecordedRequest& request, const std::string& line) {
    for (size_t i = 0; i < request.headerLines.size(); ++i) {
        if (request.headerLines[i] == line) {
            return i;
        }
    }
    return std::string::npos;
}

TEST(EndpointSplitting, SecureIsTheHttpsPrefixInAnyLetterCase) {
    EXPECT_TRUE(SplitEndpoint("HTTPS://blog.example.cn/xmlrpc.php").secure);
    EXPECT_TRUE(SplitEndpoint("hTtPs://blog.example.cn/xmlrpc.php").secure);
    EXPECT_FALSE(SplitEndpoint("http://blog.example.cn/xmlrpc.php").secure);
}

TEST(EndpointSplitting, HostEndsAtTheFirstSlashAndThePathKeepsItsQuery) {
    EndpointParts parts = SplitEndpoint("http://blog.example.cn:8080/api/rpc.aspx?u=1&v=2");
    EXPECT_EQ(parts.host, "blog.example.cn:8080");
    EXPECT_EQ(parts.objectPath, "/api/rpc.aspx?u=1&v=2");
}

TEST(EndpointSplitting, AnEndpointWithoutPathOrSchemeHasNoHost) {
    EXPECT_EQ(SplitEndpoint("http://blog.example.cn").host, "");
    EXPECT_EQ(SplitEndpoint("blog.example.cn/xmlrpc").host, "");
    EXPECT_EQ(SplitEndpoint("").host, "");
}

TEST(EndpointSplitting, TheAccountPortReplacesThePortInTheAddress) {
    EXPECT_EQ(HostWithPort("blog.example.cn:8080", 81), "blog.example.cn:81");
    EXPECT_EQ(HostWithPort("blog.example.cn", 81), "blog.example.cn:81");
    EXPECT_EQ(HostWithPort("[::1]:8080", 81), "[::1]:81");
    EXPECT_EQ(HostWithPort("blog.example.cn:8080", 0), "blog.example.cn:8080");
}

ConnectionSettings ProxiedSettings(const std::string& user, const std::string& password) {
    ConnectionSettings settings;
    settings.endpointUrl = "http://blog.example.com/RPC2";  // not exempted as a local address
    settings.proxy.use = 1;
    settings.proxy.server = "127.0.0.1";
    settings.proxy.port = "3128";
    settings.proxy.userName = user;
    settings.proxy.password = password;
    return settings;
}

TEST(ProxyAuthorization, CredentialsGoToCurlForTheProxyAloneAndOnlyWithAUserName) {
    HttpRequest request;
    ASSERT_TRUE(BuildXmlRpcRequest(ProxiedSettings("代理:用户", ""), TransportVariant::Standard,
                                   "x", request));
    EXPECT_EQ(request.proxy, "127.0.0.1:3128");
    // A colon in the user name stays the user's: curl is given the two parts separately.
    EXPECT_EQ(request.proxyUserName, "代理:用户");
    EXPECT_EQ(request.proxyPassword, "");
    for (const std::string& line : request.headers) {
        EXPECT_FALSE(StartsWith(ToLowerAscii(line), "proxy-")) << line;
    }

    ASSERT_TRUE(
        BuildXmlRpcRequest(ProxiedSettings("", "pw"), TransportVariant::Standard, "x", request));
    EXPECT_EQ(request.proxy, "127.0.0.1:3128");
    EXPECT_EQ(request.proxyUserName, "");
    EXPECT_EQ(request.proxyPassword, "");
}

TEST(ProxyAuthorization, ApplyProxyHonoursTheSwitchAndTheLocalAddressRule) {
    ProxySettings proxy;
    proxy.use = 1;
    proxy.server = "proxy.example";
    proxy.port = "8080";
    proxy.userName = "u";
    proxy.password = "p";
    HttpRequest request;
    ApplyProxy(request, proxy, "http://feeds.example.com/rss");
    EXPECT_EQ(request.proxy, "proxy.example:8080");
    EXPECT_EQ(request.proxyUserName, "u");
    // A host of the local address rule goes direct, and nothing of the proxy is left behind.
    ApplyProxy(request, proxy, "http://192.168.1.2/rss");
    EXPECT_EQ(request.proxy, "");
    EXPECT_EQ(request.proxyUserName, "");
    EXPECT_EQ(request.proxyPassword, "");
    proxy.useForLocal = 1;
    ApplyProxy(request, proxy, "http://192.168.1.2/rss");
    EXPECT_EQ(request.proxy, "proxy.example:8080");
    proxy.use = 0;
    ApplyProxy(request, proxy, "http://feeds.example.com/rss");
    EXPECT_EQ(request.proxy, "");
    EXPECT_EQ(request.proxyPassword, "");
}

class BlogTransportTest : public BlogApiTest {
protected:
    CBlogServer m_server;
};

TEST_F(BlogTransportTest, StandardVariantPostsHttp10WithItsHeaderLinesInOrder) {
    ASSERT_TRUE(m_server.Ok()) << m_server.Error();
    auto client = Client(Endpoint(m_server, "MetaWeblog"));
    std::vector<BlogCategory> categories;
    auto* metaWeblog = dynamic_cast<CMetaWeblogClient*>(client.get());
    ASSERT_NE(metaWeblog, nullptr);
    ASSERT_EQ(metaWeblog->GetCategories(categories), 1);

    RecordedRequest request = m_server.LastRequest();
    EXPECT_EQ(request.requestLine, "POST /RPC2 HTTP/1.0");
    size_t agent = IndexOfLine(request, "User-Agent:  zirvo");
    size_t type = IndexOfLine(request, "Content-Type: text/xml");
    ASSERT_NE(agent, std::string::npos);
    ASSERT_NE(type, std::string::npos);
    EXPECT_LT(agent, type);
    EXPECT_EQ(request.HeaderLine("Content-Length"),
              "Content-Length: " + std::to_string(request.body.size()));
    EXPECT_EQ(request.HeaderLine("Proxy-authorization"), "");
    EXPECT_TRUE(StartsWith(request.body, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><methodCall>"));
}

TEST_F(BlogTransportTest, AProxyWithCredentialsGetsTheHeaderAndTheServerDoesNot) {
    ASSERT_TRUE(m_server.Ok()) << m_server.Error();
    CLoopbackProxy proxy;
    ASSERT_TRUE(proxy.Ok());
    BlogEndpoint account = Endpoint(m_server, "Blogger");
    ProxySettings proxySettings;
    proxySettings.use = 1;
    proxySettings.useForLocal = 1;  // loopback is "local": only this flag lets it go via proxy
    proxySettings.server = "127.0.0.1";
    proxySettings.port = std::to_string(proxy.Port());
    proxySettings.userName = "代理用户";
    proxySettings.password = "p@ss";
    ConnectionSettings settings = MakeConnectionSettings(account, proxySettings, DebugSettings{});
    CBloggerClient client(account, settings, Services());
    std::string url, blogId, blogName;
    ASSERT_EQ(client.GetUsersBlogs(url, blogId, blogName), 1)
        << ::testing::PrintToString(m_reporter.Numbers());
    EXPECT_EQ(blogName, "我的博客");

    auto viaProxy = proxy.Requests();
    ASSERT_EQ(viaProxy.size(), 1u);
    EXPECT_EQ(viaProxy[0].requestLine,
              "POST http://127.0.0.1:" + std::to_string(m_server.Port()) + "/RPC2 HTTP/1.0");
    const std::string line = viaProxy[0].HeaderLine("Proxy-authorization");
    ASSERT_NE(line.find(':'), std::string::npos);
    EXPECT_EQ(line.substr(line.find(':')), ": Basic " + Base64Encode("代理用户:p@ss"));
    EXPECT_EQ(m_server.LastRequest().HeaderLine("Proxy-authorization"), "");
}

TEST_F(BlogTransportTest, TheLocalAddressRuleBypassesTheProxyForLoopback) {
    ASSERT_TRUE(m_server.Ok()) << m_server.Error();
    CLoopbackProxy proxy;
    ASSERT_TRUE(proxy.Ok());
    BlogEndpoint account = Endpoint(m_server, "Blogger");
    ProxySettings proxySettings;
    proxySettings.use = 1;
    proxySettings.useForLocal = 0;
    proxySettings.server = "127.0.0.1";
    proxySettings.port = std::to_string(proxy.Port());
    ConnectionSettings settings = MakeConnectionSettings(account, proxySettings, DebugSettings{});
    EXPECT_EQ(settings.proxy.use, 0);
    CBloggerClient client(account, settings, Services());
    std::string url, blogId, blogName;
    ASSERT_EQ(client.GetUsersBlogs(url, blogId, blogName), 1);
    EXPECT_TRUE(proxy.Requests().empty());
    EXPECT_EQ(m_server.Requests().size(), 1u);
}

TEST_F(BlogTransportTest, TheAddressPortIsUsedWhenTheAccountHasNone) {
    ASSERT_TRUE(m_server.Ok()) << m_server.Error();
    BlogEndpoint account = Endpoint(m_server, "Blogger");
    account.xmlrpcUrl = m_server.Url("/RPC2");
    account.port = "";
    std::string url, blogId, blogName;
    EXPECT_EQ(Client(account)->GetUsersBlogs(url, blogId, blogName), 1);
}

TEST_F(BlogTransportTest, HttpErrorShows4002AndLeavesNoFileWithoutDiagnosticMode) {
    ASSERT_TRUE(m_server.Ok()) << m_server.Error();
    BlogEndpoint account = Endpoint(m_server, "Blogger", "/http500");
    ConnectionSettings settings = Connection(account);
    std::string body = "unchanged";
    EXPECT_EQ(PostXmlOver(m_http, m_messages, settings, TransportVariant::Standard, "<x/>", body),
              0);
    EXPECT_EQ(m_reporter.Numbers(), std::vector<int>{4002});
    EXPECT_EQ(body, "unchanged");
}

TEST_F(BlogTransportTest, DiagnosticModeReplacesTheDebugFileWithTheErrorPage) {
    ASSERT_TRUE(m_server.Ok()) << m_server.Error();
    std::string folder = m_root.MakeDir("debug");
    std::string debugFile = m_root.WriteFile("debug/qova_debug.html",
                                             std::string(5000, 'o') + " an older, longer page");
    BlogEndpoint account = Endpoint(m_server, "Blogger", "/http500");
    ConnectionSettings settings =
        MakeConnectionSettings(account, ProxySettings{}, DebugSettings{1, folder});
    EXPECT_EQ(settings.debugPath, debugFile);
    std::string url, blogId, blogName;
    CBloggerClient client(account, settings, Services());
    EXPECT_EQ(client.GetUsersBlogs(url, blogId, blogName), 0);
    EXPECT_EQ(client.GetUsersBlogs(url, blogId, blogName), 0);
    EXPECT_EQ(ReadFile(debugFile), "<html><body>服务器内部错误 500</body></html>");
    EXPECT_EQ(m_reporter.Numbers(), (std::vector<int>{4002, 4002}));
}

TEST_F(BlogTransportTest, AnEndpointWithoutPathFailsWith3001AndSendsNothing) {
    ASSERT_TRUE(m_server.Ok()) << m_server.Error();
    BlogEndpoint account = Endpoint(m_server, "Blogger");
    account.xmlrpcUrl = "http://127.0.0.1";
    std::string url, blogId, blogName;
    EXPECT_EQ(Client(account)->GetUsersBlogs(url, blogId, blogName), 0);
    EXPECT_EQ(m_reporter.Numbers(), std::vector<int>{3001});
    EXPECT_TRUE(m_server.Requests().empty());
}

TEST_F(BlogTransportTest, NetworkFailuresShow3001) {
    ASSERT_TRUE(m_server.Ok()) << m_server.Error();
    std::string url, blogId, blogName;

    BlogEndpoint refused = Endpoint(m_server, "Blogger");
    refused.port = "1";  // nothing listens there
    EXPECT_EQ(Client(refused)->GetUsersBlogs(url, blogId, blogName), 0);

    BlogEndpoint slow = Endpoint(m_server, "Blogger", "/slow/10");
    ConnectionSettings impatient = Connection(slow);
    impatient.totalTimeoutMs = 300;
    CBloggerClient slowClient(slow, impatient, Services());
    EXPECT_EQ(slowClient.GetUsersBlogs(url, blogId, blogName), 0);

    EXPECT_EQ(m_reporter.Numbers(), (std::vector<int>{3001, 3001}));
}

TEST_F(BlogTransportTest, TheClosingFlagStopsACallWithoutAMessage) {
    ASSERT_TRUE(m_server.Ok()) << m_server.Error();
    SetClosing(true);
    std::string url, blogId, blogName;
    int result = Client(Endpoint(m_server, "Blogger"))->GetUsersBlogs(url, blogId, blogName);
    SetClosing(false);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(m_reporter.Numbers().empty());
}

TEST_F(BlogTransportTest, AnswersWithAnotherContentTypeAreStillRead) {
    ASSERT_TRUE(m_server.Ok()) << m_server.Error();
    std::string url, blogId, blogName;
    EXPECT_EQ(
        Client(Endpoint(m_server, "Blogger", "/wrong-type"))->GetUsersBlogs(url, blogId, blogName),
        1);
    EXPECT_EQ(blogId, "1");
}

TEST(BlogTransportTls, CertificatesAreVerified) {
    CBlogServer server(BlogServerOptions{.tls = true});
    ASSERT_TRUE(server.Ok()) << server.Error();
    CRecordingReporter reporter;
    CErrorMsgDialog messages("/nonexistent/ErrorMsg.xml", reporter);
    CCurlHttpClient http;
    ConnectionSettings settings;
    settings.endpointUrl = server.Url("/RPC2");
    std::string body;
    // The loopback certificate is self-signed: without trusting it the exchange must fail.
    EXPECT_EQ(PostXmlOver(http, messages, settings, TransportVariant::Standard, "<x/>", body), 0);
    EXPECT_EQ(reporter.Numbers(), std::vector<int>{3001});
    settings.caFile = CBlogServer::CertificatePath();
    EXPECT_EQ(
        PostXmlOver(http, messages, settings, TransportVariant::Standard,
                    "<methodCall><methodName>mt.getCategoryList</methodName></methodCall>", body),
        1);
    EXPECT_NE(body.find("<methodResponse>"), std::string::npos);
}

}  // namespace
}  // namespace zirvo::test
