#include "core/util/text_codec.h"

#include <gtest/gtest.h>

#include "core/util/base64.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

TEST(TextCodecTest, Gb18030RoundTripAndWidths) {
    std::string text = "博客 blog ①€😀";
    std::string gb = Utf8ToGb18030(text);
    EXPECT_EQ(Gb18030ToUtf8(gb), text);
    EXPECT_EQ(Gb18030Length("abc"), 3u);
    EXPECT_EQ(Gb18030Length("博客"), 4u);
    EXPECT_EQ(Gb18030Length("😀"), 4u);  // outside the two-byte plane
    EXPECT_EQ(Gb18030Length("十个汉字十个汉字十个"), 20u);
}

TEST(TextCodecTest, CutsNeverSplitACharacter) {
    EXPECT_EQ(CutToGb18030Bytes("博客ab", 3), "博");
    EXPECT_EQ(CutToGb18030Bytes("博客ab", 4), "博客");
    EXPECT_EQ(CutToGb18030Bytes("博客ab", 5), "博客a");
    EXPECT_EQ(CutToGb18030Bytes("a😀", 4), "a");
    EXPECT_EQ(CutToGb18030Bytes("", 10), "");
}

TEST(TextCodecTest, FromUtf8SpecialCases) {
    EXPECT_EQ(FromUtf8("a\xC2\xA0"
                       "b"),
              "a b");
    EXPECT_EQ(FromUtf8("x\xC2\xA6y"), "x|y");
    EXPECT_EQ(FromUtf8("中文"), "中文");
    EXPECT_EQ(FromUtf8("bad\xFF"), "bad?");
    EXPECT_EQ(FromUtf8(std::string("cut\0here", 8)), "cut");
}

TEST(TextCodecTest, BrokenBytesAreRepairedNotDropped) {
    EXPECT_EQ(SanitizeUtf8("ok\xE4\xB8"), "ok\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(SanitizeXmlText("a\x01"
                              "b\tc"),
              "ab\tc");
    std::string out;
    EXPECT_TRUE(ConvertEncoding("caf\xE9", "ISO-8859-1", "UTF-8", out));
    EXPECT_EQ(out, "café");
    EXPECT_FALSE(ConvertEncoding("x", "NO-SUCH-CHARSET", "UTF-8", out));
    // A truncated GB sequence at the end must not hang or crash.
    EXPECT_TRUE(ConvertEncoding("\xB2", "GB2312", "UTF-8", out));
}

TEST(Base64Test, RfcVectors) {
    const std::pair<const char*, const char*> vectors[] = {{"", ""},
                                                           {"f", "Zg=="},
                                                           {"fo", "Zm8="},
                                                           {"foo", "Zm9v"},
                                                           {"foob", "Zm9vYg=="},
                                                           {"fooba", "Zm9vYmE="},
                                                           {"foobar", "Zm9vYmFy"}};
    for (auto [plain, encoded] : vectors) {
        EXPECT_EQ(Base64Encode(plain), encoded);
        std::string back;
        EXPECT_TRUE(Base64Decode(encoded, back));
        EXPECT_EQ(back, plain);
    }
    std::string binary;
    for (int i = 0; i < 256; ++i) {
        binary += static_cast<char>(i);
    }
    std::string back;
    ASSERT_TRUE(Base64Decode(Base64Encode(binary), back));
    EXPECT_EQ(back, binary);
    EXPECT_EQ(Base64Encode(binary).find('\n'), std::string::npos);
    EXPECT_FALSE(Base64Decode("Zm9v!", back));
    EXPECT_FALSE(Base64Decode("Z", back));
    EXPECT_TRUE(Base64Decode("Zm9v\r\nYmFy", back));
    EXPECT_EQ(back, "foobar");
}

TEST(StringsTest, ToIntIsLenientParseIntIsStrict) {
    EXPECT_EQ(ToInt("42"), 42);
    EXPECT_EQ(ToInt(" -7x"), -7);
    EXPECT_EQ(ToInt("abc"), 0);
    EXPECT_EQ(ToInt("99999999999"), 2147483647);
    long long v = 0;
    EXPECT_TRUE(ParseInt("1440", v));
    EXPECT_EQ(v, 1440);
    EXPECT_FALSE(ParseInt("14a", v));
    EXPECT_FALSE(ParseInt("", v));
    std::string s = "a''b'";
    EXPECT_EQ(ReplaceAll(s, "'", "''"), 3u);
    EXPECT_EQ(s, "a''''b''");
    EXPECT_EQ(StrFormat("%s[%d]: %s", "X", 1000, ""), "X[1000]: ");
}

}  // namespace
}  // namespace zirvo
