// Links a channel lost (storage policy, clean, clear) stay away while the feed lists them, and
// receiving an unchanged feed changes nothing, whatever its length.

#include <gtest/gtest.h>

#include "core/util/strings.h"
#include "rss_store_fixture.h"

namespace zirvo {
namespace {

using test::RssStoreTest;
using Strings = std::vector<std::string>;

// id, new and read of every item, newest first: what a receive must leave alone.
Strings Snapshot(const std::vector<RssItem>& items) {
    Strings rows;
    for (const RssItem& item : items) {
        rows.push_back(StrFormat("%d %s %d %d", item.id, item.link.c_str(), item.isNew, item.read));
    }
    return rows;
}

std::vector<std::string> NumberedLinks(const std::string& prefix, int count) {
    std::vector<std::string> links;
    for (int i = 0; i < count; ++i) {
        links.push_back(StrFormat("%s%d", prefix.c_str(), i));
    }
    return links;
}

class RemovedLinksTest : public RssStoreTest {
protected:
    // The trigger-kept count of every channel agrees with the rows.
    void ExpectCountsExact() {
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM (SELECT item_feedid, COUNT(*) AS n FROM rss_data "
                         "GROUP BY item_feedid) AS real LEFT JOIN rsscount_data AS kept USING "
                         "(item_feedid) WHERE kept.item_count IS NOT real.n;"),
                  0);
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM rsscount_data WHERE item_count != (SELECT COUNT(*) "
                         "FROM rss_data WHERE rss_data.item_feedid = rsscount_data.item_feedid);"),
                  0);
    }
};

TEST_F(RemovedLinksTest, FeedLongerThanTheStorageCountDoesNotSwapItems) {
    const int channel = NewChannel("http://a/feed");
    const std::vector<RssItem> feed = Feed(NumberedLinks("l", 8));
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, feed, 2, 5));
    std::vector<RssItem> kept = AllItems(channel);
    EXPECT_EQ(Links(kept), (Strings{"l0", "l1", "l2", "l3", "l4"}));
    ASSERT_TRUE(m_store.SetItemRead(kept[4].id, 1));
    const Strings before = Snapshot(AllItems(channel));
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(m_store.SaveReceivedItems(channel, feed, 2, 5)) << m_store.GetLastError();
        EXPECT_EQ(Snapshot(AllItems(channel)), before) << round;
    }
    // A new item at the top pushes out the oldest kept one; the feed's tail stays away.
    std::vector<RssItem> next = Feed(NumberedLinks("l", 8));
    next.insert(next.begin(), Item("fresh"));
    next.pop_back();
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, next, 2, 5));
    EXPECT_EQ(Links(AllItems(channel)), (Strings{"fresh", "l0", "l1", "l2", "l3"}));
    ExpectCountsExact();
}

TEST_F(RemovedLinksTest, UnchangedFeedChangesNothingWithEveryStoragePolicy) {
    for (int type : {1, 2, 3}) {
        const int channel = NewChannel(StrFormat("http://a/feed%d", type));
        const std::vector<RssItem> feed = Feed(NumberedLinks(StrFormat("t%d-", type), 300));
        ASSERT_TRUE(m_store.SaveReceivedItems(channel, feed, type, 200));
        const Strings before = Snapshot(AllItems(channel));
        int newBefore = 0;
        ASSERT_TRUE(m_store.CountNew(channel, newBefore));
        ASSERT_TRUE(m_store.SaveReceivedItems(channel, feed, type, 200));
        EXPECT_EQ(Snapshot(AllItems(channel)), before) << "type " << type;
        int newAfter = 0;
        ASSERT_TRUE(m_store.CountNew(channel, newAfter));
        EXPECT_EQ(newAfter, newBefore);
    }
    ExpectCountsExact();
}

