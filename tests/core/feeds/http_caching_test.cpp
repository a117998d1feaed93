// The bounds on caching headers from the network: validators, max-age and Retry-After.

#include <gtest/gtest.h>

#include "core/net/http_caching.h"

namespace zirvo {
namespace {

TEST(HttpCaching, OnlyShortPrintableValidatorsAreKept) {
    EXPECT_TRUE(IsKeepableValidator("\"abc\""));
    EXPECT_TRUE(IsKeepableValidator("W/\"x-1\""));
    EXPECT_TRUE(IsKeepableValidator(std::string(kMaxValidatorBytes, 'a')));
    EXPECT_FALSE(IsKeepableValidator(std::string(kMaxValidatorBytes + 1, 'a')));
    EXPECT_FALSE(IsKeepableValidator(""));
    EXPECT_FALSE(IsKeepableValidator("\"a\"\r\nX-Injected: 1"));
    EXPECT_FALSE(IsKeepableValidator("\"a\tb\""));
    EXPECT_FALSE(IsKeepableValidator("\"\xc3\xa9\""));
}

TEST(HttpCaching, MaxAgeIsReadCappedAndIgnoredWhenItIsNotOne) {
    EXPECT_EQ(MaxAgeSeconds("max-age=600"), 600);
    EXPECT_EQ(MaxAgeSeconds("public, max-age = 30, must-revalidate"), 30);
    EXPECT_EQ(MaxAgeSeconds("Max-Age=\"45\""), 45);
    EXPECT_EQ(MaxAgeSeconds("max-age=0"), 0);
    EXPECT_EQ(MaxAgeSeconds("max-age=99999999999999999999999"), kMaxDeferSeconds);
    EXPECT_EQ(MaxAgeSeconds("s-maxage=600"), -1);
    EXPECT_EQ(MaxAgeSeconds("max-age=-5"), -1);
    EXPECT_EQ(MaxAgeSeconds("max-age=600, no-store"), -1);
    EXPECT_EQ(MaxAgeSeconds(""), -1);
}

TEST(HttpCaching, RetryAfterTakesSecondsOrADateCappedAndNeverInThePast) {
    const std::time_t now = 1700000000;  // 2023-11-14 22:13:20 UTC
    EXPECT_EQ(RetryAfterSeconds("120", now), 120);
    EXPECT_EQ(RetryAfterSeconds("315360000", now), kMaxDeferSeconds);
    EXPECT_EQ(RetryAfterSeconds("0", now), 0);
    EXPECT_EQ(RetryAfterSeconds("Tue, 14 Nov 2023 22:23:20 GMT", now), 600);
    EXPECT_EQ(RetryAfterSeconds("Wed, 21 Oct 2015 07:28:00 GMT", now), 0);
    EXPECT_EQ(RetryAfterSeconds("Fri, 01 Jan 2100 00:00:00 GMT", now), kMaxDeferSeconds);
    EXPECT_EQ(RetryAfterSeconds("-5", now), -1);
    EXPECT_EQ(RetryAfterSeconds("soon", now), -1);
    EXPECT_EQ(RetryAfterSeconds("", now), -1);
    EXPECT_EQ(RetryAfterSeconds(std::string(100, '9') + "x", now), -1);
}

}  // namespace
}  // namespace zirvo
