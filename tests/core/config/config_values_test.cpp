// One setting at a time by its path, through the settings pages' checks, on a real copy of the
// shipped config/appConfig.xml.

#include "core/config/config_values.h"

#include <gtest/gtest.h>

#include "core/config/proxy.h"
#include "core/util/data_root.h"
#include "core/util/files.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

class ConfigValuesTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string shipped = CDataRoot::ShippedDataDir();
        ASSERT_TRUE(ReadFileBytes(JoinPath(shipped, "config/appConfig.xml"), m_shipped));
        ASSERT_TRUE(WriteFileAtomic(ConfigPath(), m_shipped));
        ASSERT_TRUE(CopyFileIfMissing(JoinPath(shipped, "ErrorMsg.xml"), Catalogue()));
        m_savedProxy = ProcessProxy();
    }
    void TearDown() override { SetProcessProxy(m_savedProxy); }
    std::string ConfigPath() const { return JoinPath(m_dir.Path(), "appConfig.xml"); }
    std::string Catalogue() const { return JoinPath(m_dir.Path(), "ErrorMsg.xml"); }
    std::string FileText() const {
        std::string bytes;
        ReadFileBytes(ConfigPath(), bytes);
        return bytes;
    }
    std::string Value(const std::string& key) {
        std::vector<std::pair<std::string, std::string>> values;
        EXPECT_EQ(ReadConfigValues(m_config, key, values), 1) << key;
        return values.size() == 1 ? values.front().second : "(not one setting)";
    }
    // A refused write leaves the file byte for byte as it was.
    void ExpectRefused(const std::string& key, const std::string& value, const char* message) {
        const std::string before = FileText();
        ConfigWrite write = WriteConfigValue(m_config, key, value);
        EXPECT_FALSE(write.check.ok) << key << "=" << value;
        EXPECT_EQ(write.check.message, message) << key << "=" << value;
        EXPECT_EQ(FileText(), before) << key << "=" << value;
    }
    std::string ExpectWritten(const std::string& key, const std::string& value) {
        ConfigWrite write = WriteConfigValue(m_config, key, value);
        EXPECT_TRUE(write.check.ok) << key << "=" << value << ": " << write.check.message;
        EXPECT_EQ(write.written, 1) << key << "=" << value;
        EXPECT_EQ(Value(key), write.stored);
        return write.stored;
    }

    test::TempDir m_dir;
    std::string m_shipped;
    ProxySettings m_savedProxy;
    CRecordingReporter m_reporter;
    CErrorMsgDialog m_messages{Catalogue(), m_reporter};
    CAppConfig m_config{ConfigPath(), m_messages};
};

TEST(ConfigKey, EveryFormOfAPathNamesTheSameElement) {
    std::string key;
    for (const char* form : {"/app/rss/paginationnum", "app/rss/paginationnum", "rss/paginationnum",
                             "rss/paginationnum/"}) {
        ASSERT_TRUE(NormaliseConfigKey(form, key)) << form;
        EXPECT_EQ(key, "rss/paginationnum");
    }
    ASSERT_TRUE(NormaliseConfigKey("/app", key));
    EXPECT_EQ(key, "");
    for (const char* bad : {"rss//x", "rss/*", "//app", "rss/x[1]", "../x", "rss/x or 1"}) {
        EXPECT_FALSE(NormaliseConfigKey(bad, key)) << bad;
    }
}

TEST_F(ConfigValuesTest, ListsEverySettingOrAGroup) {
    std::vector<std::pair<std::string, std::string>> all;
    ASSERT_EQ(ReadConfigValues(m_config, "", all), 1);
    ASSERT_GE(all.size(), 30u);
    EXPECT_EQ(all.front(), std::make_pair(std::string("proxy/use"), std::string("0")));
    std::vector<std::pair<std::string, std::string>> rss;
    ASSERT_EQ(ReadConfigValues(m_config, "rss", rss), 1);
    EXPECT_EQ(rss.front().first, "rss/articlestyle");
    EXPECT_EQ(rss.front().second, "默认");
    std::vector<std::pair<std::string, std::string>> none;
    EXPECT_EQ(ReadConfigValues(m_config, "rss/nosuchthing", none), 0);
    EXPECT_EQ(m_reporter.Numbers(), std::vector<int>{7001});
}

