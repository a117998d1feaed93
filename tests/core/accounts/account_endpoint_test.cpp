#include "core/accounts/account_endpoint.h"

#include <filesystem>

#include "core/accounts/account_messages.h"
#include "core/blogapi/blog_client_factory.h"
#include "core/blogapi/blog_transport.h"
#include "core/blogapi/metaweblog_client.h"
#include "core/config/app_config.h"
#include "core/net/http_client.h"
#include "registry_fixture.h"
#include "support/blog_server.h"

namespace zirvo {
namespace {

// A registry plus what a blog client needs: request templates, appConfig.xml, real curl.
class AccountEndpointTest : public RegistryTest {
protected:
    AccountEndpointTest() : m_config(m_root.PathOf("config/appConfig.xml"), m_messages) {
        namespace fs = std::filesystem;
        std::string data = std::string(ZIRVO_TEST_SOURCE_DIR) + "/data";
        fs::copy_file(data + "/config/appConfig.xml", m_root.PathOf("config/appConfig.xml"));
        m_root.MakeDir("Data");
        fs::copy(data + "/Data/Templates", m_root.PathOf("Data/Templates"),
                 fs::copy_options::recursive);
    }

    BlogClientServices Services() {
        return BlogClientServices{m_http, m_messages, CDataRoot(m_root.Path())};
    }

    NewAccount ServerAccount(const std::string& name, const std::string& apiType,
                             const std::string& password) const {
        NewAccount account = MakeAccount(name, password);
        account.xmlrpcUrl = "http://127.0.0.1/RPC2";
        account.port = std::to_string(m_server.Port());
        account.apiType = apiType;
        account.userName = m_server.Options().user;
        return account;
    }

    ConnectionSettings Connection(const NewAccount& account) const {
        ConnectionSettings settings =
            MakeConnectionSettings(ToBlogEndpoint(account), ProxySettings{}, DebugSettings{});
        settings.connectTimeoutMs = 5000;
        settings.totalTimeoutMs = 20000;
        return settings;
    }

