#include "core/integration/hand_over.h"

#include <gtest/gtest.h>

namespace zirvo {
namespace {

TEST(HandOver, SchemeFormWithoutTitleGivesTheAddressAndAnEmptyTitle) {
    HandOverRequest request = ParseHandOverString("qova://http://127.0.0.1/feed.xml");
    EXPECT_EQ(request.url, "http://127.0.0.1/feed.xml");
    EXPECT_EQ(request.title, "");
    request = ParseHandOverString("QOVA://https://127.0.0.1/Feed.XML?a=1&b=2\n");
    EXPECT_EQ(request.url, "https://127.0.0.1/Feed.XML?a=1&b=2");
    EXPECT_EQ(ParseHandOverString("http://127.0.0.1/plain").url, "http://127.0.0.1/plain");
}

TEST(HandOver, TwoFieldFormCutsAtTheTitleKey) {
    HandOverRequest request =
        ParseHandOverString("qova://rssurl=http://127.0.0.1/f.xml?x=1&y=2&rsstitle=My & Feed");
    EXPECT_EQ(request.url, "http://127.0.0.1/f.xml?x=1&y=2");
    EXPECT_EQ(request.title, "My & Feed");
}

TEST(HandOver, KeysMatchInAnyLetterCaseValuesKeepTheirs) {
    const HandOverRequest request =
        ParseHandOverString("qova://RSSURL=http://127.0.0.1/A.xml&RssTitle=Mixed Case");
    EXPECT_EQ(request.url, "http://127.0.0.1/A.xml");
    EXPECT_EQ(request.title, "Mixed Case");
}

TEST(HandOver, PercentEncodedTitleIsDecodedWhenItIsText) {
    EXPECT_EQ(ParseHandOverString("rssurl=http://h/&rsstitle=%E4%B8%AD%E6%96%87").title, "中文");
    EXPECT_EQ(ParseHandOverString("rssurl=http://h/&rsstitle=100%").title, "100%");
    // Bytes that are not UTF-8 stay as they were written.
    EXPECT_EQ(ParseHandOverString("rssurl=http://h/&rsstitle=%D6%D0").title, "%D6%D0");
    EXPECT_EQ(ParseHandOverString("rssurl=http://h/&rsstitle=a%00b").title, "a%00b");
}

TEST(HandOver, OddStringsNeverThrow) {
    EXPECT_EQ(ParseHandOverString("").url, "");
    EXPECT_EQ(ParseHandOverString("&rsstitle").title, "");
    EXPECT_EQ(ParseHandOverString("&rsstitle").url, "");
    EXPECT_EQ(ParseHandOverString("rssurl&rsstitle=").url, "");
    EXPECT_EQ(ParseHandOverString("rsstitle=x&rssurl=http://h/&rsstitle=y").title, "y");
    EXPECT_EQ(ParseHandOverString("qova://").url, "");
}

}  // namespace
}  // namespace zirvo
