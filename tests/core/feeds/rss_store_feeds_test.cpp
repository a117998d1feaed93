// Channel rows: look-up by URL, settings, deletes and counts.

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "rss_store_fixture.h"

namespace zirvo::test {
namespace {

TEST_F(RssStoreTest, UnknownUrlIsAddedAndKeepsTheCallersSettings) {
    FeedSettings settings;
    settings.storageNum = 77;  // the caller's value survives a look-up that adds the row
    int id = 0;
    ASSERT_TRUE(m_store.GetFeedSettings("http://new/feed", id, settings));
    EXPECT_GT(id, 0);
    EXPECT_EQ(settings.storageNum, 77);

    FeedSettings stored{9, 9, 9, 9, 9};
    int again = 0;
    ASSERT_TRUE(m_store.GetFeedSettings("http://new/feed", again, stored));
    EXPECT_EQ(again, id);
    EXPECT_EQ(stored.rssRank, 0);
    EXPECT_EQ(stored.storageType, 0);
    EXPECT_EQ(stored.storageNum, 200);
    EXPECT_EQ(stored.autoUpdate, 1);
    EXPECT_EQ(stored.newItemShowTip, 0);
    int channels = 0;
    int items = -1;
    ASSERT_TRUE(m_store.CountAll(channels, items));
    EXPECT_EQ(channels, 1);
    EXPECT_EQ(items, 0);
}

TEST_F(RssStoreTest, UpdatedChannelReadsBack) {
    int id = NewChannel("http://a/feed");
    ASSERT_TRUE(m_store.UpdateFeed(id, "http://a/it's", FeedSettings{1, 2, 30, 0, 1}));
    FeedSettings settings;
    int found = 0;
    ASSERT_TRUE(m_store.GetFeedSettings("http://a/it's", found, settings));
    EXPECT_EQ(found, id);
    EXPECT_EQ(settings.rssRank, 1);
    EXPECT_EQ(settings.storageType, 2);
    EXPECT_EQ(settings.storageNum, 30);
    EXPECT_EQ(settings.autoUpdate, 0);
    EXPECT_EQ(settings.newItemShowTip, 1);
}

TEST_F(RssStoreTest, BatchUpdateWritesOnlyTheSelectedSettings) {
    int a = NewChannel("a");
    int b = NewChannel("b");
    int c = NewChannel("c");
    const FeedIdList ab = {{1, a}, {2, b}};
    const FeedSettings values{1, 2, 50, 0, 1};
    auto row = [&](int id) {
        return m_peer.ExecuteQuery(
            "SELECT feed_rssrank || feed_storagetype || '/' || feed_storagenum || '/' || "
            "feed_autoupdate || feed_newitemshowtip FROM feed_data WHERE feed_id = " +
            std::to_string(id) + ";");
    };
    ASSERT_TRUE(m_store.UpdateFeeds(ab, kUpdateStorage, values));
    EXPECT_EQ(row(a).GetText(0), "02/50/10");
    ASSERT_TRUE(m_store.UpdateFeeds(ab, kUpdateRssRank, values));
    EXPECT_EQ(row(a).GetText(0), "12/50/10");
    ASSERT_TRUE(m_store.UpdateFeeds(ab, kUpdateAutoUpdate, values));
    EXPECT_EQ(row(b).GetText(0), "12/50/00");
    ASSERT_TRUE(m_store.UpdateFeeds(ab, kUpdateNewItemShowTip, values));
    EXPECT_EQ(row(b).GetText(0), "12/50/01");
    ASSERT_TRUE(m_store.UpdateFeeds({{0, c}}, kUpdateAllSettings, values));
    EXPECT_EQ(row(c).GetText(0), "12/50/01");
    EXPECT_FALSE(m_store.UpdateFeeds(ab, 5, values));
}

TEST_F(RssStoreTest, WritesWaitForAnotherConnectionsWriteInsteadOfFailing) {
    // The items feed the full-text index through triggers; with another connection writing,
    // every kind of item write must wait for the lock, as the busy timeout promises.
    const int a = NewChannel("http://example.com/a");
    const int b = NewChannel("http://example.com/b");
    ASSERT_TRUE(m_store.SaveReceivedItems(a, Feed({"a1", "a2"}), 3, 0));
    ASSERT_TRUE(m_store.SaveReceivedItems(b, Feed({"b1"}), 3, 0));
    auto whileLocked = [this](const std::function<bool()>& write) {
        m_peer.ExecuteUpdate("BEGIN IMMEDIATE;");
        std::thread release([this] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            m_peer.ExecuteUpdate("COMMIT;");
        });
        const bool ok = write();
        release.join();
        return ok;
    };
    EXPECT_TRUE(whileLocked([&] { return m_store.SetFeedRead(a, 1); })) << m_store.GetLastError();
    EXPECT_TRUE(whileLocked([&] {
        return m_store.SaveReceivedItems(b, Feed({"b2", "b1"}), 3, 0);
    })) << m_store.GetLastError();
    EXPECT_TRUE(whileLocked([&] {
        return m_store.DeleteFeeds({{0, a}});
    })) << m_store.GetLastError();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM rss_data;"), 2);
    EXPECT_EQ(
        Scalar("SELECT COUNT(*) FROM rss_data WHERE item_feedid = " + std::to_string(a) + ";"), 0);
}

TEST_F(RssStoreTest, DeletingChannelsTakesTheirItems) {
    int a = NewChannel("a");
    int b = NewChannel("b");
    int c = NewChannel("c");
    for (int id : {a, b, c}) {
        ASSERT_TRUE(m_store.SaveReceivedItems(id, Feed({"x", "y"}), 3, 0));
    }
    ASSERT_TRUE(m_store.DeleteFeedItems({{0, a}}));
    int total = -1;
    int unread = -1;
    ASSERT_TRUE(m_store.CountFeed(a, total, unread));
    EXPECT_EQ(total, 0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM feed_data;"), 3);

    ASSERT_TRUE(m_store.DeleteFeeds({{0, b}, {0, c}}));
    int channels = 0;
    int items = 0;
    ASSERT_TRUE(m_store.CountAll(channels, items));
    EXPECT_EQ(channels, 1);
    EXPECT_EQ(items, 0);
}

}  // namespace
}  // namespace zirvo::test
