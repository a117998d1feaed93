// Every feed of the shared corpus, read from disk: RSS 2.0 files give all their items with
// their texts intact, the others fail cleanly. Skipped where the corpus is not there.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/feeds/feed_parser.h"
#include "support/test_env.h"

namespace zirvo {
namespace {

std::string ReadCorpus(const std::string& name) {
    std::ifstream in(test::CorpusFeedsDir() + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class FetchCorpus : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::string reason = test::CorpusMissingReason(); !reason.empty()) {
            GTEST_SKIP() << reason;
        }
    }
};

struct CorpusFeed {
    const char* name;
    size_t items;
};

// Item counts as the files list them (none of them has an item without link).
const CorpusFeed kRss2Feeds[] = {
    {"content-encoded.rss", 7}, {"customfields.rss", 15}, {"encoding.rss", 40},
    {"gb2312-news.xml", 3},     {"heraldsun.rss", 2},     {"instant-article.rss", 1},
    {"itunes-href.rss", 10},    {"narro.rss", 1},         {"pagination-links.rss", 1},
    {"reddit.rss", 24},
};

TEST_F(FetchCorpus, EveryRss2FeedGivesAllItemsWithLinksAndDates) {
    for (const auto& feed : kRss2Feeds) {
        SCOPED_TRACE(feed.name);
        std::vector<RssItem> items;
        std::string error;
        ASSERT_EQ(ParseFeedItems(ReadCorpus(feed.name), "", items, error), FeedParseError::None)
            << error;
        ASSERT_EQ(items.size(), feed.items);
        for (const auto& item : items) {
            EXPECT_FALSE(item.link.empty());
            // Normalised: "YYYY-MM-DD HH:MM:SS" for every item, dated or not.
            ASSERT_EQ(item.date.size(), 19u) << item.date;
            EXPECT_EQ(item.date[4], '-');
            EXPECT_EQ(item.date[10], ' ');
        }
    }
}

TEST_F(FetchCorpus, Gb2312FeedComesOutAsUtf8) {
    std::vector<RssItem> items;
    std::string error;
    std::string bytes = ReadCorpus("gb2312-news.xml");
    ASSERT_EQ(ParseFeedItems(bytes, "", items, error), FeedParseError::None) << error;
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].title, "第一条新闻：开源软件的发展");
    EXPECT_EQ(items[0].author, "张三");
    EXPECT_EQ(items[0].description, "内容一 & 更多");
    EXPECT_EQ(items[0].date, "2006-01-03 08:00:00");
    EXPECT_EQ(items[1].description, "<b>粗体</b> 文字");
    EXPECT_EQ(items[1].date, "2006-01-02 01:30:00");  // +08:00 on a UTC clock
    EXPECT_EQ(items[2].title, "第三条 - 特殊字符 “引号”");
    EXPECT_EQ(items[2].date, "2006-01-01 10:00:00");

    CXmlDocument doc;
    ASSERT_EQ(LoadFeedDocument(bytes, "", doc, error), FeedParseError::None);
    EXPECT_EQ(ReadChannelTitle(doc), "中文新闻频道");
}

TEST_F(FetchCorpus, Latin1FeedComesOutAsUtf8) {
    std::vector<RssItem> items;
    std::string error;
    std::string bytes = ReadCorpus("encoding.rss");
    ASSERT_EQ(ParseFeedItems(bytes, "", items, error), FeedParseError::None) << error;
    CXmlDocument doc;
    ASSERT_EQ(LoadFeedDocument(bytes, "", doc, error), FeedParseError::None);
    EXPECT_EQ(ReadChannelTitle(doc), "Jornal de Notícias - Últimas Notícias");
    // Dates carry trailing line breaks in this file; they are still read.
    EXPECT_EQ(items[0].date, "2018-01-03 13:47:00");
    for (const auto& item : items) {
        EXPECT_EQ(item.title.find("\xEF\xBF\xBD"), std::string::npos) << item.title;
    }
}

TEST_F(FetchCorpus, ContentEncodedFeedKeepsItsDescription) {
    std::vector<RssItem> items;
    std::string error;
    ASSERT_EQ(ParseFeedItems(ReadCorpus("content-encoded.rss"), "", items, error),
              FeedParseError::None);
    ASSERT_EQ(items.size(), 7u);
    EXPECT_EQ(items[0].date, "2018-04-09 18:55:38");
    EXPECT_FALSE(items[0].title.empty());
}

TEST_F(FetchCorpus, AtomAndRssOneFilesAreReadAndHtmlFailsCleanly) {
    const std::pair<const char*, size_t> others[] = {
        {"gulp-atom.atom", 10},  {"many-links.rss", 25}, {"missing-fields.atom", 1},
        {"reddit-home.rss", 24}, {"rss-1.rss", 69},
    };
    for (const auto& [name, count] : others) {
        SCOPED_TRACE(name);
        std::vector<RssItem> items;
        std::string error;
        ASSERT_EQ(ParseFeedItems(ReadCorpus(name), "", items, error), FeedParseError::None)
            << error;
        EXPECT_EQ(items.size(), count);
        for (const auto& item : items) {
            EXPECT_FALSE(item.link.empty());
            ASSERT_EQ(item.date.size(), 19u) << item.date;
        }
    }
    std::vector<RssItem> items;
    std::string error;
    EXPECT_EQ(ParseFeedItems(ReadCorpus("unrecognized.rss"), "", items, error),
              FeedParseError::Html);
    EXPECT_TRUE(items.empty());
    EXPECT_FALSE(error.empty());
}

TEST_F(FetchCorpus, AtomLinksResolveAgainstTheFeedsOwnPage) {
    std::vector<RssItem> items;
    std::string error;
    ASSERT_EQ(ParseFeedItems(ReadCorpus("gulp-atom.atom"), "", items, error), FeedParseError::None);
    EXPECT_EQ(items[0].link, "https://github.com/gulpjs/gulp/releases/tag/v3.9.0");
    EXPECT_EQ(items[0].title, "v3.9.0");
}

}  // namespace
}  // namespace zirvo
