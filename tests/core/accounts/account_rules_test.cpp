#include "core/accounts/account_rules.h"

#include <gtest/gtest.h>

#include "core/accounts/account_messages.h"
#include "core/accounts/bsp_presets.h"
#include "core/accounts/new_account_wizard.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

TEST(AccountNameRulesTest, ChecksRunInOrderWithTheirMessages) {
    EXPECT_EQ(CheckAccountStep1("", "").message, kTextEnterAccountName);
    EXPECT_EQ(CheckAccountStep1("", "").field, AccountField::kName);
    for (char c : std::string("/\\:*?\"'<>|%")) {
        std::string name = std::string("ab") + c + "cd";
        EXPECT_EQ(CheckAccountName(name).message, kTextIllegalNameCharacter) << name;
    }
    // An illegal character wins over the length.
    EXPECT_EQ(CheckAccountName(std::string(30, 'a') + "%").message, kTextIllegalNameCharacter);
    RuleResult description = CheckAccountStep1("ok", "");
    EXPECT_EQ(description.message, kTextEnterDescription);
    EXPECT_EQ(description.field, AccountField::kDescription);
    EXPECT_TRUE(CheckAccountStep1("a&b", "desc").Ok());
}

TEST(AccountNameRulesTest, BlankNamesControlCharactersAndBrokenBytesAreRefused) {
    // Blanks only (ASCII, no-break and ideographic spaces) count as no name at all.
    for (const char* blank : {" ", "   ", "\xC2\xA0", "\xE3\x80\x80 "}) {
        EXPECT_EQ(CheckAccountName(blank).message, kTextEnterAccountName) << blank;
    }
    for (const std::string& name :
         {std::string("a\tb"), std::string("a\nb"), std::string("a\x7F"), std::string("a\x1B[31m"),
          std::string("a\0b", 3), std::string("\xC2\x85x"), std::string("ab\xFF"),
          std::string("\xE4\xB8"), std::string("\xC0\xAF")}) {
        EXPECT_EQ(CheckAccountName(name).message, kTextIllegalNameCharacter)
            << testing::PrintToString(name);
    }
    EXPECT_TRUE(CheckAccountName(" 我的 博客 ").Ok());
    EXPECT_TRUE(CheckAccountName("\xEF\xBF\xBD").Ok());  // a real U+FFFD is a character
}

TEST(AccountNameRulesTest, LengthCountsGb18030Bytes) {
    EXPECT_TRUE(CheckAccountName(std::string(20, 'x')).Ok());
    EXPECT_EQ(CheckAccountName(std::string(21, 'x')).message, kTextNameTooLong);
    EXPECT_TRUE(CheckAccountName("一二三四五六七八九十").Ok());  // 30 bytes of UTF-8, 20 of GB18030
    EXPECT_EQ(CheckAccountName("一二三四五六七八九十一").message, kTextNameTooLong);
    EXPECT_EQ(CheckAccountName("一二三四五六七八九十x").message, kTextNameTooLong);
}

TEST(EndpointRulesTest, PortMustBeANumberFrom0To65535) {
    EXPECT_EQ(CheckEndpoint("", "80").message, kTextEnterXmlRpcUrl);
    EXPECT_EQ(CheckEndpoint("http://h/", "").message, kTextEnterPort);
    EXPECT_EQ(CheckEndpoint("http://h/", "").field, AccountField::kPort);
    EXPECT_TRUE(CheckEndpoint("http://h/", "0").Ok());
    EXPECT_TRUE(CheckEndpoint("http://h/", "65535").Ok());
    for (const char* bad : {"65536", "-1", "8o", "80 ", "99999999999999999999"}) {
        EXPECT_EQ(CheckEndpoint("http://h/", bad).message, kTextInvalidPort) << bad;
    }
}

TEST(EndpointRulesTest, HttpsEndpointSetsPort443) {
    EXPECT_EQ(PortAfterEndpointChange("HTTPS://x", "80"), "443");
    EXPECT_EQ(PortAfterEndpointChange("https", "80"), "443");
    EXPECT_EQ(PortAfterEndpointChange("http://x", "8080"), "8080");
    EXPECT_EQ(PortAfterEndpointChange("http", "81"), "81");
}

TEST(CredentialRulesTest, UserNameThenPassword) {
    EXPECT_EQ(CheckCredentials("", "").message, kTextEnterUserName);
    EXPECT_EQ(CheckCredentials("u", "").message, kTextEnterPassword);
    EXPECT_EQ(CheckCredentials("u", "").field, AccountField::kPassword);
    EXPECT_EQ(CheckConnectionPage("", "", "").message, kTextEnterXmlRpcUrl);
    EXPECT_EQ(CheckConnectionPage("http://h", "", "").message, kTextEnterUserName);
    EXPECT_TRUE(CheckConnectionPage("http://h", "u", "p").Ok());
}

TEST(CredentialRulesTest, RecentPostsCountFrom1To999) {
    EXPECT_TRUE(CheckRecentPostsNum(1).Ok());
    EXPECT_TRUE(CheckRecentPostsNum(999).Ok());
    EXPECT_EQ(CheckRecentPostsNum(0).message, kTextRecentPostsRange);
    EXPECT_EQ(CheckRecentPostsNum(1000).message, kTextRecentPostsRange);
    EXPECT_EQ(CheckRecentPostsNumText("12a").message, kTextRecentPostsRange);
    EXPECT_TRUE(CheckRecentPostsNumText("12").Ok());
}

