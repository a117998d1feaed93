#include "core/integration/window_message.h"

#include <gtest/gtest.h>

#include <limits>

namespace zirvo {
namespace {

TEST(WindowMessage, EncodedMessagesDecodeToThemselves) {
    const WindowMessage messages[] = {
        {2174, 0, 0},
        {2166, 1100, 99997},
        {2168, -1, std::numeric_limits<std::int64_t>::min()},
        {2169, std::numeric_limits<std::int64_t>::max(), 42},
    };
    for (const auto& m : messages) {
        const std::string line = EncodeWindowMessage(m);
        ASSERT_EQ(line.back(), '\n');
        const auto decoded = DecodeWindowMessage(line);
        ASSERT_TRUE(decoded.has_value()) << line;
        EXPECT_EQ(*decoded, m);
    }
    const auto crlf = DecodeWindowMessage("2173 5 6\r\n");
    ASSERT_TRUE(crlf.has_value());
    EXPECT_EQ(crlf->lParam, 6);
}

TEST(WindowMessage, RubbishIsRefusedWithAReason) {
    const char* rubbish[] = {
        "",
        "\n",
        "2174",
        "2174 0",
        "2174 0 0 0",
        "2174  0 0",
        " 2174 0 0",
        "2174 0 0 ",
        "2174\t0\t0",
        "+2174 0 0",
        "2174 0x10 0",
        "2174 - 0",
        "2174 0 1e3",
        "abc def ghi",
        "2174 0 99999999999999999999",
        "99999999999 0 0",
        "2174 0 0\n2174 0 0",
    };
    for (const char* text : rubbish) {
        std::string why;
        EXPECT_FALSE(DecodeWindowMessage(text, &why).has_value()) << '"' << text << '"';
        EXPECT_FALSE(why.empty()) << text;
    }
    std::string longLine(500, '1');
    std::string why;
    EXPECT_FALSE(DecodeWindowMessage(longLine, &why).has_value());
    EXPECT_EQ(why, "message line too long");
    std::string withNul("2174 0 0", 8);
    withNul[4] = '\0';
    EXPECT_FALSE(DecodeWindowMessage(withNul).has_value());
}

TEST(WindowMessage, ChannelNameDependsOnTheRootOnly) {
    const std::string a = LocalChannelName("/home/u/.local/share/zirvo");
    EXPECT_EQ(a, LocalChannelName("/home/u/.local/share/zirvo/"));
    EXPECT_NE(a, LocalChannelName("/home/u/other"));
    EXPECT_EQ(a.rfind("QOVAMainProcessClass1.0-", 0), 0u);
    EXPECT_EQ(a.size(), std::string("QOVAMainProcessClass1.0-").size() + 16);
    for (char c : a.substr(24)) {
        EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'));
    }
}

TEST(WindowMessage, OneTableNamesEveryNumberAsItsReceiverReadsIt) {
    // The channel tree's three messages: show the list again, an item's read state, the
    // status text; the item read state is the one the list sends when a row changes.
    EXPECT_EQ(kMsgRefreshList, 2170);
    EXPECT_EQ(kMsgItemReadState, 2171);
    EXPECT_EQ(kMsgReceiveStatus, 2172);
    EXPECT_EQ(kMsgMarkShownRead, 2173);
    // Other programs may send only the blog-tree update, the style change and the hand-over.
    for (int number = 2160; number <= 2180; ++number) {
        const bool external = number == kMsgBlogTreeUpdate || number == kMsgArticleStyleChanged ||
                              number == kMsgSubscriptionHandOver;
        EXPECT_EQ(IsExternalWindowMessage(number), external) << number;
    }
}

}  // namespace
}  // namespace zirvo
