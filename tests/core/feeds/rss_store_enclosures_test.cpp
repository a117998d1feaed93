// Enclosures beside the items: written by the merge for the items it stores, read with the
// item and with a list page, gone with their item; and the removed-links record's cap.

#include <gtest/gtest.h>

#include "core/util/strings.h"
#include "rss_store_fixture.h"

namespace zirvo {
namespace {

using test::RssStoreTest;

RssItem WithEnclosures(const std::string& link, int count) {
    RssItem item = RssStoreTest::Item(link);
    for (int i = 0; i < count; ++i) {
        item.enclosures.push_back(
            {StrFormat("http://media.example/%s/%d.mp3", link.c_str(), i), "audio/mpeg", 1000 + i});
    }
    return item;
}

class EnclosureStoreTest : public RssStoreTest {};

TEST_F(EnclosureStoreTest, MergeStoresEnclosuresOfNewItemsOnce) {
    const int channel = NewChannel("http://a/feed");
    std::vector<RssItem> feed = {WithEnclosures("a", 2), Item("b"), WithEnclosures("a'q", 1)};
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, feed, 3, 0)) << m_store.GetLastError();
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, feed, 3, 0));  // known items: nothing again
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM rss_enclosure;"), 3);

    std::vector<RssItem> items = AllItems(channel);
    ASSERT_EQ(items.size(), 3u);
    RssItem read;
    ASSERT_TRUE(m_store.GetItem(items[0].id, false, read));
    ASSERT_EQ(read.link, "a");
    ASSERT_EQ(read.enclosures.size(), 2u);
    EXPECT_EQ(read.enclosures[0].url, "http://media.example/a/0.mp3");
    EXPECT_EQ(read.enclosures[0].type, "audio/mpeg");
    EXPECT_EQ(read.enclosures[1].length, 1001);

    std::vector<RssItem> page = AllItems(channel);
    for (RssItem& item : page) {
        item.enclosures.clear();
    }
    ASSERT_TRUE(m_store.FillEnclosures(page));
    EXPECT_EQ(page[0].enclosures.size(), 2u);
    EXPECT_TRUE(page[1].enclosures.empty());
    EXPECT_EQ(page[2].enclosures.size(), 1u);
    EXPECT_EQ(page[2].link, "a'q");
}

TEST_F(EnclosureStoreTest, EnclosuresGoWithTheirItemWhateverDeletesIt) {
    const int channel = NewChannel("http://a/feed");
    std::vector<RssItem> feed = {WithEnclosures("n1", 1), WithEnclosures("n2", 1),
                                 WithEnclosures("n3", 1)};
    // Keep the newest two: the third item is stored and dropped in the same merge.
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, feed, 2, 2));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM rss_enclosure;"), 2);
    FeedIdList feeds = {{0, channel}};
    ASSERT_TRUE(m_store.DeleteFeedItems(feeds));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM rss_enclosure;"), 0);
}

TEST_F(EnclosureStoreTest, RemovedLinksAreCappedPerChannelKeepingTheNewest) {
    const int channel = NewChannel("http://a/feed");
    const int other = NewChannel("http://b/feed");
    std::vector<std::string> links;
    for (int i = 0; i < kMaxRemovedLinksPerChannel + 500; ++i) {
        links.push_back("l" + std::to_string(i));
    }
    ASSERT_TRUE(m_store.SaveReceivedItems(other, Feed({"o1", "o2"}), 2, 1));
    // Keeps 100 of the feed; the rest lands in the record, which keeps its cap.
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, Feed(links), 2, 100)) << m_store.GetLastError();
    EXPECT_EQ(
        Scalar(StrFormat("SELECT COUNT(*) FROM rssremoved_data WHERE item_feedid = %d;", channel)),
        kMaxRemovedLinksPerChannel);
    EXPECT_EQ(
        Scalar(StrFormat("SELECT COUNT(*) FROM rssremoved_data WHERE item_feedid = %d;", other)),
        1);
    EXPECT_EQ(AllItems(channel).size(), 100u);
}

}  // namespace
}  // namespace zirvo