TEST(BspPresetsTest, ShippedFileFollowsTheHeadEntry) {
    std::vector<BspPreset> presets =
        LoadBspPresets(std::string(ZIRVO_TEST_SOURCE_DIR) + "/data/BSP.xml");
    ASSERT_GT(presets.size(), 1u);
    EXPECT_EQ(presets[0].name, kPresetListHead);
    for (size_t i = 1; i < presets.size(); ++i) {
        EXPECT_FALSE(presets[i].name.empty());
        EXPECT_FALSE(presets[i].xmlrpcUrl.empty());
    }
}

TEST(BspPresetsTest, MissingOrBrokenFileGivesOnlyTheHeadEntry) {
    test::TempDir dir("bsp");
    EXPECT_EQ(LoadBspPresets(dir.PathOf("BSP.xml")).size(), 1u);
    std::string broken = dir.WriteFile("BSP.xml", "<root><bsp><name>x</name>");
    std::vector<BspPreset> presets = LoadBspPresets(broken);
    ASSERT_EQ(presets.size(), 1u);
    EXPECT_EQ(presets[0].name, kPresetListHead);
}

TEST(NewAccountWizardTest, PresetFillsTypesAndTheEndpointPage) {
    test::TempDir dir("bsp");
    std::string path = dir.WriteFile(
        "BSP.xml",
        "<root><bsp><name>甲</name><blogapitype>MovableType</blogapitype>"
        "<encodetype>GB2312</encodetype><xml-rpc>http://a/mt.cgi</xml-rpc><port>8080</port></bsp>"
        "<bsp><name>乙</name><blogapitype>Blogger</blogapitype><encodetype>UTF-8</encodetype>"
        "<xml-rpc>https://b/x</xml-rpc><port>443</port></bsp></root>");
    std::vector<BspPreset> presets = LoadBspPresets(path);
    ASSERT_EQ(presets.size(), 3u);

    WizardRecord record;
    EXPECT_EQ(record.apiType, "MetaWeblog");
    EXPECT_EQ(record.encodeType, "UTF-8");
    EXPECT_EQ(record.xmlrpcUrl, "http://");
    EXPECT_EQ(record.port, "80");
    ChoosePreset(record, presets, 1);
    EXPECT_EQ(record.apiType, "MovableType");
    EXPECT_EQ(record.encodeType, "GB2312");
    ActivateEndpointPage(record);
    EXPECT_EQ(record.xmlrpcUrl, "http://a/mt.cgi");
    EXPECT_EQ(record.port, "8080");

    // The head entry forgets the endpoint; the fields keep what they show.
    ChoosePreset(record, presets, 0);
    SetEndpointText(record, "http://typed/");
    ActivateEndpointPage(record);
    EXPECT_EQ(record.xmlrpcUrl, "http://typed/");
    EXPECT_EQ(record.port, "8080");
    SetEndpointText(record, "Https://typed/");
    EXPECT_EQ(record.port, "443");
}

TEST(NewAccountWizardTest, MsnSpacesGetsTheFixedSecureEndpoint) {
    WizardRecord record;
    record.apiType = kApiMsnSpaces;
    ActivateEndpointPage(record);
    EXPECT_EQ(record.port, "443");
    EXPECT_TRUE(record.xmlrpcUrl.starts_with("https://"));
    EXPECT_TRUE(record.xmlrpcUrl.ends_with("/storageservice/MetaWeblog.rpc"));
}

TEST(NewAccountWizardTest, PagesCheckTheirOwnFieldsAndRowsFollowTheRecord) {
    WizardRecord record;
    EXPECT_TRUE(CheckWizardPage(record, WizardPage::kWelcome).Ok());
    EXPECT_EQ(CheckWizardPage(record, WizardPage::kStep1).message, kTextEnterAccountName);
    EXPECT_TRUE(CheckWizardPage(record, WizardPage::kStep3).Ok());
    EXPECT_EQ(CheckWizardPage(record, WizardPage::kStep4).message, kTextEnterUserName);
    EXPECT_STREQ(WizardCaption(WizardPage::kStep3), "第三步: 填写BLOG接口地址 (共5步)");

    record.name = "博客";
    record.blogUrl = "http://b/";
    auto rows = ConfirmationRows(record);
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[0], (std::pair<std::string, std::string>{"账户名", "博客"}));
    EXPECT_EQ(rows[4].first, "服务类型");
    EXPECT_EQ(rows[7], (std::pair<std::string, std::string>{"博客地址", "http://b/"}));
    EXPECT_TRUE(ToNewAccount(record).accountPassword.empty());
}

TEST(MyBlogRulesTest, EmptyOrBareHttpAddressGoesToTheDefaultService) {
    EXPECT_EQ(MyBlogAddress(""), kDefaultBlogServiceAddress);
    EXPECT_EQ(MyBlogAddress("HTTP://"), kDefaultBlogServiceAddress);
    EXPECT_EQ(MyBlogAddress("http://blog.example.org/"), "http://blog.example.org/");
}

}  // namespace
}  // namespace zirvo
