// The proxy and advanced pages' rules and the help page address, against a real copy of the
// shipped config/appConfig.xml.

#include "core/config/system_pages.h"

#include <gtest/gtest.h>

#include "core/config/proxy.h"
#include "core/util/data_root.h"
#include "core/util/files.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

class SystemPagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string shipped = CDataRoot::ShippedDataDir();
        std::string bytes;
        ASSERT_TRUE(ReadFileBytes(JoinPath(shipped, "config/appConfig.xml"), bytes));
        ASSERT_TRUE(WriteFileAtomic(ConfigPath(), bytes));
        ASSERT_TRUE(CopyFileIfMissing(JoinPath(shipped, "ErrorMsg.xml"), Catalogue()));
        m_savedProxy = ProcessProxy();
    }
    void TearDown() override { SetProcessProxy(m_savedProxy); }
    std::string ConfigPath() const { return JoinPath(m_dir.Path(), "appConfig.xml"); }
    std::string Catalogue() const { return JoinPath(m_dir.Path(), "ErrorMsg.xml"); }

    test::TempDir m_dir;
    ProxySettings m_savedProxy;
    CRecordingReporter m_reporter;
    CErrorMsgDialog m_messages{Catalogue(), m_reporter};
    CAppConfig m_config{ConfigPath(), m_messages};
};

TEST_F(SystemPagesTest, ProxyOnNeedsAServer) {
    ProxySettings out;
    ProxyPageInput input{true, false, "  ", "8080", "", ""};
    SettingsCheck check = CheckProxyPage(input, out);
    EXPECT_FALSE(check.ok);
    EXPECT_EQ(check.message, "请输入代理服务器地址!");
    EXPECT_EQ(check.focus, SettingsField::ProxyServer);
    // Off, an empty server is fine; the port is still formatted.
    input.use = false;
    input.portText = " 03128 ";
    ASSERT_TRUE(CheckProxyPage(input, out).ok);
    EXPECT_EQ(out.use, 0);
    EXPECT_EQ(out.port, "3128");
}

TEST_F(SystemPagesTest, PortIsFormattedOrRefused) {
    std::string port = "unchanged";
    EXPECT_TRUE(FormatProxyPort("8080", port));
    EXPECT_EQ(port, "8080");
    EXPECT_TRUE(FormatProxyPort("", port));
    EXPECT_EQ(port, "");
    for (const char* bad : {"0", "65536", "80a", "-1", "http"}) {
        port = "kept";
        EXPECT_FALSE(FormatProxyPort(bad, port)) << bad;
        EXPECT_EQ(port, "kept");
    }
    ProxySettings out;
    SettingsCheck check = CheckProxyPage({true, false, "proxy", "99999", "", ""}, out);
    EXPECT_FALSE(check.ok);
    EXPECT_EQ(check.message, "端口号需在 1~65535 之间");
    EXPECT_EQ(check.focus, SettingsField::ProxyPort);
    // An empty port joins as a lone colon.
    ASSERT_TRUE(CheckProxyPage({true, false, "proxy", "", "", ""}, out).ok);
    EXPECT_EQ(ProxyName(out), "proxy:");
}

TEST_F(SystemPagesTest, CommitWritesTheFileAndTheProcessRecord) {
    ProxySettings out;
    ASSERT_TRUE(CheckProxyPage({true, true, " proxy.lan ", "8080", "用户", "pw"}, out).ok);
    ASSERT_EQ(CommitProxyPage(m_config, out), 1);
    ProxySettings inFile;
    ASSERT_EQ(m_config.ReadProxySettings(inFile), 1);
    EXPECT_EQ(inFile.server, "proxy.lan");
    // Reopened, the page shows what it wrote.
    const ProxyPageInput reopened = ProxyPageInputOf(inFile);
    EXPECT_TRUE(reopened.use);
    EXPECT_TRUE(reopened.useForLocal);
    EXPECT_EQ(reopened.portText, "8080");
    EXPECT_EQ(inFile.useForLocal, 1);
    EXPECT_EQ(ProxyName(ProcessProxy()), "proxy.lan:8080");
    EXPECT_EQ(ProcessProxy().userName, "用户");
}

