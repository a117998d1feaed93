#include <gtest/gtest.h>

#include <tuple>

#include "blogapi_fixture.h"
#include "core/config/app_config.h"
#include "core/config/proxy.h"
#include "core/util/files.h"

namespace zirvo::test {
namespace {

// Every flavour, in both request encodings, through the whole life of a post on a real server.
class FlavourRoundTripTest
    : public BlogApiTest,
      public ::testing::WithParamInterface<std::tuple<std::string, std::string>> {
protected:
    std::string Flavour() const { return std::get<0>(GetParam()); }
    std::string Encoding() const { return std::get<1>(GetParam()); }
    // What a flavour's recent-posts list shows of a post's body: Blogger carries the title
    // (escaped) inside the content.
    std::string Shown(const std::string& titleHtml, const std::string& description) const {
        return Flavour() == "Blogger" ? "<title>" + titleHtml + "</title><p>" + description + "</p>"
                                      : description;
    }
};

TEST_P(FlavourRoundTripTest, NewEditListAndDeleteAPostWithChineseText) {
    CBlogServer server(BlogServerOptions{.tls = Flavour() == "MSN Spaces"});
    ASSERT_TRUE(server.Ok()) << server.Error();
    auto client = Client(Endpoint(server, Flavour(), "/RPC2", Encoding()));
    ASSERT_NE(client, nullptr);

    BlogPost post;
    post.title = "春眠不觉晓 & <处处>";
    post.category = "技术";
    post.description = "<p>夜来风雨声，花落知多少。</p>";
    post.pubDate = "2006-05-01 08:30:00";
    std::string postId;
    ASSERT_EQ(client->NewPost(post, postId), 1) << testing::PrintToString(m_reporter.Numbers());
    ASSERT_FALSE(postId.empty());

    std::vector<PostEntry> entries;
    ASSERT_EQ(client->GetRecentPosts(5, entries), 1);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].postId, postId);
    EXPECT_EQ(entries[0].description, Shown("春眠不觉晓 &amp; &lt;处处&gt;", post.description));
    if (Flavour() != "Blogger") {
        EXPECT_EQ(entries[0].title, post.title);
        EXPECT_EQ(entries[0].categories, "技术");
    }

    int accepted = -1;
    ASSERT_EQ(client->EditPost(postId, "新标题", "生活", "改写：山中何事？", accepted), 1);
    EXPECT_EQ(accepted, 1);
    ASSERT_EQ(client->GetRecentPosts(5, entries), 1);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].description, Shown("新标题", "改写：山中何事？"));

    ASSERT_EQ(client->DeletePost(postId, accepted), 1);
    EXPECT_EQ(accepted, 1);
    ASSERT_EQ(client->GetRecentPosts(5, entries), 1);
    EXPECT_TRUE(entries.empty());
    EXPECT_TRUE(m_reporter.Numbers().empty());

    RecordedRequest last = server.LastRequest();
    if (Encoding() == "UTF-8") {
        EXPECT_TRUE(StartsWith(last.body, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    } else {
        EXPECT_TRUE(StartsWith(last.body, "<?xml version=\"1.0\" encoding=\"GB2312\"?>"));
    }
}

INSTANTIATE_TEST_SUITE_P(AllFlavours, FlavourRoundTripTest,
                         ::testing::Combine(::testing::Values("Blogger", "MetaWeblog",
                                                              "MovableType", "MSN Spaces"),
                                            ::testing::Values("UTF-8", "GB2312")),
                         [](const auto& param) {
                             std::string name =
                                 std::get<0>(param.param) + "_" + std::get<1>(param.param);
                             std::string clean;
                             for (char c : name) {
                                 if (std::isalnum(static_cast<unsigned char>(c))) {
                                     clean += c;
                                 }
                             }
                             return clean;
                         });

class ConnectionSettingsTest : public BlogApiTest {
protected:
    ConnectionSettingsTest() {
        m_root.WriteFile("config/.keep", "");
        std::string shipped;
        ReadFileBytes(std::string(ZIRVO_TEST_SOURCE_DIR) + "/data/config/appConfig.xml", shipped);
        m_configPath = m_root.WriteFile("config/appConfig.xml", shipped);
    }
    std::string m_configPath;
};

TEST_F(ConnectionSettingsTest, SettingsComeFromTheConfigurationWithTheLocalAddressRule) {
    CAppConfig config(m_configPath, m_messages);
    ProxySettings proxy;
    proxy.use = 1;
    proxy.server = "proxy.example.cn";
    proxy.port = "8080";
    proxy.userName = "u";
    ASSERT_EQ(config.WriteProxySettings(proxy), 1);
    ASSERT_EQ(config.WriteDebugSettings(DebugSettings{1, m_root.Path()}), 1);

    BlogEndpoint remote;
    remote.xmlrpcUrl = "http://blog.example.cn/xmlrpc.php";
    remote.port = "80";
    remote.encodeType = "GB2312";
    ConnectionSettings settings = LoadConnectionSettings(remote, config, false);
    EXPECT_EQ(settings.proxy.use, 1);
    EXPECT_EQ(settings.proxy.server, "proxy.example.cn");
    EXPECT_EQ(settings.endpointUrl, remote.xmlrpcUrl);
    EXPECT_EQ(settings.port, "80");
    EXPECT_EQ(settings.encodeType, "GB2312");
    EXPECT_EQ(settings.debugUse, 1);
    EXPECT_EQ(settings.debugPath, m_root.PathOf("qova_debug.html"));

    BlogEndpoint lan = remote;
    lan.xmlrpcUrl = "http://192.168.1.5/xmlrpc.php";
    EXPECT_EQ(LoadConnectionSettings(lan, config, false).proxy.use, 0);
}

TEST_F(ConnectionSettingsTest, TheProcessRecordStandsInForTheFilesProxy) {
    CAppConfig config(m_configPath, m_messages);
    ProxySettings process;
    process.use = 1;
    process.server = "process.example.cn";
    process.port = "3128";
    SetProcessProxy(process);
    BlogEndpoint remote;
    remote.xmlrpcUrl = "http://blog.example.cn/xmlrpc.php";
    ConnectionSettings settings = LoadConnectionSettings(remote, config, true);
    SetProcessProxy(ProxySettings{});
    EXPECT_EQ(settings.proxy.server, "process.example.cn");
}

TEST_F(ConnectionSettingsTest, AnUnreadableConfigurationMeansNoProxyAndNoDiagnosticFile) {
    CAppConfig config(m_root.PathOf("config/missing.xml"), m_messages);
    BlogEndpoint remote;
    remote.xmlrpcUrl = "http://blog.example.cn/xmlrpc.php";
    ConnectionSettings settings = LoadConnectionSettings(remote, config, false);
    EXPECT_EQ(settings.proxy.use, 0);
    EXPECT_EQ(settings.debugUse, 0);
    EXPECT_EQ(settings.debugPath, "");
    EXPECT_EQ(m_reporter.Numbers(), std::vector<int>{7000});
}

}  // namespace
}  // namespace zirvo::test
