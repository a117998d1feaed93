#include "core/subscriptions/channel_checks.h"

#include <gtest/gtest.h>

namespace zirvo {
namespace {

void ExpectRefused(const FieldCheck& check, const std::string& message, DialogField field) {
    EXPECT_FALSE(check.ok);
    EXPECT_EQ(check.message, message);
    EXPECT_EQ(check.field, field);
}

TEST(ChannelChecks, AddChannelChecksRunInTheDialogsOrder) {
    ExpectRefused(CheckChannelFields("", "", ""), "请输入RSS地址", DialogField::FeedUrl);
    ExpectRefused(CheckChannelFields("", "http://a/", ""), "请输入频道名称", DialogField::Title);
    ExpectRefused(CheckChannelFields("<t>", "http://a/<", "<"), "您输入了无效的字符!",
                  DialogField::FeedUrl);
    ExpectRefused(CheckChannelFields("<t>", "http://a/", "http://h/<"), "您输入了无效的字符!",
                  DialogField::HomeUrl);
    ExpectRefused(CheckChannelFields("a>b", "http://a/", ""), "您输入了无效的字符!",
                  DialogField::Title);
    EXPECT_TRUE(CheckChannelFields("频道", "http://127.0.0.1/f.xml", "").ok);
    EXPECT_TRUE(CheckChannelFields("频道", "HTTPS://example.org:8080/f?x=1", "http://h/").ok);
}

TEST(ChannelChecks, FeedAddressMustBeAWebAddress) {
    for (const char* url :
         {"file:///etc/passwd", "FILE:/etc/passwd", "ftp://host/feed", "example.org/feed.xml",
          "gopher://h/", "http://", "https:///x", "http://:80/", "javascript:alert(1)", "http:/x",
          "http://a/b c.xml", "http://a/\tx", "http://a/x\n"}) {
        ExpectRefused(CheckChannelFields("t", url, ""), kFeedUrlNotWeb, DialogField::FeedUrl);
        ExpectRefused(CheckFetchAddress(url), kFeedUrlNotWeb, DialogField::FeedUrl);
    }
    ExpectRefused(CheckFetchAddress(""), "请输入RSS地址", DialogField::FeedUrl);
    ExpectRefused(CheckFetchAddress("http://a/<x>"), "您输入了无效的字符!", DialogField::FeedUrl);
    EXPECT_TRUE(CheckFetchAddress("http://127.0.0.1:8080/rss").ok);
}

TEST(ChannelChecks, FolderAndFavouriteChecks) {
    ExpectRefused(CheckFolderFields("", "http://x/"), "请输入目录名称", DialogField::Title);
    ExpectRefused(CheckFolderFields("a<", ""), "您输入了无效的字符!", DialogField::Title);
    ExpectRefused(CheckFolderFields("a", "x>"), "您输入了无效的字符!", DialogField::HomeUrl);
    EXPECT_TRUE(CheckFolderFields("目录", "").ok);
    ExpectRefused(CheckFavouriteNodeFields("", ""), "请输入频道名称", DialogField::Title);
    ExpectRefused(CheckFavouriteNodeFields("x", "<"), "您输入了无效的字符!", DialogField::HomeUrl);
    EXPECT_TRUE(CheckFavouriteNodeFields("收藏", "").ok);
}

TEST(ChannelChecks, FavouriteItemChecksNameTheField) {
    ExpectRefused(CheckFavouriteItemFields("", "", "", "", ""), "请输入标题", DialogField::Title);
    ExpectRefused(CheckFavouriteItemFields("t", "", "", "", ""), "请输入链接", DialogField::Link);
    const std::string illegal = "含有不合法的字符 '<' 或 '>'!";
    ExpectRefused(CheckFavouriteItemFields("t", "l", "2006-01-03 08:00:00", "a", "<b>"), illegal,
                  DialogField::Summary);
    ExpectRefused(CheckFavouriteItemFields("t", "l", "t>", "a", ""), illegal, DialogField::Time);
    ExpectRefused(CheckFavouriteItemFields("t", "l", "", "<a", ""), illegal, DialogField::Author);
    EXPECT_TRUE(CheckFavouriteItemFields("t", "l", "", "", "").ok);
}

TEST(ChannelChecks, ClipboardPrefillRule) {
    EXPECT_TRUE(ShouldPrefillFromClipboard("HTTP://EXAMPLE.ORG/RSS"));
    EXPECT_TRUE(ShouldPrefillFromClipboard("see https://example.org/feed"));
    EXPECT_FALSE(ShouldPrefillFromClipboard("no address here"));
    std::string text = "http://a/" + std::string(503, 'x');
    ASSERT_EQ(text.size(), 512u);
    EXPECT_TRUE(ShouldPrefillFromClipboard(text));
    EXPECT_FALSE(ShouldPrefillFromClipboard(text + "x"));
    // Characters, not bytes: 500 Chinese characters are 1500 bytes of UTF-8.
    std::string chinese = "http://a/";
    for (int i = 0; i < 500; ++i) {
        chinese += "中";
    }
    EXPECT_TRUE(ShouldPrefillFromClipboard(chinese));
}

TEST(ChannelChecks, EditChecksTheAddressKindOnlyWhenTheAddressChanges) {
    EXPECT_TRUE(CheckChannelEdit("t", "feed://old/rss", "", "feed://old/rss").ok);
    ExpectRefused(CheckChannelEdit("t", "feed://new/rss", "", "feed://old/rss"), kFeedUrlNotWeb,
                  DialogField::FeedUrl);
    // The other checks hold whatever the address.
    ExpectRefused(CheckChannelEdit("a<b", "feed://old/rss", "", "feed://old/rss"),
                  "您输入了无效的字符!", DialogField::Title);
    ExpectRefused(CheckChannelEdit("", "feed://old/rss", "", "feed://old/rss"), "请输入频道名称",
                  DialogField::Title);
}

TEST(ChannelChecks, OutlinesOfEveryOriginPassTheSameChecks) {
    EXPECT_EQ(CheckOutlineFields("a<b", "http://a/", "").message, "您输入了无效的字符!");
    EXPECT_EQ(CheckOutlineFields("a<b", "", "").message, "您输入了无效的字符!");
    EXPECT_EQ(CheckOutlineFields("t", "http://a/b c", "").message, kFeedUrlNotWeb);
    EXPECT_EQ(CheckOutlineFields("", "", "").message, "请输入目录名称");
    EXPECT_TRUE(CheckOutlineFields("目录", "", "http://h/").ok);
    EXPECT_TRUE(CheckOutlineFields("频道", "http://a/f.xml", "").ok);
}

TEST(ChannelChecks, CaptionsFromOutsideAreOneLineAndCutOnACharacter) {
    EXPECT_EQ(CaptionFromText("  Big\n\t News \r\n Site "), "Big News Site");
    std::string title;
    for (int i = 0; i < 2000; ++i) {
        title += "中";  // 3 bytes each
    }
    const std::string caption = CaptionFromText(title);
    EXPECT_EQ(caption.size(), 1023u);  // 341 whole characters
    EXPECT_EQ(caption, title.substr(0, 1023));
    EXPECT_EQ(CaptionFromText(std::string(12u << 20, 'x')).size(), kMaxCaptionBytes);
    EXPECT_EQ(CutAtCharacter("a中", 3), "a");
}

TEST(ChannelChecks, DuplicateAddressIsNamedWithThePath) {
    CChannelTree tree;
    const NodeId folder = tree.AddNode(kNoNode, "新闻", "", "");
    const NodeId alpha = tree.AddNode(folder, "Alpha", "http://127.0.0.1/a.xml", "");
    const FieldCheck check = CheckNotSubscribed(tree, "http://127.0.0.1/a.xml");
    ExpectRefused(check, "该频道已经订阅: 新闻 → Alpha", DialogField::FeedUrl);
    EXPECT_TRUE(CheckNotSubscribed(tree, "http://127.0.0.1/a.xml", alpha).ok);
    EXPECT_TRUE(CheckNotSubscribed(tree, "http://127.0.0.1/b.xml").ok);
}

TEST(ChannelChecks, WizardNeedsAFolderUnlessRootIsTicked) {
    CChannelTree tree;
    const NodeId folder = tree.AddNode(kNoNode, "F", "", "");
    const NodeId channel = tree.AddNode(folder, "C", "http://127.0.0.1/c", "");
    ExpectRefused(CheckWizardFolder(tree, kNoNode, false), "请选择一个目录!", DialogField::None);
    ExpectRefused(CheckWizardFolder(tree, channel, false), "请选择一个目录!", DialogField::None);
    EXPECT_TRUE(CheckWizardFolder(tree, folder, false).ok);
    EXPECT_TRUE(CheckWizardFolder(tree, kNoNode, true).ok);
}

}  // namespace
}  // namespace zirvo
