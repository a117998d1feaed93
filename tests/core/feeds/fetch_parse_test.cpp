// Reading items out of feed documents: the item walk, dates, texts and encodings.

#include <gtest/gtest.h>

#include "core/feeds/feed_parser.h"
#include "core/util/feed_date.h"
#include "core/util/text_codec.h"

namespace zirvo {
namespace {

std::string Feed(const std::string& items, const std::string& rootAttributes = "") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"" + rootAttributes +
           "><channel><title>T</title>" + items + "</channel></rss>";
}

std::vector<RssItem> Parse(const std::string& bytes, FeedParseError expected = FeedParseError::None,
                           const std::string& charset = "") {
    std::vector<RssItem> items;
    std::string error;
    EXPECT_EQ(ParseFeedItems(bytes, charset, items, error), expected) << error;
    return items;
}

TEST(FeedParse, StopsAtTheFirstItemWithoutLink) {
    auto items =
        Parse(Feed("<item><title>a</title><link>http://x/a</link></item>"
                   "<item><title>b</title><link>http://x/b</link></item>"
                   "<item><title>no link</title></item>"
                   "<item><title>d</title><link>http://x/d</link></item>"));
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].title, "a");
    EXPECT_EQ(items[1].link, "http://x/b");
}

TEST(FeedParse, FirstItemWithoutLinkFailsEvenWhenLaterItemsHaveOne) {
    auto items = Parse(Feed("<item><title>first</title></item>"
                            "<item><title>b</title><link>http://x/b</link></item>"),
                       FeedParseError::NoItems);
    EXPECT_TRUE(items.empty());
}

TEST(FeedParse, ReadsEveryFieldWithEntitiesAndCdataResolved) {
    auto items =
        Parse(Feed("<item><title>A &amp; B &lt;c&gt; &#20013;</title>"
                   "<link>\n  http://x/a?p=1&amp;q=2  \n</link>"
                   "<author>me@example.org (Me)</author>"
                   "<description><![CDATA[<p>Hello & <b>bold</b></p>]]></description>"
                   "<pubDate>Tue, 03 Jan 2006 08:00:00 GMT</pubDate></item>"));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].title, "A & B <c> \xE4\xB8\xAD");
    EXPECT_EQ(items[0].link, "http://x/a?p=1&q=2");
    EXPECT_EQ(items[0].author, "me@example.org (Me)");
    EXPECT_EQ(items[0].description, "<p>Hello & <b>bold</b></p>");
    EXPECT_EQ(items[0].date, "2006-01-03 08:00:00");
    EXPECT_EQ(items[0].id, 0);
    EXPECT_EQ(items[0].channelId, 0);
}

TEST(FeedParse, PubDateWinsOverDcDateWhichServesWhenAlone) {
    auto items =
        Parse(Feed("<item><link>http://x/1</link><pubDate>Tue, 03 Jan 2006 08:00:00 "
                   "GMT</pubDate><dc:date>2007-05-05T01:02:03Z</dc:date></item>"
                   "<item><link>http://x/2</link><dc:date>2006-01-03T08:00:00+08:00"
                   "</dc:date></item>",
                   " xmlns:dc=\"http://purl.org/dc/elements/1.1/\""));
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].date, "2006-01-03 08:00:00");
    EXPECT_EQ(items[1].date, "2006-01-03 00:00:00");  // +08:00 on a UTC clock
}

TEST(FeedParse, DcDateIsFoundByNamespaceWhateverItsPrefix) {
    auto items =
        Parse(Feed("<item><link>http://x/1</link><d:date>2006-01-03T08:00:00Z</d:date>"
                   "</item>",
                   " xmlns:d=\"http://purl.org/dc/elements/1.1/\""));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].date, "2006-01-03 08:00:00");
}

TEST(FeedParse, ItemWithoutDateGetsTheTimeOfReading) {
    std::string before = NowLocalText();
    auto items = Parse(Feed("<item><link>http://x/1</link></item>"));
    std::string after = NowLocalText();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_GE(items[0].date, before);
    EXPECT_LE(items[0].date, after);
}

