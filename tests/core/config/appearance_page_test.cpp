// The appearance page's rules and the window's mode integers, against a real copy of the shipped
// config/appConfig.xml.

#include "core/config/appearance_page.h"

#include <gtest/gtest.h>

#include "core/util/data_root.h"
#include "core/util/files.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

class AppearancePageTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string shipped = CDataRoot::ShippedDataDir();
        std::string bytes;
        ASSERT_TRUE(ReadFileBytes(JoinPath(shipped, "config/appConfig.xml"), bytes));
        ASSERT_TRUE(WriteFileAtomic(ConfigPath(), bytes));
        ASSERT_TRUE(CopyFileIfMissing(JoinPath(shipped, "ErrorMsg.xml"), Catalogue()));
    }
    std::string ConfigPath() const { return JoinPath(m_dir.Path(), "appConfig.xml"); }
    std::string Catalogue() const { return JoinPath(m_dir.Path(), "ErrorMsg.xml"); }
    void SetValue(const std::string& element, const std::string& value) {
        std::string text;
        ASSERT_TRUE(ReadFileBytes(ConfigPath(), text));
        const std::string open = "<" + element + ">";
        const size_t start = text.find(open);
        ASSERT_NE(start, std::string::npos);
        const size_t end = text.find("</" + element + ">", start);
        text.replace(start + open.size(), end - start - open.size(), value);
        ASSERT_TRUE(WriteFileAtomic(ConfigPath(), text));
    }

    test::TempDir m_dir;
    CRecordingReporter m_reporter;
    CErrorMsgDialog m_messages{Catalogue(), m_reporter};
    CAppConfig m_config{ConfigPath(), m_messages};
};

TEST_F(AppearancePageTest, CommitWritesBothGroupsAndReadsBack) {
    AppearancePageInput input;
    ASSERT_EQ(ReadAppearancePage(m_config, input), 1);
    input.titleUnreadColor = 0x123456;
    input.titleReadColor = 0;
    input.dateAndAuthorColor = 0xFFFFFF;
    input.useBigTitleFont = 1;
    input.useBoldTitleFont = 1;
    input.minimiseToTray = 1;
    input.autoUpdate = 0;
    SettingsCheck check;
    ASSERT_EQ(CommitAppearancePage(m_config, input, check), 1);
    EXPECT_TRUE(check.ok);

    AppearanceSettings appearance;
    StartupSettings startup;
    ASSERT_EQ(m_config.ReadAppearanceSettings(appearance), 1);
    ASSERT_EQ(m_config.ReadStartupSettings(startup), 1);
    EXPECT_EQ(appearance.titleUnreadColor, 0x123456);
    EXPECT_EQ(appearance.dateAndAuthorColor, 0xFFFFFF);
    EXPECT_EQ(appearance.useBigTitleFont, 1);
    EXPECT_EQ(appearance.useBoldTitleFont, 1);
    EXPECT_EQ(startup.enableMinimizeToNotifyArea, 1);
    EXPECT_EQ(startup.enableAutoUpdate, 0);
    AppearancePageInput again;
    ASSERT_EQ(ReadAppearancePage(m_config, again), 1);
    EXPECT_EQ(again.titleUnreadColor, 0x123456);
    EXPECT_EQ(again.minimiseToTray, 1);
}

TEST_F(AppearancePageTest, OutOfRangeValuesAreRefusedAndNothingIsWritten) {
    AppearancePageInput before;
    ASSERT_EQ(ReadAppearancePage(m_config, before), 1);
    for (int bad : {-1, 0x1000000}) {
        AppearancePageInput input = before;
        input.titleReadColor = bad;
        input.useBigTitleFont = before.useBigTitleFont == 0 ? 1 : 0;
        SettingsCheck check;
        EXPECT_EQ(CommitAppearancePage(m_config, input, check), 0);
        EXPECT_FALSE(check.ok);
        EXPECT_EQ(check.message, kMsgColour);
    }
    AppearancePageInput flag = before;
    flag.autoUpdate = 2;
    SettingsCheck check;
    EXPECT_EQ(CommitAppearancePage(m_config, flag, check), 0);
    EXPECT_EQ(check.message, kMsgZeroOrOne);
    AppearancePageInput after;
    ASSERT_EQ(ReadAppearancePage(m_config, after), 1);
    EXPECT_EQ(after.useBigTitleFont, before.useBigTitleFont);
    EXPECT_EQ(after.titleReadColor, before.titleReadColor);
}

TEST_F(AppearancePageTest, FrameModesReadTypedWithAnUnknownWorkModeAsTheReader) {
    SetValue("viewframemode", "2");
    SetValue("outbarmode", "0");
    FrameModes modes;
    ASSERT_EQ(m_config.ReadFrameModes(modes), 1);
    EXPECT_EQ(modes.viewFrameMode, 2);
    EXPECT_EQ(modes.outbarMode, 0);
    for (const char* odd : {"7", "-1", "x"}) {
        SetValue("outbarmode", odd);
        ASSERT_EQ(m_config.ReadFrameModes(modes), 1);
        EXPECT_EQ(modes.outbarMode, odd == std::string("x") ? 0 : 1) << odd;
    }
}

}  // namespace
}  // namespace zirvo