    test::CBlogServer m_server;
    CAppConfig m_config;
    CCurlHttpClient m_http;
};

TEST_F(AccountEndpointTest, ConnectionTestSaysUserValidOnlyForTheRightPassword) {
    ASSERT_TRUE(m_server.Ok()) << m_server.Error();
    NewAccount good = ServerAccount("测试", "MetaWeblog", m_server.Options().password);
    EXPECT_EQ(TestAccountConnection(good, Connection(good), Services()), 1);
    EXPECT_EQ(m_reporter.MessageBoxes(), std::vector<std::string>{kTextUserValid});
    // Every flavour but MSN Spaces is tested with the Blogger call.
    EXPECT_NE(m_server.LastRequest().body.find("blogger.getUsersBlogs"), std::string::npos);

    m_reporter.Clear();
    NewAccount bad = ServerAccount("测试", "MovableType", "wrong");
    EXPECT_EQ(TestAccountConnection(bad, Connection(bad), Services()), 0);
    EXPECT_TRUE(m_reporter.MessageBoxes().empty());
    EXPECT_FALSE(m_reporter.Numbers().empty());
}

TEST_F(AccountEndpointTest, ConnectionTestSaysWhereAMovedEndpointNowIs) {
    ASSERT_TRUE(m_server.Ok()) << m_server.Error();
    test::CBlogServer moved(test::BlogServerOptions{.redirectTo = m_server.Url("/RPC2")});
    ASSERT_TRUE(moved.Ok()) << moved.Error();
    NewAccount account = ServerAccount("测试", "MetaWeblog", "secret");
    account.port = std::to_string(moved.Port());
    EXPECT_EQ(TestAccountConnection(account, Connection(account), Services()), 1);
    EXPECT_EQ(m_reporter.MessageBoxes(),
              (std::vector<std::string>{EndpointMovedText(m_server.Url("/RPC2")), kTextUserValid}));
}

TEST_F(AccountEndpointTest, ConnectionTestOfMsnSpacesUsesItsSecureClient) {
    test::CBlogServer tls(test::BlogServerOptions{.tls = true});
    ASSERT_TRUE(tls.Ok()) << tls.Error();
    NewAccount account = ServerAccount("msn", "MSN Spaces", "secret");
    account.port = std::to_string(tls.Port());
    ConnectionSettings connection = Connection(account);
    connection.caFile = test::CBlogServer::CertificatePath();
    // The address says http; only the MSN Spaces client, which always speaks TLS, gets through.
    EXPECT_EQ(TestAccountConnection(account, connection, Services()), 1);
    EXPECT_EQ(m_reporter.MessageBoxes(), std::vector<std::string>{kTextUserValid});
    account.apiType = "Blogger";
    EXPECT_EQ(TestAccountConnection(account, connection, Services()), 0);
}

TEST_F(AccountEndpointTest, RegisteredAccountGetsTheClientOfItsFlavour) {
    ASSERT_TRUE(m_server.Ok()) << m_server.Error();
    ASSERT_EQ(m_registry.AddAccount(ServerAccount("博客", "MetaWeblog", "secret")), 1);
    std::unique_ptr<CBloggerClient> client =
        CreateBlogClient(m_registry, "博客", m_config, Services(), false);
    ASSERT_NE(client, nullptr);
    EXPECT_NE(dynamic_cast<CMetaWeblogClient*>(client.get()), nullptr);
    std::string url, id, name;
    EXPECT_EQ(client->GetUsersBlogs(url, id, name), 1);
    // The stored password went out unscrambled.
    EXPECT_NE(m_server.LastRequest().body.find("secret"), std::string::npos);
    EXPECT_TRUE(m_reporter.Numbers().empty());

    EXPECT_EQ(CreateBlogClient(m_registry, "nobody", m_config, Services(), false), nullptr);
    EXPECT_EQ(m_reporter.Numbers(), std::vector<int>{6001});
}

TEST_F(AccountEndpointTest, MovedEndpointBecomesTheAccountsAddressWithItsPort) {
    ASSERT_TRUE(m_server.Ok()) << m_server.Error();
    test::CBlogServer moved(test::BlogServerOptions{.redirectTo = m_server.Url("/RPC2")});
    ASSERT_TRUE(moved.Ok()) << moved.Error();
    NewAccount account = ServerAccount("搬家", "MetaWeblog", "secret");
    account.port = std::to_string(moved.Port());
    ASSERT_EQ(m_registry.AddAccount(account), 1);
    std::unique_ptr<CBloggerClient> client =
        CreateBlogClient(m_registry, "搬家", m_config, Services(), false);
    ASSERT_NE(client, nullptr);
    std::string url, id, name;
    ASSERT_EQ(client->GetUsersBlogs(url, id, name), 1);
    ASSERT_EQ(client->MovedTo(), m_server.Url("/RPC2"));

    ASSERT_EQ(MoveAccountEndpoint(m_registry, "搬家", client->MovedTo()), 1);
    AccountInfo info;
    ASSERT_EQ(m_registry.ReadAccount("搬家", info), 1);
    EXPECT_EQ(info.xmlrpcUrl, m_server.Url("/RPC2"));
    EXPECT_EQ(info.port, std::to_string(m_server.Port()));
    // The next client goes straight to the new address.
    const size_t redirected = moved.Requests().size();
    client = CreateBlogClient(m_registry, "搬家", m_config, Services(), false);
    ASSERT_EQ(client->GetUsersBlogs(url, id, name), 1);
    EXPECT_TRUE(client->MovedTo().empty());
    EXPECT_EQ(moved.Requests().size(), redirected);

    // Without a port in the address: the scheme's.
    ASSERT_EQ(MoveAccountEndpoint(m_registry, "搬家", "https://blog.example.org/xmlrpc.php"), 1);
    ASSERT_EQ(m_registry.ReadAccount("搬家", info), 1);
    EXPECT_EQ(info.port, "443");
    ASSERT_EQ(MoveAccountEndpoint(m_registry, "搬家", "HTTP://blog.example.org/xmlrpc.php"), 1);
    ASSERT_EQ(m_registry.ReadAccount("搬家", info), 1);
    EXPECT_EQ(info.port, "80");
    // Not a web address: nothing changes.
    EXPECT_EQ(MoveAccountEndpoint(m_registry, "搬家", "file:///etc/passwd"), 0);
    EXPECT_EQ(MoveAccountEndpoint(m_registry, "搬家", "https:///nohost"), 0);
    ASSERT_EQ(m_registry.ReadAccount("搬家", info), 1);
    EXPECT_EQ(info.xmlrpcUrl, "HTTP://blog.example.org/xmlrpc.php");

    // MSN Spaces keeps its fixed address.
    ASSERT_EQ(m_registry.AddAccount(ServerAccount("msn", "MSN Spaces", "secret")), 1);
    ASSERT_EQ(m_registry.ReadAccount("msn", info), 1);
    const std::string fixed = info.xmlrpcUrl;
    EXPECT_EQ(MoveAccountEndpoint(m_registry, "msn", "https://elsewhere.example/RPC2"), 0);
    ASSERT_EQ(m_registry.ReadAccount("msn", info), 1);
    EXPECT_EQ(info.xmlrpcUrl, fixed);
}

TEST_F(AccountEndpointTest, UnknownFlavourGivesNoClient) {
    ASSERT_EQ(m_registry.AddAccount(ServerAccount("odd", "LiveJournal", "x")), 1);
    EXPECT_EQ(CreateBlogClient(m_registry, "odd", m_config, Services(), false), nullptr);
    EXPECT_EQ(m_reporter.MessageBoxes(), std::vector<std::string>{kNoMatchingBlogType});
}

}  // namespace
}  // namespace zirvo
