#include "core/accounts/password_scramble.h"

#include <gtest/gtest.h>

namespace zirvo {
namespace {

TEST(PasswordScrambleTest, EveryByteAtEveryKeyPositionReadsBack) {
    for (int offset = 0; offset < 4; ++offset) {
        for (int b = 0; b < 256; ++b) {
            std::string plain(static_cast<size_t>(offset), 'x');
            plain += static_cast<char>(b);
            std::string stored = ScramblePassword(plain);
            ASSERT_EQ(stored.size(), plain.size() * 2);
            char high = stored[stored.size() - 2];
            char low = stored[stored.size() - 1];
            EXPECT_GE(high, 'A');
            EXPECT_LE(high, 'J');
            EXPECT_GE(low, 'A');
            EXPECT_LE(low, 'Z');
            ASSERT_EQ(UnscramblePassword(stored), plain) << "byte " << b << " at " << offset;
        }
    }
}

TEST(PasswordScrambleTest, KnownValuesFollowTheKey) {
    // 'a' (0x61) + 0x05 = 0x66 = 102 = 3 * 26 + 24 -> "DY"; 'b' + 0x41 = 0xA3 = 163 -> "GH";
    // 'c' + 0x1C = 0x7F = 127 -> "EX".
    EXPECT_EQ(ScramblePassword("abc"), "DYGHEX");
    EXPECT_EQ(UnscramblePassword("DYGHEX"), "abc");
    // 0xFF + 0x05 wraps to 0x04.
    EXPECT_EQ(ScramblePassword(std::string(1, '\xFF')), "AE");
}

TEST(PasswordScrambleTest, MultibyteCharactersReadBackExactly) {
    std::string plain = "密码pass中文";
    EXPECT_EQ(ScramblePassword(plain).size(), plain.size() * 2);
    EXPECT_EQ(UnscramblePassword(ScramblePassword(plain)), plain);
}

TEST(PasswordScrambleTest, EmptyStaysEmptyAndOddTextDoesNotFail) {
    EXPECT_EQ(ScramblePassword(""), "");
    EXPECT_EQ(UnscramblePassword(""), "");
    EXPECT_EQ(UnscramblePassword("DYG"), "a");
    // Lower-case or other letters are not the stored form but still give bytes, never a crash.
    EXPECT_EQ(UnscramblePassword("zz").size(), 1u);
}

}  // namespace
}  // namespace zirvo