TEST_F(ConfigValuesTest, PageRangesAreEnforcedAtTheirEdges) {
    ExpectRefused("rss/paginationnum", "15", "分页数需在 30~1000 之间");
    ExpectRefused("rss/paginationnum", "1001", "分页数需在 30~1000 之间");
    ExpectRefused("rss/paginationnum", "50abc", "分页数需在 30~1000 之间");
    EXPECT_EQ(ExpectWritten("rss/paginationnum", "30"), "30");
    EXPECT_EQ(ExpectWritten("rss/paginationnum", " 1000 "), "1000");

    ExpectRefused("rss/autoreceivetime", "4", "分钟数需在 5~1440 之间");
    ExpectRefused("rss/autoreceivetime", "1441", "分钟数需在 5~1440 之间");
    EXPECT_EQ(ExpectWritten("rss/autoreceivetime", "1440"), "1440");

    ExpectRefused("rss/storagenum", "9", "不是合理的存储数量!");
    EXPECT_EQ(ExpectWritten("rss/storagenum", "10"), "10");
    ExpectRefused("rss/storagetype", "0", "请选择一个设置");
    ExpectRefused("rss/storagetype", "4", "请选择一个设置");
    ExpectWritten("rss/storagetype", "3");

    ExpectRefused("rss/autoreceive", "2", "请输入 0 或 1");
    ExpectRefused("outbarmode", "3", "工作模式只能是 0、1 或 2");
    ExpectRefused("rss/titlereadcolor", "16777216", "颜色值需在 0~16777215 之间");
    ExpectRefused("wndpos/left", "left", "请输入一个整数");
    EXPECT_EQ(ExpectWritten("wndpos/left", "-20"), "-20");
    ExpectRefused("rss/articlestyle", "../../etc", "您输入了无效的字符!");
    EXPECT_EQ(ExpectWritten("rss/articlestyle", "蓝色 经典"), "蓝色 经典");
}

TEST_F(ConfigValuesTest, GroupsAndUnknownKeysAreNotWritten) {
    ExpectRefused("rss", "1", kMsgNotOneSetting);
    ExpectRefused("", "1", kMsgNotOneSetting);
    ExpectRefused("rss/paginationnum[1]", "100", kMsgBadSettingPath);
    const std::string before = FileText();
    ConfigWrite write = WriteConfigValue(m_config, "rss/nosuchthing", "1");
    EXPECT_TRUE(write.check.ok);
    EXPECT_EQ(write.written, 0);
    EXPECT_EQ(m_reporter.Numbers(), std::vector<int>{7001});
    EXPECT_EQ(FileText(), before);
    // A setting the rules do not know is still written as text.
    EXPECT_EQ(ExpectWritten("rss/newssearchurl", "http://127.0.0.1/s?q=%s&n=%d"),
              "http://127.0.0.1/s?q=%s&n=%d");
}

TEST_F(ConfigValuesTest, ProxyValuesFollowTheProxyPageAndTheProcessRecord) {
    // The shipped file has no server: switching the proxy on is refused.
    ExpectRefused("proxy/use", "1", "请输入代理服务器地址!");
    EXPECT_EQ(ExpectWritten("proxy/server", " proxy.lan "), "proxy.lan");
    ExpectWritten("proxy/use", "1");
    EXPECT_EQ(ProcessProxy().use, 1);
    EXPECT_EQ(ProxyName(ProcessProxy()), "proxy.lan:8080");
    ExpectRefused("proxy/server", "", "请输入代理服务器地址!");
    ExpectRefused("proxy/port", "0", "端口号需在 1~65535 之间");
    EXPECT_EQ(ExpectWritten("proxy/port", "03128"), "3128");
    EXPECT_EQ(ProxyName(ProcessProxy()), "proxy.lan:3128");
    EXPECT_EQ(ExpectWritten("proxy/port", ""), "");
    EXPECT_EQ(ProxyName(ProcessProxy()), "proxy.lan:");
}

TEST_F(ConfigValuesTest, AnUnreadablePortDoesNotBlockTheRestOfTheGroup) {
    ASSERT_EQ(m_config.WriteAppValue("proxy/port", "eighty"), 1);
    ExpectWritten("proxy/server", "proxy.lan");
    ExpectWritten("proxy/use", "1");
    EXPECT_EQ(Value("proxy/port"), "eighty");
    ExpectWritten("proxy/use", "0");
    EXPECT_EQ(ProcessProxy().use, 0);
}

TEST_F(ConfigValuesTest, DiagnosticFolderIsStoredWithoutTheFileName) {
    EXPECT_EQ(ExpectWritten("debug/out", "/var/log/zirvo/qova_debug.html"), "/var/log/zirvo");
    EXPECT_EQ(ExpectWritten("debug/out", "/srv/logs/"), "/srv/logs");
    EXPECT_EQ(ExpectWritten("/app/debug/out", "/qova_debug.html"), "");
}

}  // namespace
}  // namespace zirvo
