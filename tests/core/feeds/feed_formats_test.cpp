// Every feed format people use, read into the same items: Atom with xml:base chains and its
// three text types, RSS 1.0, RSS 0.91/0.92, JSON Feed, and what RSS 2.0 gained (content:encoded,
// dc:creator, relative links, enclosures). Written feeds under tests/data/feeds.

#include <gtest/gtest.h>

#include "core/feeds/feed_links.h"
#include "core/feeds/feed_parser.h"
#include "core/util/files.h"

namespace zirvo {
namespace {

std::string DataFile(const std::string& name) {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(std::string(ZIRVO_TEST_DATA_DIR) + "/feeds/" + name, bytes)) << name;
    return bytes;
}

ParsedFeed Parse(const std::string& bytes, const std::string& url = "",
                 FeedParseError expected = FeedParseError::None) {
    ParsedFeed feed;
    std::string error;
    FeedReadOptions options;
    options.documentUrl = url;
    EXPECT_EQ(ParseFeed(bytes, "", options, feed, error), expected) << error;
    return feed;
}

TEST(FeedFormats, AtomEntriesWithBaseChainsTextTypesAndAuthors) {
    ParsedFeed feed = Parse(DataFile("atom-bases.atom"), "http://ignored.example/feed");
    EXPECT_EQ(feed.format, FeedFormat::Atom);
    EXPECT_EQ(feed.channel.title, "Example Blog & notes");
    EXPECT_EQ(feed.channel.homePage, "http://example.org/blog/");
    ASSERT_EQ(feed.items.size(), 4u);

    const RssItem& first = feed.items[0];
    EXPECT_EQ(first.link, "http://example.org/blog/2006/01/first.html");
    EXPECT_EQ(first.title, "First <entry>");
    EXPECT_EQ(first.date, "2006-01-03 13:00:00");  // published, -05:00 applied
    EXPECT_EQ(first.author, "Alice, Bob");
    // xhtml content: markup kept, the script and the event handler gone.
    EXPECT_EQ(first.description, "<p>Hello <b>world</b> &amp; <a href=\"y.html\">more</a></p>");
    ASSERT_EQ(first.enclosures.size(), 1u);
    EXPECT_EQ(first.enclosures[0].url, "http://example.org/media/first.mp3");
    EXPECT_EQ(first.enclosures[0].type, "audio/mpeg");
    EXPECT_EQ(first.enclosures[0].length, 1337);

    const RssItem& second = feed.items[1];
    EXPECT_EQ(second.link, "http://example.org/root/second.html");  // the link's own xml:base
    EXPECT_EQ(second.title, "Second entry");
    EXPECT_EQ(second.date, "2006-01-06 09:00:00");  // updated, +01:00 applied
    EXPECT_EQ(second.author, "Feed Author");
    EXPECT_EQ(second.description, "Plain &lt;text&gt; summary<br />second line");

    const RssItem& third = feed.items[2];
    EXPECT_EQ(third.link, "unsafe:javascript:alert(document.cookie)");
    EXPECT_EQ(third.title, "Third & last");
    EXPECT_EQ(third.description, "<p>Escaped <em>HTML</em></p>");

    // Without any link the entry is kept under its id, inert.
    EXPECT_EQ(feed.items[3].link, "unsafe:urn:uuid:1225c695-cfb8-4ebb-aaaa-80da344efa6a");
}

TEST(FeedFormats, AtomRelativeLinksFallBackToTheDocumentAddress) {
    const std::string atom =
        "<feed xmlns='http://www.w3.org/2005/Atom'><title>t</title>"
        "<link href='/home'/><entry><title>e</title><link href='e1'/><id>x</id>"
        "<content type='text'>a &lt; b</content><summary>s</summary></entry></feed>";
    ParsedFeed feed = Parse(atom, "https://site.example/feeds/all.atom");
    ASSERT_EQ(feed.items.size(), 1u);
    EXPECT_EQ(feed.items[0].link, "https://site.example/feeds/e1");
    EXPECT_EQ(feed.items[0].description, "a &lt; b");
    EXPECT_EQ(feed.channel.homePage, "https://site.example/home");

    // Read from a file: a relative link has nothing to resolve against and is stored inert.
    ParsedFeed local = Parse(atom);
    EXPECT_EQ(local.items[0].link, "unsafe:e1");
    EXPECT_EQ(local.channel.homePage, "");
}

TEST(FeedFormats, AtomFeedWithoutEntriesFailsButNamesItself) {
    ParsedFeed feed = Parse("<feed xmlns='http://www.w3.org/2005/Atom'><title>Empty</title></feed>",
                            "", FeedParseError::NoItems);
    EXPECT_EQ(feed.format, FeedFormat::Atom);
    EXPECT_EQ(feed.channel.title, "Empty");
}

TEST(FeedFormats, RssOneItemsBesideTheChannel) {
    ParsedFeed feed = Parse(DataFile("rss-1.0-dc.rdf"));
    EXPECT_EQ(feed.format, FeedFormat::Rdf);
    EXPECT_EQ(feed.channel.title, "RDF Channel");
    EXPECT_EQ(feed.channel.homePage, "http://rdf.example.org/");
    ASSERT_EQ(feed.items.size(), 2u);  // the item without link is skipped
    EXPECT_EQ(feed.items[0].title, "One");
    EXPECT_EQ(feed.items[0].description, "<p>The long <b>body</b> of one</p>");
    EXPECT_EQ(feed.items[0].author, "Carol");
    EXPECT_EQ(feed.items[0].date, "2006-01-03 00:00:00");
    EXPECT_EQ(feed.items[1].link, "http://rdf.example.org/two.html");
    EXPECT_EQ(feed.items[1].date, "2006-01-04 09:15:00");
}

TEST(FeedFormats, RssNineOneAndNineTwo) {
    ParsedFeed old = Parse(DataFile("rss-0.91.xml"));
    EXPECT_EQ(old.format, FeedFormat::Rss);
    ASSERT_EQ(old.items.size(), 2u);
    EXPECT_EQ(old.items[0].title, "Caf\xC3\xA9 opens");
    EXPECT_EQ(old.channel.homePage, "http://old.example.com/");

    ParsedFeed podcast = Parse(DataFile("rss-0.92.xml"));
    ASSERT_EQ(podcast.items.size(), 1u);
    ASSERT_EQ(podcast.items[0].enclosures.size(), 1u);
    EXPECT_EQ(podcast.items[0].enclosures[0].length, 24986239);
    EXPECT_EQ(podcast.items[0].description, "<p>Episode</p>");
}

TEST(FeedFormats, RssTwoGainsEncodedTextCreatorsRelativeLinksAndEnclosures) {
    ParsedFeed feed = Parse(DataFile("rss2-extras.rss"), "http://feeds.example.net/x.rss");
    ASSERT_EQ(feed.items.size(), 3u);
    const RssItem& first = feed.items[0];
    EXPECT_EQ(first.link, "http://extras.example.com/news/2024/item.html");
    EXPECT_EQ(first.description, "<p>The much longer full text</p>");
    EXPECT_EQ(first.author, "Dave");
    EXPECT_EQ(first.date, "2006-01-03 22:30:00");  // 14:30 PST
    ASSERT_EQ(first.enclosures.size(), 2u);        // the javascript: one is dropped
    EXPECT_EQ(first.enclosures[0].url, "http://extras.example.com/files/a.ogg");
    EXPECT_EQ(first.enclosures[0].length, 100);
    EXPECT_EQ(first.enclosures[1].url, "http://cdn.example.com/b.mp4");
    EXPECT_EQ(first.enclosures[1].length, 0);  // "x" is no length

    EXPECT_EQ(feed.items[1].author, "erin@example.com (Erin)");
    EXPECT_EQ(feed.items[1].description, "A description longer than the encoded text");
    EXPECT_EQ(feed.items[2].link, "unsafe:javascript:alert(1)");
}

TEST(FeedFormats, JsonFeedItemsAttachmentsAndFallbacks) {
    ParsedFeed feed = Parse(DataFile("json-feed.json"), "https://mirror.example/feed.json");
    EXPECT_EQ(feed.format, FeedFormat::Json);
    EXPECT_EQ(feed.channel.title, "JSON Example");
    EXPECT_EQ(feed.channel.homePage, "https://json.example.org/");
    ASSERT_EQ(feed.items.size(), 3u);
    EXPECT_EQ(feed.items[0].title, "First <post>");
    EXPECT_EQ(feed.items[0].description, "<p>Hello <b>JSON</b></p>");
    EXPECT_EQ(feed.items[0].date, "2006-01-03 16:00:00");
    EXPECT_EQ(feed.items[0].author, "Frank, Grace");
    ASSERT_EQ(feed.items[0].enclosures.size(), 1u);  // the file: attachment is dropped
    EXPECT_EQ(feed.items[0].enclosures[0].length, 4096);
    // Relative to feed_url, the feed's own statement of where it lives.
    EXPECT_EQ(feed.items[1].link, "https://json.example.org/posts/2");
    EXPECT_EQ(feed.items[1].description, "Plain &lt;text&gt;<br />line two");
    EXPECT_EQ(feed.items[1].date, "2006-01-04 10:00:00");
    EXPECT_EQ(feed.items[2].link, "unsafe:tag:json.example.org,2006:3");
    EXPECT_EQ(feed.items[2].author, "Feed Writer");
}

TEST(FeedFormats, HostileJsonIsRefusedCleanly) {
    ParsedFeed feed;
    std::string error;
    std::string deep(100000, '[');
    EXPECT_EQ(ParseFeed("{\"items\":" + deep, "", {}, feed, error), FeedParseError::NotJson);
    EXPECT_NE(error.find("嵌套超过了"), std::string::npos) << error;
    EXPECT_EQ(ParseFeed("{\"items\": [", "", {}, feed, error), FeedParseError::NotJson);
    EXPECT_EQ(ParseFeed("{\"title\": \"x\"}", "", {}, feed, error), FeedParseError::NoItems);
    EXPECT_EQ(ParseFeed("{\"version\": \"https://jsonfeed.org/version/1\", \"items\": 5}", "", {},
                        feed, error),
              FeedParseError::NoItems);
    // Wrong types in every field: skipped, never a throw.
    EXPECT_EQ(ParseFeed("{\"items\": [{\"url\": 5, \"id\": {\"a\": 1}, \"title\": []},"
                        "{\"url\": \"http://x/1\", \"title\": 7, \"attachments\": {},"
                        "\"authors\": \"me\", \"date_published\": false}]}",
                        "", {}, feed, error),
              FeedParseError::None)
        << error;
    ASSERT_EQ(feed.items.size(), 1u);
    EXPECT_EQ(feed.items[0].title, "");

    std::string huge = "{\"items\": [{\"id\": \"x\", \"summary\": \"" +
                       std::string(kMaxFeedDocumentBytes, 'a') + "\"}]}";
    EXPECT_EQ(ParseFeed(huge, "", {}, feed, error), FeedParseError::TooLarge);
}

TEST(FeedFormats, TenThousandEnclosuresOnOneItemAreCapped) {
    std::string item = "<item><title>t</title><link>http://x/1</link>";
    for (int i = 0; i < 10000; ++i) {
        item +=
            "<enclosure url=\"http://x/e" + std::to_string(i) + "\" type=\"a/b\" length=\"1\"/>";
    }
    ParsedFeed feed = Parse("<rss><channel>" + item + "</item></channel></rss>");
    ASSERT_EQ(feed.items.size(), 1u);
    EXPECT_EQ(feed.items[0].enclosures.size(), kMaxItemEnclosures);
    EXPECT_EQ(feed.items[0].enclosures.back().url,
              "http://x/e" + std::to_string(kMaxItemEnclosures - 1));
}

TEST(FeedFormats, AtMostMaxItemsAreReadInDocumentOrder) {
    std::string items;
    for (int i = 0; i < 50; ++i) {
        items += "<item><link>http://x/" + std::to_string(i) + "</link></item>";
    }
    ParsedFeed feed;
    std::string error;
    FeedReadOptions options;
    options.maxItems = 20;
    ASSERT_EQ(ParseFeed("<rss><channel>" + items + "</channel></rss>", "", options, feed, error),
              FeedParseError::None);
    ASSERT_EQ(feed.items.size(), 20u);
    EXPECT_EQ(feed.items.front().link, "http://x/0");
    EXPECT_EQ(feed.items.back().link, "http://x/19");

    std::string entries;
    for (int i = 0; i < 30; ++i) {
        entries += "<entry><id>http://a/" + std::to_string(i) + "</id></entry>";
    }
    ASSERT_EQ(ParseFeed("<feed xmlns='http://www.w3.org/2005/Atom'>" + entries + "</feed>", "",
                        options, feed, error),
              FeedParseError::None);
    EXPECT_EQ(feed.items.size(), 20u);
}

TEST(FeedLinks, OnlyWebAddressesStayClickable) {
    EXPECT_TRUE(IsWebLink("http://a.example/"));
    EXPECT_TRUE(IsWebLink("HTTPS://a.example/x"));
    EXPECT_FALSE(IsWebLink("http:///etc/passwd"));
    EXPECT_FALSE(IsWebLink("javascript:alert(1)"));
    EXPECT_FALSE(IsWebLink("/relative"));
    EXPECT_EQ(InertUnlessWeb("data:text/html,<script>"), "unsafe:data:text/html,<script>");
    EXPECT_EQ(InertUnlessWeb("file:///etc/passwd"), "unsafe:file:///etc/passwd");
    EXPECT_EQ(InertUnlessWeb(""), "");
    // Absolute addresses keep their exact text: they are the identity of stored items.
    EXPECT_EQ(ResolveUrl("http://b.example/", "http://a.example/x/../y?q=1#f"),
              "http://a.example/x/../y?q=1#f");
    EXPECT_EQ(ResolveUrl("http://b.example/p/q", "../r"), "http://b.example/r");
    EXPECT_EQ(ResolveUrl("http://b.example/p/q", "//c.example/z"), "http://c.example/z");
}

}  // namespace
}  // namespace zirvo
