#include "core/search/news_search.h"

#include <gtest/gtest.h>

#include "core/feeds/feed_fetcher.h"
#include "core/util/files.h"
#include "core/util/reporter.h"
#include "core/util/strings.h"
#include "support/feed_server.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

constexpr const char* kShippedTemplate =
    "http://news.example/ns?word=%s&ie=gb2312&cl=2&rn=%d&ct=0&tn=newsrss&class=0";

TEST(NewsSearchUrl, KeywordIsGb2312PercentEncoded) {
    EXPECT_EQ(BuildNewsSearchUrl(kShippedTemplate, "中文", false, "10"),
              "http://news.example/ns?word=%D6%D0%CE%C4&ie=gb2312&cl=2&rn=10&ct=0&tn=newsrss"
              "&class=0");
    // Blanks, "&", "#" and "%" cannot end the value or start another key.
    EXPECT_EQ(BuildNewsSearchUrl(kShippedTemplate, "a b&rn=1#x%s", false, "20"),
              "http://news.example/ns?word=a%20b%26rn%3D1%23x%25s&ie=gb2312&cl=2&rn=20&ct=0"
              "&tn=newsrss&class=0");
}

TEST(NewsSearchUrl, TitleOnlyAddsThePrefix) {
    EXPECT_TRUE(StartsWith(BuildNewsSearchUrl(kShippedTemplate, "linux", true, "50"),
                           "http://news.example/ns?word=title%3Alinux&"));
    EXPECT_TRUE(StartsWith(BuildNewsSearchUrl(kShippedTemplate, "linux", false, "50"),
                           "http://news.example/ns?word=linux&"));
}

TEST(NewsSearchUrl, AddressWithoutPlaceholderNamesTheService) {
    EXPECT_EQ(BuildNewsSearchUrl("http://127.0.0.1:8080/anything", "x", false, "100"),
              "http://127.0.0.1:8080/ns?word=x&ie=gb2312&cl=2&rn=100&ct=0&tn=newsrss&class=0");
    EXPECT_EQ(BuildNewsSearchUrl("http://h/q?a=%%&w=%s&n=%d&k=%3A", "y", false, "10"),
              "http://h/q?a=%&w=y&n=10&k=%3A");
}

TEST(NewsSearchUrl, UnusableAddressesGiveNothing) {
    EXPECT_EQ(BuildNewsSearchUrl("file:///etc/passwd?%s", "x", false, "10"), "");
    EXPECT_EQ(BuildNewsSearchUrl("", "x", false, "10"), "");
    EXPECT_EQ(BuildNewsSearchUrl(kShippedTemplate, "x", false, "ten"), "");
}

class NewsSearchTest : public ::testing::Test {
protected:
    NewsSearchTest()
        : m_messages(std::string(ZIRVO_TEST_SOURCE_DIR) + "/data/ErrorMsg.xml", m_reporter),
          m_store((m_dir.MakeDir("Storage"), m_dir.Path())) {}

    void SetUp() override { ASSERT_TRUE(m_store.Open()) << m_store.GetLastError(); }

    // The fetcher the programs use.
    static FeedFetcher Fetcher() { return FetchFeed; }

    test::TempDir m_dir{"news"};
    CRecordingReporter m_reporter;
    CErrorMsgDialog m_messages;
    CRssStore m_store;
    test::CFeedServer m_server;
};

TEST_F(NewsSearchTest, ResultsAreStagedUnderChannelZero) {
    ASSERT_TRUE(m_server.Put("/ns", R"(<?xml version="1.0" encoding="UTF-8"?>
<rss version="2.0"><channel><title>news</title>
<item><title>第一</title><link>http://127.0.0.1/n1</link><description>a</description></item>
<item><title>second</title><link>http://127.0.0.1/n2</link></item>
</channel></rss>)"));
    const std::string service = m_server.Url("/ns?word=%s&ie=gb2312&rn=%d");
    SearchResult result;
    ASSERT_TRUE(
        SearchNews(Fetcher(), m_store, service, "新闻 & more", true, "20", result, m_messages));
    ASSERT_EQ(result.items.size(), 2u);
    EXPECT_TRUE(result.fromStaging);
    EXPECT_EQ(result.heading, "有 2 项符合关键字 \"新闻 & more\" 的结果, 在百度新闻搜索中");
    EXPECT_EQ(result.items[1].group, result.heading);
    // What the server was asked.
    const std::vector<test::RecordedRequest> requests = m_server.RequestsFor("/ns");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, "/ns?word=title%3A%D0%C2%CE%C5%20%26%20more&ie=gb2312&rn=20");
    // The ids name staging rows of channel 0.
    RssItem staged;
    ASSERT_TRUE(m_store.GetItem(result.items[0].id, true, staged));
    EXPECT_EQ(staged.title, "第一");
    EXPECT_EQ(staged.channelId, 0);

    // A second search replaces the first one's rows.
    ASSERT_TRUE(SearchNews(Fetcher(), m_store, service, "x", false, "10", result, m_messages));
    EXPECT_FALSE(m_store.GetItem(staged.id, true, staged));
}

TEST_F(NewsSearchTest, FailedFetchOrEmptyAnswerFindsNothing) {
    ASSERT_TRUE(m_server.Put("/empty", "<rss><channel><title>x</title></channel></rss>"));
    SearchResult result;
    EXPECT_FALSE(SearchNews(Fetcher(), m_store, m_server.Url("/empty?w=%s"), "x", false, "10",
                            result, m_messages));
    EXPECT_FALSE(SearchNews(Fetcher(), m_store, m_server.Url("/status/500?w=%s"), "x", false, "10",
                            result, m_messages));
    EXPECT_TRUE(result.items.empty());
    EXPECT_EQ(m_reporter.MessageBoxes(),
              (std::vector<std::string>{"没有符合条件的搜索结果!", "没有符合条件的搜索结果!"}));
}

TEST_F(NewsSearchTest, ServiceAddressComesFromTheConfiguration) {
    std::string shipped;
    ASSERT_TRUE(
        ReadFileBytes(std::string(ZIRVO_TEST_SOURCE_DIR) + "/data/config/appConfig.xml", shipped));
    CAppConfig config(m_dir.WriteFile("config/appConfig.xml", shipped), m_messages);
    std::string address;
    ASSERT_TRUE(ReadNewsSearchAddress(config, address));
    const std::string url = BuildNewsSearchUrl(address, "中文", false, "10");
    EXPECT_NE(url.find("word=%D6%D0%CE%C4&ie=gb2312"), std::string::npos) << url;
    EXPECT_NE(url.find("rn=10&"), std::string::npos) << url;
}

}  // namespace
}  // namespace zirvo
