#include "core/config/app_config.h"

#include <gtest/gtest.h>

#include "core/config/proxy.h"
#include "core/util/data_root.h"
#include "core/util/files.h"
#include "core/util/strings.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

class AppConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string shipped = CDataRoot::ShippedDataDir();
        ASSERT_TRUE(ReadFileBytes(JoinPath(shipped, "config/appConfig.xml"), m_shippedConfig));
        ASSERT_TRUE(CopyFileIfMissing(JoinPath(shipped, "ErrorMsg.xml"), Catalogue()));
        ASSERT_TRUE(WriteFileAtomic(ConfigPath(), m_shippedConfig));
    }
    std::string ConfigPath() const { return JoinPath(m_dir.Path(), "appConfig.xml"); }
    std::string Catalogue() const { return JoinPath(m_dir.Path(), "ErrorMsg.xml"); }
    std::string ConfigText() const {
        std::string bytes;
        ReadFileBytes(ConfigPath(), bytes);
        return bytes;
    }
    // Writes the shipped file with one element removed.
    void DropElement(const std::string& name) {
        std::string text = m_shippedConfig;
        size_t open = text.find("<" + name + ">");
        size_t close = text.find("</" + name + ">");
        ASSERT_NE(open, std::string::npos);
        ASSERT_NE(close, std::string::npos);
        text.erase(open, close + name.size() + 3 - open);
        ASSERT_TRUE(WriteFileAtomic(ConfigPath(), text));
    }

    test::TempDir m_dir;
    std::string m_shippedConfig;
    CRecordingReporter m_reporter;
    CErrorMsgDialog m_messages{Catalogue(), m_reporter};
    CAppConfig m_config{ConfigPath(), m_messages};
};

TEST_F(AppConfigTest, EveryGroupRoundTrips) {
    ProxySettings proxy{1, 0, "proxy.local", "8080", "用户", "p<&>w"};
    ASSERT_EQ(m_config.WriteProxySettings(proxy), 1);
    ProxySettings readProxy;
    ASSERT_EQ(m_config.ReadProxySettings(readProxy), 1);
    EXPECT_EQ(readProxy.server, "proxy.local");
    EXPECT_EQ(readProxy.port, "8080");
    EXPECT_EQ(readProxy.userName, "用户");
    EXPECT_EQ(readProxy.password, "p<&>w");
    EXPECT_EQ(ProxyName(readProxy), "proxy.local:8080");

    ReceiveSettings receive{1, 1, 2, 45, 1, 0, 1, 100};
    ASSERT_EQ(m_config.WriteReceiveSettings(receive), 1);
    ReceiveSettings readReceive;
    ASSERT_EQ(m_config.ReadReceiveSettings(readReceive), 1);
    EXPECT_EQ(readReceive.autoReceiveTime, 45);
    EXPECT_EQ(readReceive.paginationNum, 100);
    EXPECT_EQ(readReceive.whenExitRememberUnreadNum, 1);

    WindowPosSettings pos{10, 20, 810, 620, 250, 333};
    ASSERT_EQ(m_config.WriteWindowPos(pos), 1);
    WindowPosSettings readPos;
    ASSERT_EQ(m_config.ReadWindowPos(readPos), 1);
    EXPECT_EQ(readPos.bottom, 620);
    EXPECT_EQ(readPos.topFrameHeight, 333);

    StorageSettings storage{2, 500};
    AppearanceSettings look{255, 0, 9868950, 1, 0};
    StartupSettings startup{0, 1};
    DebugSettings debug{1, "/tmp/logs"};
    ASSERT_EQ(m_config.WriteStorageSettings(storage), 1);
    ASSERT_EQ(m_config.WriteAppearanceSettings(look), 1);
    ASSERT_EQ(m_config.WriteStartupSettings(startup), 1);
    ASSERT_EQ(m_config.WriteDebugSettings(debug), 1);
    StorageSettings s2;
    AppearanceSettings l2;
    StartupSettings st2;
    DebugSettings d2;
    ASSERT_EQ(m_config.ReadStorageSettings(s2), 1);
    ASSERT_EQ(m_config.ReadAppearanceSettings(l2), 1);
    ASSERT_EQ(m_config.ReadStartupSettings(st2), 1);
    ASSERT_EQ(m_config.ReadDebugSettings(d2), 1);
    EXPECT_EQ(s2.storageNum, 500);
    EXPECT_EQ(l2.titleUnreadColor, 255);
    EXPECT_EQ(st2.enableMinimizeToNotifyArea, 1);
    EXPECT_EQ(DiagnosticFilePath(d2), "/tmp/logs/qova_debug.html");
    EXPECT_TRUE(m_reporter.Numbers().empty());
}

TEST_F(AppConfigTest, ShippedFileReadsWithSaneDefaults) {
    std::string style;
    ASSERT_EQ(m_config.ReadAppValue("rss/articlestyle", style), 1);
    EXPECT_EQ(style, "默认");
    ReceiveSettings receive;
    ASSERT_EQ(m_config.ReadReceiveSettings(receive), 1);
    EXPECT_EQ(receive.startupAutoReceive, 0);
    EXPECT_EQ(receive.paginationNum, 50);
    StorageSettings storage;
    ASSERT_EQ(m_config.ReadStorageSettings(storage), 1);
    EXPECT_EQ(storage.storageType, 2);
    EXPECT_EQ(storage.storageNum, 200);
}

