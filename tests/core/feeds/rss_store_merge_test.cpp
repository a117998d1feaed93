// The merge of received feeds into a channel, its storage policies and the staging table.

#include <string>
#include <vector>

#include "core/util/strings.h"
#include "rss_store_fixture.h"

namespace zirvo::test {
namespace {

using Strings = std::vector<std::string>;

TEST_F(RssStoreTest, MergeAppendsFeedWithItsFirstItemNewest) {
    int channel = NewChannel("http://a/feed");
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, Feed({"l1", "l2", "l3"}), 3, 0));
    std::vector<RssItem> items = AllItems(channel);
    EXPECT_EQ(Links(items), (Strings{"l1", "l2", "l3"}));
    for (const RssItem& item : items) {
        EXPECT_EQ(item.isNew, 1);
        EXPECT_EQ(item.read, 0);
        EXPECT_EQ(item.channelId, channel);
        EXPECT_EQ(item.title, "Title of " + item.link);
        EXPECT_EQ(item.description, "<p>Body of " + item.link + "</p>");
        EXPECT_EQ(item.date, "2006-01-05 08:30:00");
    }
    EXPECT_GT(items[0].id, items[1].id);
    int owner = 0;
    ASSERT_TRUE(m_store.GetItemFeedId(items[2].id, owner));
    EXPECT_EQ(owner, channel);
}

TEST_F(RssStoreTest, ReceivingUnchangedFeedStoresNothingNew) {
    int channel = NewChannel("http://a/feed");
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, Feed({"l1", "l2"}), 3, 0));
    std::vector<RssItem> before = AllItems(channel);
    ASSERT_TRUE(m_store.SetItemRead(before[1].id, 1));
    int newBefore = 0;
    ASSERT_TRUE(m_store.CountNew(channel, newBefore));

    ASSERT_TRUE(m_store.SaveReceivedItems(channel, Feed({"l1", "l2"}), 3, 0));
    std::vector<RssItem> after = AllItems(channel);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0].id, before[0].id);
    EXPECT_EQ(after[1].read, 1);  // read state of a known link survives
    int newAfter = -1;
    ASSERT_TRUE(m_store.CountNew(channel, newAfter));
    EXPECT_EQ(newAfter, newBefore);
    EXPECT_EQ(newAfter, 1);
}

TEST_F(RssStoreTest, MergeAddsOnlyUnknownLinksAboveTheKnownOnes) {
    int channel = NewChannel("http://a/feed");
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, Feed({"l2", "l3"}), 3, 0));
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, Feed({"l0", "l1", "l2", "l3"}), 3, 0));
    EXPECT_EQ(Links(AllItems(channel)), (Strings{"l0", "l1", "l2", "l3"}));
}

TEST_F(RssStoreTest, SameLinkInAnotherChannelIsStoredAgain) {
    int a = NewChannel("http://a/feed");
    int b = NewChannel("http://b/feed");
    ASSERT_TRUE(m_store.SaveReceivedItems(a, Feed({"shared"}), 3, 0));
    ASSERT_TRUE(m_store.SaveReceivedItems(b, Feed({"shared"}), 3, 0));
    EXPECT_EQ(AllItems(a).size(), 1u);
    EXPECT_EQ(AllItems(b).size(), 1u);
}

TEST_F(RssStoreTest, LinkListedTwiceInOneFeedIsStoredOnce) {
    int channel = NewChannel("http://a/feed");
    std::vector<RssItem> feed = Feed({"l1", "dup", "l2", "dup"});
    feed[1].title = "first";
    feed[3].title = "second";
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, feed, 3, 0));
    std::vector<RssItem> items = AllItems(channel);
    EXPECT_EQ(Links(items), (Strings{"l1", "dup", "l2"}));
    EXPECT_EQ(items[1].title, "first");
}

TEST_F(RssStoreTest, StorageTypeOneKeepsOnlyWhatTheFeedListsEvenUnread) {
    int channel = NewChannel("http://a/feed");
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, Feed({"l1", "l2", "l3"}), 1, 0));
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, Feed({"l4", "l2"}), 1, 0));
    EXPECT_EQ(Links(AllItems(channel)), (Strings{"l4", "l2"}));
}

