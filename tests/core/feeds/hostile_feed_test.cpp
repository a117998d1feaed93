// Feeds written to hurt: entity expansion, oversized fields, and bytes in an encoding nobody
// declared. Each must end as a clean failure or as readable items, never as gigabytes of text,
// megabytes of one title or a row of replacement characters.

#include <gtest/gtest.h>

#include "core/feeds/feed_fetcher.h"
#include "core/feeds/feed_parser.h"
#include "core/util/files.h"
#include "core/util/text_codec.h"
#include "support/feed_server.h"
#include "support/hostile_xml.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

std::string DataFile(const std::string& name) {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(std::string(ZIRVO_TEST_DATA_DIR) + "/" + name, bytes)) << name;
    return bytes;
}

bool IsCleanUtf8(const std::string& text) {
    return SanitizeUtf8(text) == text && text.find("\xEF\xBF\xBD") == std::string::npos;
}

TEST(HostileFeed, EntityExpansionFailsTheFeedOverHttp) {
    test::TempDir site("bomb-site");
    test::CFeedServer server(site.Path());
    const std::string feed = test::EntityExpansionFeed();
    ASSERT_TRUE(server.Put("/bomb.rss", feed));

    std::vector<RssItem> items;
    std::string error;
    EXPECT_EQ(ParseFeedItems(feed, "", items, error), FeedParseError::NotXml);
    EXPECT_NE(error.find("entity"), std::string::npos) << error;

    CFeedFetcher fetcher;
    EXPECT_FALSE(fetcher.FetchFeed(server.Url("/bomb.rss"), items));
    EXPECT_EQ(fetcher.LastResult().failure, FeedFailure::NotXml);
    EXPECT_TRUE(items.empty());
}

TEST(HostileFeed, OversizedItemFieldsAreCutOnACharacterBoundary) {
    // Three-byte characters after one ASCII byte: no cap falls between two characters.
    auto huge = [](size_t bytes) {
        std::string text = "x";
        while (text.size() < bytes) {
            text += "\xE4\xB8\xAD";
        }
        return text;
    };
    const std::string title = huge(100 * 1024);
    const std::string link = "http://example.com/" + huge(20 * 1024);
    const std::string author = huge(10 * 1024);
    const std::string description = huge(5 * 1024 * 1024);
    std::string feed = "<rss version=\"2.0\"><channel><title>T</title><item><title>" + title +
                       "</title><link>" + link + "</link><author>" + author +
                       "</author><description>" + description +
                       "</description></item></channel></rss>";
    std::vector<RssItem> items;
    std::string error;
    ASSERT_EQ(ParseFeedItems(feed, "", items, error), FeedParseError::None) << error;
    ASSERT_EQ(items.size(), 1u);
    const RssItem& item = items[0];
    EXPECT_LE(item.title.size(), kMaxItemTitleBytes);
    EXPECT_GT(item.title.size(), kMaxItemTitleBytes - 3);
    EXPECT_LE(item.link.size(), kMaxItemLinkBytes);
    EXPECT_LE(item.author.size(), kMaxItemAuthorBytes);
    EXPECT_LE(item.description.size(), kMaxItemDescriptionBytes);
    EXPECT_GT(item.description.size(), kMaxItemDescriptionBytes - 3);
    for (const std::string* field : {&item.title, &item.link, &item.author, &item.description}) {
        EXPECT_TRUE(IsCleanUtf8(*field));
    }
    EXPECT_EQ(title.compare(0, item.title.size(), item.title), 0);
    EXPECT_EQ(link.compare(0, item.link.size(), item.link), 0);
}

TEST(HostileFeed, UndeclaredLatin1FeedIsDetected) {
    std::vector<RssItem> items;
    std::string error;
    ASSERT_EQ(ParseFeedItems(DataFile("encodings/br-latin1-undeclared.rss"), "", items, error),
              FeedParseError::None)
        << error;
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].title, "Fama \"A\" é campeã");
    EXPECT_EQ(items[0].author, "Redação São Paulo");
    EXPECT_EQ(items[1].title, "Seleção feminina começa preparação para o torneio");
}

TEST(HostileFeed, UndeclaredGb2312FeedArrivesAsChinese) {
    std::vector<RssItem> items;
    std::string error;
    ASSERT_EQ(ParseFeedItems(DataFile("encodings/cn-gb2312-undeclared.rss"), "", items, error),
              FeedParseError::None)
        << error;
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].title, "国产大型客机完成首次跨洋飞行");
    EXPECT_EQ(items[0].author, "记者 王明");
    EXPECT_EQ(items[1].title, "高校研究团队发布新型电池材料");
}

TEST(HostileFeed, UndeclaredBytesWithoutAClearEncodingFallBackToWindows1252) {
    // Too little text for any detector; windows-1252 still gives every byte a character.
    std::string feed =
        "<rss><channel><item><title>\x93ol\xE1\x94</title><link>http://x/1</link></item>"
        "</channel></rss>";
    std::vector<RssItem> items;
    std::string error;
    ASSERT_EQ(ParseFeedItems(feed, "", items, error), FeedParseError::None) << error;
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].title, "\u201Col\u00E1\u201D");
}

TEST(HostileFeed, DeclaredOrHttpCharsetStillWinsOverDetection) {
    std::string latin1 = DataFile("encodings/br-latin1-undeclared.rss");
    std::vector<RssItem> items;
    std::string error;
    // The server says UTF-8: it is believed, and the broken bytes spoil only their characters.
    ASSERT_EQ(ParseFeedItems(latin1, "utf-8", items, error), FeedParseError::None) << error;
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].title, "Fama \"A\" \xEF\xBF\xBD campe\xEF\xBF\xBD");
}

}  // namespace
}  // namespace zirvo