TEST_F(RemovedLinksTest, ClearedAndCleanedItemsStayAwayWhileTheFeedListsThem) {
    const int cleared = NewChannel("http://a/cleared");
    const int cleaned = NewChannel("http://a/cleaned");
    const std::vector<RssItem> feed = Feed({"a", "b", "c"});
    ASSERT_TRUE(m_store.SaveReceivedItems(cleared, feed, 3, 0));
    ASSERT_TRUE(m_store.SaveReceivedItems(cleaned, feed, 3, 0));
    ASSERT_TRUE(m_store.DeleteFeedItems({{0, cleared}}));
    ASSERT_TRUE(m_store.SetFeedRead(cleaned, 1));
    ASSERT_TRUE(m_store.CleanFeeds({{0, cleaned}}, 0, false));
    for (int channel : {cleared, cleaned}) {
        ASSERT_TRUE(m_store.SaveReceivedItems(channel, feed, 3, 0));
        EXPECT_TRUE(AllItems(channel).empty()) << channel;
        // A link the feed stops listing is forgotten and may come back one day.
        ASSERT_TRUE(m_store.SaveReceivedItems(channel, Feed({"d", "b", "c"}), 3, 0));
        EXPECT_EQ(Links(AllItems(channel)), (Strings{"d"}));
        ASSERT_TRUE(m_store.SaveReceivedItems(channel, Feed({"a", "d", "b"}), 3, 0));
        EXPECT_EQ(Links(AllItems(channel)), (Strings{"a", "d"}));
        EXPECT_EQ(AllItems(channel, kNewItems).size(), 2u);
    }
    ExpectCountsExact();
}

TEST_F(RemovedLinksTest, StoredNullLinkDoesNotStopTheMerge) {
    const int channel = NewChannel("http://a/feed");
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, Feed({"old"}), 3, 0));
    m_peer.ExecuteUpdate(StrFormat(
        "INSERT INTO rss_data (item_feedid, item_new, item_read, item_link, item_title) VALUES "
        "(%d, 0, 1, NULL, 'from an old file');",
        channel));
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, Feed({"new", "old"}), 3, 0));
    EXPECT_EQ(Links(AllItems(channel)), (Strings{"new", "", "old"}));
    // Keeping only what the feed lists takes the link-less item as well.
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, Feed({"new", "old"}), 1, 0));
    EXPECT_EQ(Links(AllItems(channel)), (Strings{"new", "old"}));
}

TEST_F(RemovedLinksTest, StorageCountFollowsAChangedSettingAndZeroKeepsEverything) {
    const int channel = NewChannel("http://a/feed");
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, Feed(NumberedLinks("x", 10)), 2, 0));
    EXPECT_EQ(AllItems(channel).size(), 10u);
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, Feed(NumberedLinks("x", 10)), 2, -3));
    EXPECT_EQ(AllItems(channel).size(), 10u);
    // Lowered between two receives of the same feed.
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, Feed(NumberedLinks("x", 10)), 2, 4));
    EXPECT_EQ(Links(AllItems(channel)), (Strings{"x0", "x1", "x2", "x3"}));
    ExpectCountsExact();
}

TEST_F(RemovedLinksTest, DeletedChannelTakesItsRecordsAlong) {
    const int channel = NewChannel("http://a/feed");
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, Feed(NumberedLinks("y", 6)), 2, 3));
    ASSERT_GT(
        Scalar(StrFormat("SELECT COUNT(*) FROM rssremoved_data WHERE item_feedid = %d;", channel)),
        0);
    ASSERT_TRUE(m_store.DeleteFeeds({{0, channel}}));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM rssremoved_data;"), 0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM rsscount_data;"), 0);
    // Subscribed again, the address starts afresh.
    FeedSettings settings;
    int again = 0;
    ASSERT_TRUE(m_store.GetFeedSettings("http://a/feed", again, settings));
    ASSERT_TRUE(m_store.SaveReceivedItems(again, Feed(NumberedLinks("y", 6)), 2, 6));
    EXPECT_EQ(AllItems(again).size(), 6u);
}

}  // namespace
}  // namespace zirvo