TEST_F(RssStoreTest, StorageTypeTwoKeepsTheHighestIds) {
    int channel = NewChannel("http://a/feed");
    int other = NewChannel("http://b/feed");
    ASSERT_TRUE(m_store.SaveReceivedItems(other, Feed({"o1", "o2"}), 2, 200));
    for (int round = 0; round < 3; ++round) {
        std::vector<std::string> links;
        for (int i = 0; i < 150; ++i) {
            links.push_back(StrFormat("r%d-%d", round, i));
        }
        ASSERT_TRUE(m_store.SaveReceivedItems(channel, Feed(links), 2, 200));
        int total = 0;
        int unread = 0;
        ASSERT_TRUE(m_store.CountFeed(channel, total, unread));
        EXPECT_EQ(total, round == 0 ? 150 : 200);
    }
    std::vector<RssItem> items = AllItems(channel);
    EXPECT_EQ(items.front().link, "r2-0");
    EXPECT_EQ(items.back().link, "r1-49");  // round 2 and the 50 newest of round 1
    EXPECT_EQ(
        Scalar("SELECT MAX(item_id) FROM rss_data WHERE item_feedid = " + std::to_string(channel)) -
            Scalar("SELECT MIN(item_id) FROM rss_data WHERE item_feedid = " +
                   std::to_string(channel)),
        199);
    EXPECT_EQ(AllItems(other).size(), 2u);  // other channels are not trimmed
}

TEST_F(RssStoreTest, OtherStorageTypesKeepEverything) {
    int channel = NewChannel("http://a/feed");
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, Feed({"l1"}), 3, 1));
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, Feed({"l2"}), 0, 1));
    EXPECT_EQ(AllItems(channel).size(), 2u);
}

TEST_F(RssStoreTest, QuotesInEveryFieldAreStoredUnchanged) {
    int channel = NewChannel("http://a/feed");
    RssItem item = Item("http://a/it's", "Bob's 'quoted' title", "2006-01-05 08:30:00'");
    item.author = "O'Brien";
    item.description = "<a href='x'>it''s</a>";
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, {item}, 3, 0)) << m_store.GetLastError();
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, {item}, 1, 0)) << m_store.GetLastError();
    std::vector<RssItem> items = AllItems(channel);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].link, item.link);
    EXPECT_EQ(items[0].title, item.title);
    EXPECT_EQ(items[0].author, item.author);
    EXPECT_EQ(items[0].description, item.description);
    EXPECT_EQ(items[0].date, item.date);
}

TEST_F(RssStoreTest, MergeLeavesNoStagingRows) {
    int channel = NewChannel("http://a/feed");
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, Feed({"l1", "l2"}), 3, 0));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM rsstemp_data;"), 0);
}

TEST_F(RssStoreTest, FailedMergeReportsCauseKeepsEarlierRowsAndClearsStaging) {
    int channel = NewChannel("http://a/feed");
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, Feed({"old"}), 3, 0));
    m_peer.ExecuteUpdate(
        "CREATE TRIGGER refuse BEFORE DELETE ON rss_data BEGIN SELECT RAISE(ABORT, 'no "
        "deleting'); END;");
    // The merge succeeds, the storage policy's delete fails: the merged item stays.
    EXPECT_FALSE(m_store.SaveReceivedItems(channel, Feed({"new"}), 1, 0));
    EXPECT_EQ(m_store.GetLastError(), "SQLITE_CONSTRAINT[19]: no deleting");
    EXPECT_EQ(Links(AllItems(channel)), (Strings{"new", "old"}));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM rsstemp_data;"), 0);
    // The connection is not left inside a transaction.
    m_peer.ExecuteUpdate("DROP TRIGGER refuse;");
    EXPECT_TRUE(m_store.SaveReceivedItems(channel, Feed({"newer"}), 1, 0))
        << m_store.GetLastError();
    EXPECT_EQ(Links(AllItems(channel)), (Strings{"newer"}));
}

TEST_F(RssStoreTest, StagedSearchResultsGetIdsAndStayUntilStagedAgain) {
    std::vector<RssItem> results = Feed({"s1", "s2"});
    results[0].isNew = 1;
    results[0].read = 1;
    ASSERT_TRUE(m_store.StageItems(-1, results));
    EXPECT_GT(results[0].id, 0);
    EXPECT_GT(results[1].id, results[0].id);
    EXPECT_EQ(results[0].isNew, 0);
    EXPECT_EQ(results[0].read, 0);

    RssItem staged;
    ASSERT_TRUE(m_store.GetItem(results[1].id, true, staged));
    EXPECT_EQ(staged.link, "s2");
    std::string link;
    ASSERT_TRUE(m_store.GetItemLink(results[0].id, true, link));
    EXPECT_EQ(link, "s1");
    EXPECT_FALSE(m_store.GetItem(results[0].id, false, staged));  // not a received item

    std::vector<RssItem> again = Feed({"s3"});
    ASSERT_TRUE(m_store.StageItems(-1, again));
    EXPECT_FALSE(m_store.GetItem(results[0].id, true, staged));
    EXPECT_EQ(m_store.GetLastError(), kNoRssItemWithId);
    EXPECT_TRUE(m_store.ClearStaging(-1));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM rsstemp_data;"), 0);
}

}  // namespace
}  // namespace zirvo::test