TEST(FeedParse, NonFeedAnswersFailWithTheirKind) {
    Parse("", FeedParseError::Empty);
    Parse("  \r\n\t ", FeedParseError::Empty);
    Parse("<?xml version=\"1.0\"?><rss><channel><item><link>x</link>", FeedParseError::NotXml);
    Parse("<!DOCTYPE html>\n<html><head><title>x</title></head><body><p>a<br>b</body></html>",
          FeedParseError::Html);
    Parse("<html><body><p>well formed</p></body></html>", FeedParseError::Html);
    Parse("<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>no entries</title></feed>",
          FeedParseError::NoItems);
    Parse("<unknown><item><link>http://x</link></item></unknown>", FeedParseError::NoItems);
    Parse(Feed(""), FeedParseError::NoItems);
    Parse("not xml at all", FeedParseError::NotXml);
}

TEST(FeedParse, BrokenBytesSpoilOneCharacterNotTheFeed) {
    auto items =
        Parse(Feed("<item><title>bad \xFF byte</title><link>http://x/1</link>"
                   "<description>vertical\x0Btab</description></item>"
                   "<item><title>ok</title><link>http://x/2</link></item>"));
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].title, "bad \xEF\xBF\xBD byte");
    EXPECT_EQ(items[0].description, "verticaltab");
}

TEST(FeedParse, DeclaredGb2312ReadsGbkCharactersToo) {
    // U+9555 is in GBK but not in GB2312; sites declaring gb2312 use it all the same.
    std::string utf8 =
        "<?xml version=\"1.0\" encoding=\"gb2312\"?><rss><channel>"
        "<item><title>\xE4\xB8\xAD\xE6\x96\x87 \xE9\x95\x95</title>"
        "<link>http://x/1</link></item></channel></rss>";
    std::string gb = Utf8ToGb18030(utf8);
    ASSERT_NE(gb, utf8);
    auto items = Parse(gb);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].title, "\xE4\xB8\xAD\xE6\x96\x87 \xE9\x95\x95");
}

TEST(FeedParse, HttpCharsetAppliesOnlyWithoutDeclaration) {
    std::string latin1Title =
        "Not\xED"
        "cias";  // ISO-8859-1
    std::string undeclared = "<rss><channel><item><title>" + latin1Title +
                             "</title><link>http://x/1</link></item></channel></rss>";
    auto items = Parse(undeclared, FeedParseError::None, "iso-8859-1");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].title,
              "Not\xC3\xAD"
              "cias");

    // The declaration names the encoding; a contradicting HTTP charset is ignored.
    std::string declared = "<?xml version='1.0' encoding='ISO-8859-1'?>" + undeclared;
    items = Parse(declared, FeedParseError::None, "utf-8");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].title,
              "Not\xC3\xAD"
              "cias");
}

TEST(FeedParse, Utf16FeedWithByteOrderMark) {
    std::string utf8 =
        "<?xml version=\"1.0\" encoding=\"UTF-16\"?><rss><channel><item>"
        "<title>\xE4\xB8\xAD</title><link>http://x/1</link></item></channel></rss>";
    std::string utf16;
    ASSERT_TRUE(ConvertEncoding(utf8, "UTF-8", "UTF-16LE", utf16));
    auto items = Parse("\xFF\xFE" + utf16);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].title, "\xE4\xB8\xAD");
}

TEST(FeedParse, DeclaredEncodingIsFoundAfterByteOrderMark) {
    EXPECT_EQ(DeclaredXmlEncoding("\xEF\xBB\xBF<?xml version=\"1.0\" encoding = 'GBK' ?><a/>"),
              "GBK");
    EXPECT_EQ(DeclaredXmlEncoding("<?xml version=\"1.0\"?><a encoding=\"x\"/>"), "");
    EXPECT_EQ(DeclaredXmlEncoding("<a/>"), "");
}

TEST(FeedParse, ChannelTitle) {
    CXmlDocument doc;
    std::string error;
    std::string bytes = "<rss><channel><title>\n My &amp; T </title></channel></rss>";
    ASSERT_EQ(LoadFeedDocument(bytes, "", doc, error), FeedParseError::None);
    EXPECT_EQ(ReadChannelTitle(doc), "My & T");
}

}  // namespace
}  // namespace zirvo
