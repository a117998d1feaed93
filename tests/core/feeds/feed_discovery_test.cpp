// Adding a web page's address: the feeds its link elements name, found with the HTML parser,
// bounded, never the page itself; and the look-up over loopback HTTP that takes one feed,
// lists several, and does not follow a page behind a page.

#include <gtest/gtest.h>

#include "core/feeds/feed_discovery.h"
#include "core/feeds/feed_fetcher.h"
#include "support/feed_server.h"

namespace zirvo {
namespace {

using test::CFeedServer;

std::string Page(const std::string& head) {
    return "<!DOCTYPE html><html><head><title>Page</title>" + head +
           "</head><body><p>Hello<br>world</body></html>";
}

TEST(FeedDiscovery, ReadsAlternateFeedLinksOfEachType) {
    auto feeds = DiscoverFeeds(
        Page("<link rel=\"stylesheet\" href=\"/s.css\">"
             "<LINK REL=\"Alternate\" TYPE=\"application/rss+xml\" HREF=\"/rss.xml\" "
             "title=\"All posts &amp; news\">"
             "<link rel=\"alternate home\" type=\"application/atom+xml; charset=utf-8\" "
             "href=\"atom.xml\">"
             "<link rel=alternate type=application/feed+json href=\"https://cdn.example/f.json\">"
             "<link rel=\"alternate\" type=\"text/html\" href=\"/en/\">"
             "<link rel=\"alternate\" type=\"application/rss+xml\" href=\"javascript:alert(1)\">"
             "<link rel=\"alternate\" type=\"application/rss+xml\" href=\"/rss.xml\">"),
        "http://site.example/blog/index.html");
    ASSERT_EQ(feeds.size(), 3u);
    EXPECT_EQ(feeds[0].url, "http://site.example/rss.xml");
    EXPECT_EQ(feeds[0].title, "All posts & news");
    EXPECT_EQ(feeds[0].type, "application/rss+xml");
    EXPECT_EQ(feeds[1].url, "http://site.example/blog/atom.xml");
    EXPECT_EQ(feeds[1].type, "application/atom+xml");
    EXPECT_EQ(feeds[2].url, "https://cdn.example/f.json");
}

TEST(FeedDiscovery, BaseElementSelfLinksAndTheCap) {
    auto based =
        DiscoverFeeds(Page("<base href=\"http://other.example/x/\">"
                           "<link rel=\"alternate\" type=\"application/rss+xml\" href=\"feed\">"),
                      "http://site.example/");
    ASSERT_EQ(based.size(), 1u);
    EXPECT_EQ(based[0].url, "http://other.example/x/feed");

    // A page that names itself names no feed.
    EXPECT_TRUE(DiscoverFeeds(Page("<link rel=\"alternate\" type=\"application/rss+xml\" "
                                   "href=\"http://site.example/#top\">"),
                              "http://site.example/")
                    .empty());

    std::string many;
    for (int i = 0; i < 1000; ++i) {
        many += "<link rel=\"alternate\" type=\"application/atom+xml\" href=\"/f" +
                std::to_string(i) + "\">";
    }
    auto capped = DiscoverFeeds(Page(many), "http://site.example/");
    ASSERT_EQ(capped.size(), kMaxDiscoveredFeeds);
    EXPECT_EQ(capped.back().url, "http://site.example/f" + std::to_string(kMaxDiscoveredFeeds - 1));

    EXPECT_TRUE(DiscoverFeeds("", "http://site.example/").empty());
    EXPECT_TRUE(DiscoverFeeds("\x01\x02 not html at all <<<", "http://site.example/").empty());
}

class FeedLookUp : public ::testing::Test {
protected:
    CFeedServer m_server;
};

TEST_F(FeedLookUp, FeedsPagesWithOneOrSeveralFeedsAndDeadEnds) {
    CFeedFetcher fetcher;
    FeedLookup lookup;

    // A feed is itself: any format.
    ASSERT_TRUE(fetcher.LookUpFeed(m_server.Url("/corpus/atom-bases.atom"), lookup));
    EXPECT_EQ(lookup.feedUrl, m_server.Url("/corpus/atom-bases.atom"));
    EXPECT_EQ(lookup.channel.title, "Example Blog & notes");
    EXPECT_EQ(lookup.channel.homePage, "http://example.org/blog/");

    // One feed named: taken, with the feed's own title.
    ASSERT_TRUE(m_server.Put("/one.html",
                             Page("<link rel=\"alternate\" type=\"application/feed+json\" "
                                  "href=\"/corpus/json-feed.json\" title=\"JSON\">"),
                             "text/html"));
    ASSERT_TRUE(fetcher.LookUpFeed(m_server.Url("/one.html"), lookup));
    EXPECT_EQ(lookup.feedUrl, m_server.Url("/corpus/json-feed.json"));
    EXPECT_EQ(lookup.channel.title, "JSON Example");

    // Several: listed, nothing chosen.
    ASSERT_TRUE(m_server.Put("/two.html",
                             Page("<link rel=\"alternate\" type=\"application/rss+xml\" "
                                  "href=\"/corpus/heraldsun.rss\" title=\"Herald\">"
                                  "<link rel=\"alternate\" type=\"application/atom+xml\" "
                                  "href=\"/corpus/atom-bases.atom\">"),
                             "text/html"));
    ASSERT_TRUE(fetcher.LookUpFeed(m_server.Url("/two.html"), lookup));
    EXPECT_TRUE(lookup.feedUrl.empty());
    ASSERT_EQ(lookup.candidates.size(), 2u);
    EXPECT_EQ(lookup.candidates[0].title, "Herald");

    // A page whose one link leads to another page: not followed further.
    ASSERT_TRUE(m_server.Put("/loop-a.html",
                             Page("<link rel=\"alternate\" type=\"application/rss+xml\" "
                                  "href=\"/loop-b.html\">"),
                             "text/html"));
    ASSERT_TRUE(m_server.Put("/loop-b.html",
                             Page("<link rel=\"alternate\" type=\"application/rss+xml\" "
                                  "href=\"/loop-a.html\">"),
                             "text/html"));
    EXPECT_FALSE(fetcher.LookUpFeed(m_server.Url("/loop-a.html"), lookup));
    EXPECT_NE(fetcher.LastResult().error.find("loop-b.html"), std::string::npos)
        << fetcher.LastResult().error;
    EXPECT_EQ(m_server.RequestsFor("/loop-").size(), 2u);

    // A page naming only itself, and a page naming nothing.
    ASSERT_TRUE(m_server.Put("/self.html",
                             Page("<link rel=\"alternate\" type=\"application/rss+xml\" "
                                  "href=\"/self.html\">"),
                             "text/html"));
    EXPECT_FALSE(fetcher.LookUpFeed(m_server.Url("/self.html"), lookup));
    EXPECT_EQ(fetcher.LastResult().failure, FeedFailure::Html);
    EXPECT_FALSE(fetcher.LookUpFeed(m_server.Url("/html"), lookup));
    EXPECT_EQ(fetcher.LastResult().error, "该网页没有指明任何RSS频道");
}

}  // namespace
}  // namespace zirvo