TEST_F(SystemPagesTest, FailedCommitLeavesTheProcessRecordAlone) {
    SetProcessProxy(ProxySettings{1, 0, "old", "1", "", ""});
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(ConfigPath(), bytes));
    const size_t at = bytes.find("<password></password>");
    ASSERT_NE(at, std::string::npos);
    bytes.erase(at, std::string("<password></password>").size());
    ASSERT_TRUE(WriteFileAtomic(ConfigPath(), bytes));

    EXPECT_EQ(CommitProxyPage(m_config, ProxySettings{1, 0, "new", "2", "", ""}), 0);
    EXPECT_EQ(m_reporter.Numbers(), std::vector<int>{7001});
    EXPECT_EQ(ProcessProxy().server, "old");
    std::string after;
    ASSERT_TRUE(ReadFileBytes(ConfigPath(), after));
    EXPECT_EQ(after, bytes);
}

TEST_F(SystemPagesTest, DiagnosticPathRule) {
    EXPECT_EQ(DebugPathText("/var/log/zirvo"), "/var/log/zirvo/qova_debug.html");
    EXPECT_EQ(DebugPathTextForChosenFolder("/var/log"), "/var/log/qova_debug.html");
    EXPECT_EQ(DebugPathTextForChosenFolder("/"), "/qova_debug.html");
    EXPECT_EQ(DebugFolderFromPathText("/var/log/qova_debug.html"), "/var/log");
    // The root is stored as the empty folder, and its file is still at the root.
    EXPECT_EQ(DebugFolderFromPathText("/qova_debug.html"), "");
    EXPECT_EQ(DiagnosticFilePath(DebugSettings{1, ""}), "/qova_debug.html");
    // A folder whose own name holds the file name is cut only at the end.
    EXPECT_EQ(DebugFolderFromPathText("/a/qova_debug.html/b/qova_debug.html"),
              "/a/qova_debug.html/b");
    EXPECT_EQ(DebugFolderFromPathText("/var/log/"), "/var/log");
    EXPECT_FALSE(DebugChangeEnabled(false));

    const DebugSettings settings = AdvancedPageSettings(true, "/tmp/d/qova_debug.html");
    ASSERT_EQ(m_config.WriteDebugSettings(settings), 1);
    DebugSettings back;
    ASSERT_EQ(m_config.ReadDebugSettings(back), 1);
    EXPECT_EQ(back.outFolder, "/tmp/d");
    EXPECT_EQ(DiagnosticFilePath(back), "/tmp/d/qova_debug.html");
    EXPECT_EQ(DiagnosticFilePath(DebugSettings{0, "/tmp/d"}), "");
    EXPECT_EQ(DiagnosticFilePath(DebugSettings{2, "/tmp/d"}), "");
}

TEST_F(SystemPagesTest, HelpPageIsTheShippedPageUnderTheRoot) {
    const std::string shipped = CDataRoot::ShippedDataDir();
    ASSERT_TRUE(FileExists(JoinPath(shipped, "Data/Help/index.html")));
    // A root without its own copy falls back to the shipped page.
    EXPECT_EQ(HelpPageAddress(m_dir.Path(), shipped),
              "file://" + JoinPath(shipped, "Data/Help/index.html"));
    test::TempDir root("帮助 root");
    root.MakeDir("Data");
    root.MakeDir("Data/Help");
    const std::string page = root.WriteFile("Data/Help/index.html", "<html></html>");
    const std::string address = HelpPageAddress(root.Path(), shipped);
    EXPECT_EQ(address.rfind("file:///", 0), 0u) << address;
    EXPECT_EQ(address.find(' '), std::string::npos) << address;
    EXPECT_NE(address.find("%E5%B8%AE%E5%8A%A9%20root"), std::string::npos) << address;
    EXPECT_EQ(HelpPageAddress(m_dir.Path(), m_dir.Path()), "");
}

}  // namespace
}  // namespace zirvo