TEST_F(AppConfigTest, AppValueWritesOnlyExistingElements) {
    ASSERT_EQ(m_config.WriteAppValue("outbarmode", "2"), 1);
    std::string value;
    ASSERT_EQ(m_config.ReadAppValue("outbarmode", value), 1);
    EXPECT_EQ(value, "2");

    std::string before = ConfigText();
    EXPECT_EQ(m_config.WriteAppValue("nosuchkey", "1"), 0);
    EXPECT_EQ(m_config.WriteAppValue("rss/../proxy", "1"), 0);
    EXPECT_EQ(ConfigText(), before);
    EXPECT_EQ(m_reporter.Numbers(), (std::vector<int>{7001, 7001}));
}

TEST_F(AppConfigTest, MissingElementFailsWith7001AndWritesNothing) {
    DropElement("localporxyuse");
    std::string before = ConfigText();
    ProxySettings proxy{1, 1, "s", "1", "", ""};
    EXPECT_EQ(m_config.WriteProxySettings(proxy), 0);
    EXPECT_EQ(ConfigText(), before);  // the nodes set before the gap were not saved

    ProxySettings readBack;
    readBack.server = "unchanged";
    EXPECT_EQ(m_config.ReadProxySettings(readBack), 0);
    EXPECT_EQ(readBack.use, 0);  // fields before the gap were read
    EXPECT_EQ(readBack.server, "unchanged");
    EXPECT_EQ(m_reporter.Numbers(), (std::vector<int>{7001, 7001}));
}

TEST_F(AppConfigTest, UnreadableFileFailsWith7000) {
    ASSERT_TRUE(WriteFileAtomic(ConfigPath(), "this is not <xml"));
    StorageSettings storage;
    EXPECT_EQ(m_config.ReadStorageSettings(storage), 0);
    EXPECT_EQ(m_config.WriteStorageSettings(storage), 0);
    EXPECT_EQ(ConfigText(), "this is not <xml");
    RemoveFile(ConfigPath());
    EXPECT_EQ(m_config.ReadStorageSettings(storage), 0);
    EXPECT_FALSE(FileExists(ConfigPath()));
    EXPECT_EQ(m_reporter.Numbers(), (std::vector<int>{7000, 7000, 7000}));
    // The catalogue supplies the texts of the dialog.
    auto shown = m_reporter.ErrorMessages();
    EXPECT_FALSE(shown.front().summary.empty());
    EXPECT_EQ(shown.front().pos, 0);
}

TEST(ErrorMsgDialogTest, UnknownNumberShowsBoxThenNumberOnly) {
    test::TempDir dir;
    std::string catalogue = JoinPath(dir.Path(), "ErrorMsg.xml");
    ASSERT_TRUE(WriteFileAtomic(
        catalogue,
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><error><msg><id>3001</id><pos>2</pos>"
        "<summary>网络错误</summary><description>连接失败</description></msg></error>"));
    CRecordingReporter reporter;
    CErrorMsgDialog messages(catalogue, reporter);
    messages.ShowById(3001);
    messages.ShowById(4242);
    ASSERT_EQ(reporter.ErrorMessages().size(), 2u);
    EXPECT_EQ(reporter.ErrorMessages()[0].summary, "网络错误");
    EXPECT_EQ(reporter.ErrorMessages()[0].pos, 2);
    EXPECT_EQ(reporter.ErrorMessages()[1].number, 4242);
    EXPECT_TRUE(reporter.ErrorMessages()[1].summary.empty());
    EXPECT_EQ(reporter.MessageBoxes(), (std::vector<std::string>{"找不到对应的错误信息"}));

    // A catalogue that is missing altogether behaves like a missing entry.
    CErrorMsgDialog lost(JoinPath(dir.Path(), "none.xml"), reporter);
    lost.ShowById(3001);
    EXPECT_EQ(reporter.MessageBoxes().size(), 2u);
    messages.ShowText(4000, 1, "fault", "details");
    EXPECT_EQ(reporter.ErrorMessages().back().description, "details");
}

TEST(ProxyRuleTest, LocalAddressesGoDirectUnlessAskedOtherwise) {
    ProxySettings proxy{1, 0, "proxy", "8080", "", ""};
    EXPECT_FALSE(ShouldUseProxy(proxy, "http://192.168.1.5/xmlrpc.php"));
    EXPECT_FALSE(ShouldUseProxy(proxy, "http://127.0.0.1:8000/rpc"));
    EXPECT_FALSE(ShouldUseProxy(proxy, "https://10.1.2.3/rpc"));
    EXPECT_TRUE(ShouldUseProxy(proxy, "http://localhost/rpc"));
    EXPECT_TRUE(ShouldUseProxy(proxy, "http://1920.example.com/rpc"));
    EXPECT_TRUE(ShouldUseProxy(proxy, "http://blog.example.com/rpc"));
    proxy.useForLocal = 1;
    EXPECT_TRUE(ShouldUseProxy(proxy, "http://127.0.0.1/rpc"));
    proxy.use = 0;
    EXPECT_FALSE(ShouldUseProxy(proxy, "http://blog.example.com/rpc"));
    proxy.port.clear();
    EXPECT_EQ(ProxyName(proxy), "proxy:");
}

}  // namespace
}  // namespace zirvo
