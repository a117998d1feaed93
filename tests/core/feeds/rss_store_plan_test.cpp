// How SQLite plans the list statements on a store in use: with planner statistics (ANALYZE, as
// PRAGMA optimize leaves them) a list must be found through a channel's index, so that its cost
// follows the channel or folder and not the whole store. A full scan of rss_data fails.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/feeds/rss_item_statements.h"
#include "core/util/strings.h"
#include "rss_store_fixture.h"

namespace zirvo::test {
namespace {

constexpr int kChannels = 40;
constexpr int kPerChannel = 2500;

class RssStorePlanTest : public RssStoreTest {
protected:
    void SetUp() override {
        RssStoreTest::SetUp();
        for (int c = 0; c < kChannels; ++c) {
            m_channels.push_back(NewChannel("http://example.com/" + std::to_string(c)));
        }
        // Half the channels all unread (100,000 unread in all would be the same picture at a
        // larger scale), the others with one unread item in a hundred; a few items new.
        for (int c = 0; c < kChannels; ++c) {
            const int channel = m_channels[c];
            const bool unread = c % 2 == 0;  // m_channels[0], [2], ... all unread
            m_peer.ExecuteUpdate(StrFormat(
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %d) "
                "INSERT INTO rss_data (item_feedid, item_new, item_read, item_link, item_title, "
                "item_author, item_description, item_pubDate) SELECT %d, i %% 50 = 0, %s, "
                "'http://example.com/' || %d || '/' || i, 'title', 'author', 'body', "
                "'2006-01-05 08:30:00' FROM n;",
                kPerChannel, channel, unread ? "0" : "i % 100 != 0", channel));
        }
        m_peer.ExecuteUpdate("ANALYZE;");
    }

    // The plan's detail lines.
    std::vector<std::string> Plan(const std::string& sql) {
        std::vector<std::string> lines;
        for (CppSQLite3Cursor row = m_peer.ExecuteQuery("EXPLAIN QUERY PLAN " + sql); !row.AtEnd();
             row.NextRow()) {
            lines.push_back(row.GetText("detail"));
        }
        return lines;
    }

    static std::string Joined(const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& line : lines) {
            text += "\n  " + line;
        }
        return text;
    }

    void ExpectNoFullScan(const std::string& sql) {
        const std::vector<std::string> plan = Plan(sql);
        ASSERT_FALSE(plan.empty()) << sql;
        for (const std::string& line : plan) {
            EXPECT_NE(line.rfind("SCAN rss_data", 0), 0u)
                << "full scan in the plan of " << sql << Joined(plan);
        }
    }

    std::vector<int> m_channels;
};

// Every order the article list can ask for.
std::vector<ItemOrder> AllOrders() {
    std::vector<ItemOrder> orders;
    for (int key = kSortNewest; key <= kSortAuthor; ++key) {
        orders.push_back(ItemOrder{key, true});
        orders.push_back(ItemOrder{key, false});
    }
    return orders;
}

TEST_F(RssStorePlanTest, ChannelPagesAndTotalsSearchTheChannel) {
    // A mostly read channel and an all-unread one.
    for (int channel : {m_channels[1], m_channels[2]}) {
        for (int filter : {kAllItems, kReadItems, kUnreadItems, kNewItems}) {
            for (bool body : {false, true}) {
                for (const ItemOrder& order : AllOrders()) {
                    ExpectNoFullScan(ItemsPageStatement(channel, filter, body, 0, 50, order));
                    ExpectNoFullScan(ItemsPageStatement(channel, filter, body, 950, 50, order));
                }
            }
            ExpectNoFullScan(ItemsTotalStatement(channel, filter));
        }
    }
}

TEST_F(RssStorePlanTest, FolderListsSearchTheFoldersChannels) {
    // A folder of mostly read channels: walking the store's unread items would read 50,000 rows
    // to list a few hundred.
    const std::string mostlyRead =
        StrFormat("%d,%d,%d", m_channels[1], m_channels[3], m_channels[5]);
    const std::string mixed = StrFormat("%d,%d", m_channels[2], m_channels[7]);
    for (const std::string& ids : {mostlyRead, mixed}) {
        for (int filter : {kAllItems, kReadItems, kUnreadItems, kNewItems}) {
            for (const ItemOrder& order : AllOrders()) {
                ExpectNoFullScan(FeedsItemsStatement(ids, filter, order));
            }
        }
    }
}

TEST_F(RssStorePlanTest, FolderListsGiveTheNewestRowsOfTheFilter) {
    // Pinning an index must not change what the statement returns.
    const FeedIdList folder = {{0, m_channels[1]}, {0, m_channels[2]}};
    for (int filter : {kAllItems, kReadItems, kUnreadItems, kNewItems}) {
        std::vector<RssItem> listed;
        ASSERT_TRUE(m_store.ListFeedsItems(folder, filter, listed)) << m_store.GetLastError();
        const char* condition = "";
        ASSERT_TRUE(ItemFilterCondition(filter, condition));
        std::vector<int> expected;
        for (CppSQLite3Cursor row = m_peer.ExecuteQuery(StrFormat(
                 "SELECT item_id FROM rss_data NOT INDEXED WHERE item_feedid IN (%d, %d)%s "
                 "ORDER BY item_id DESC LIMIT %d;",
                 m_channels[1], m_channels[2], condition, kFeedsItemsLimit));
             !row.AtEnd(); row.NextRow()) {
            expected.push_back(row.GetInt(0));
        }
        ASSERT_EQ(listed.size(), expected.size()) << "filter " << filter;
        for (size_t i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(listed[i].id, expected[i]) << "filter " << filter << " row " << i;
        }
    }
}

TEST_F(RssStorePlanTest, AllUnreadWalksOnlyTheUnreadIndexNewestFirst) {
    // Every channel's unread items: the partial unread index in id order is the right walk,
    // and the cap stops it after one folder list's worth of rows, with no sort of them all.
    const std::vector<std::string> plan = Plan(UnreadItemsStatement(ItemOrder{}));
    ASSERT_EQ(plan.size(), 1u) << Joined(plan);
    EXPECT_NE(plan[0].find("USING INDEX rss_data_unread"), std::string::npos) << Joined(plan);
    std::vector<RssItem> items;
    int count = 0;
    ASSERT_TRUE(m_store.ListUnread(items, count));
    EXPECT_EQ(items.size(), static_cast<size_t>(kFeedsItemsLimit));
    EXPECT_EQ(count, kChannels / 2 * kPerChannel + kChannels / 2 * (kPerChannel / 100));
}

}  // namespace
}  // namespace zirvo::test
