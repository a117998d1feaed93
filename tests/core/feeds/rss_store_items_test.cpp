// Lists, look-ups, read state, search and clean-up of received items.

#include <ctime>
#include <string>
#include <vector>

#include "core/util/strings.h"
#include "rss_store_fixture.h"

namespace zirvo::test {
namespace {

using Strings = std::vector<std::string>;

class RssItemsTest : public RssStoreTest {
protected:
    // Channel with items n49 (newest) .. n0; every third item (n0, n3, ...) read.
    int FillChannel(const std::string& url, int count = 50) {
        int channel = NewChannel(url);
        std::vector<std::string> links;
        for (int i = count - 1; i >= 0; --i) {
            links.push_back(url + "/n" + std::to_string(i));
        }
        EXPECT_TRUE(m_store.SaveReceivedItems(channel, Feed(links), 3, 0));
        for (const RssItem& item : AllItems(channel)) {
            if (std::stoi(item.link.substr(item.link.rfind("/n") + 2)) % 3 == 0) {
                EXPECT_TRUE(m_store.SetItemRead(item.id, 1));
            }
        }
        return channel;
    }
};

TEST_F(RssItemsTest, PageOfAFilterWithTheFiltersTotal) {
    int channel = FillChannel("c");
    std::vector<RssItem> all = AllItems(channel);
    std::vector<RssItem> page;
    int total = 0;
    ASSERT_TRUE(m_store.ListItems(channel, kAllItems, false, page, total, 20, 20));
    EXPECT_EQ(total, 50);
    ASSERT_EQ(page.size(), 20u);
    EXPECT_EQ(page[0].id, all[20].id);  // the 21st to 40th newest
    EXPECT_EQ(page[19].id, all[39].id);
    EXPECT_TRUE(page[0].link.empty());  // no body asked for
    EXPECT_TRUE(page[0].description.empty());
    EXPECT_EQ(page[0].title, all[20].title);
    EXPECT_EQ(page[0].channelId, channel);

    std::vector<RssItem> unread;
    ASSERT_TRUE(m_store.ListItems(channel, kUnreadItems, true, unread, total, 20, 20));
    EXPECT_EQ(total, 33);
    ASSERT_EQ(unread.size(), 13u);
    EXPECT_FALSE(unread[0].link.empty());
    for (const RssItem& item : unread) {
        EXPECT_EQ(item.read, 0);
    }
    std::vector<RssItem> read;
    ASSERT_TRUE(m_store.ListItems(channel, kReadItems, false, read, total, 100, 0));
    EXPECT_EQ(total, 17);
    EXPECT_EQ(read.size(), 17u);
    std::vector<RssItem> fresh;
    ASSERT_TRUE(m_store.ListItems(channel, kNewItems, false, fresh, total, 100, 0));
    EXPECT_EQ(total, 33);  // reading an item clears its new flag
}

TEST_F(RssItemsTest, UnknownFilterIsRefused) {
    int channel = FillChannel("c", 3);
    std::vector<RssItem> items;
    int total = -7;
    EXPECT_FALSE(m_store.ListItems(channel, 4, true, items, total, 10, 0));
    EXPECT_FALSE(m_store.ListFeedsItems({{0, channel}}, -1, items));
    EXPECT_TRUE(items.empty());
    EXPECT_EQ(total, -7);
}

TEST_F(RssItemsTest, SeveralChannelsListNewestFirstWithTheirIds) {
    int a = FillChannel("a", 4);
    int b = FillChannel("b", 4);
    int c = FillChannel("c", 4);
    std::vector<RssItem> items;
    ASSERT_TRUE(m_store.ListFeedsItems({{11, a}, {12, c}}, kAllItems, items));
    ASSERT_EQ(items.size(), 8u);
    EXPECT_EQ(items[0].channelId, c);
    EXPECT_EQ(items[7].channelId, a);
    EXPECT_GT(items[0].id, items[7].id);
    EXPECT_TRUE(items[0].link.empty());
    items.clear();
    ASSERT_TRUE(m_store.ListFeedsItems({{0, a}, {0, b}}, kReadItems, items));
    EXPECT_EQ(items.size(), 4u);  // n0 and n3 of each
}

TEST_F(RssItemsTest, OrderedPagesAreSlicesOfOneOrder) {
    // Titles, dates and authors that disagree with the order of arrival, ties included, so
    // that a page boundary inside a run of equal keys shows whether paging stays right.
    const int channel = NewChannel("c");
    std::vector<RssItem> feed;
    for (int i = 0; i < 9; ++i) {
        RssItem item =
            Item("c/" + std::to_string(i), i % 3 == 0 ? "beta" : "Alpha " + std::to_string(8 - i),
                 StrFormat("2006-01-%.2d 08:00:00", 1 + (i * 5) % 9));
        item.author = i % 2 == 0 ? "zed" : "Ann";
        feed.push_back(item);
    }
    ASSERT_TRUE(m_store.SaveReceivedItems(channel, feed, 3, 0));
    std::vector<RssItem> all = AllItems(channel);
    ASSERT_EQ(all.size(), 9u);
    ASSERT_TRUE(m_store.SetItemRead(all[4].id, 1));
    ASSERT_TRUE(m_store.SetItemRead(all[7].id, 1));
    m_peer.ExecuteUpdate(StrFormat(
        "INSERT INTO rss_enclosure (enc_itemid, enc_url, enc_type, enc_length) VALUES (%d, "
        "'http://e/a.mp3', 'audio/mpeg', '1');",
        all[5].id));

    // What SQLite says the order is, over the whole channel.
    auto expected = [&](const std::string& by) {
        std::vector<int> ids;
        for (CppSQLite3Cursor row = m_peer.ExecuteQuery(StrFormat(
                 "SELECT item_id FROM rss_data WHERE item_feedid = %d ORDER BY %s, item_id DESC;",
                 channel, by.c_str()));
             !row.AtEnd(); row.NextRow()) {
            ids.push_back(row.GetInt(0));
        }
        return ids;
    };
    const std::vector<std::pair<ItemOrder, std::string>> cases = {
        {{kSortTitle, false}, "lower(item_title) ASC"},
        {{kSortTitle, true}, "lower(item_title) DESC"},
        {{kSortDate, false}, "item_pubDate ASC"},
        {{kSortDate, true}, "item_pubDate DESC"},
        {{kSortAuthor, false}, "lower(item_author) ASC"},
        {{kSortRead, true}, "item_read DESC"},
        {{kSortNew, false}, "item_new ASC"},
        {{kSortAttachment, true}, StrFormat("item_id = %d DESC", all[5].id)},
        {{kSortNewest, false}, "item_id ASC"},
    };
    for (const auto& [order, by] : cases) {
        SCOPED_TRACE(by);
        std::vector<int> listed;
        int total = 0;
        for (int offset : {0, 4, 8}) {  // three pages of four, the last one short
            std::vector<RssItem> page;
            ASSERT_TRUE(
                m_store.ListItems(channel, kAllItems, offset == 4, page, total, 4, offset, order))
                << m_store.GetLastError();
            EXPECT_EQ(page.size(), offset == 8 ? 1u : 4u);
            for (const RssItem& item : page) {
                listed.push_back(item.id);
            }
        }
        EXPECT_EQ(total, 9);
        EXPECT_EQ(listed, expected(by));
    }
    // The first title in ascending order, whatever its case ("Alpha 0" before "beta").
    std::vector<RssItem> first;
    int total = 0;
    ASSERT_TRUE(m_store.ListItems(channel, kAllItems, false, first, total, 1, 0,
                                  ItemOrder{kSortTitle, false}));
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].title, "Alpha 0");

    // A folder list and the unread list take the same order.
    const int other = NewChannel("d");
    ASSERT_TRUE(m_store.SaveReceivedItems(other, {Item("d/0", "AAA first")}, 3, 0));
    std::vector<RssItem> folder;
    ASSERT_TRUE(m_store.ListFeedsItems({{0, channel}, {0, other}}, kUnreadItems, folder,
                                       ItemOrder{kSortTitle, false}));
    ASSERT_EQ(folder.size(), 8u);
    EXPECT_EQ(folder[0].title, "AAA first");
    EXPECT_EQ(folder[7].title, "beta");
    std::vector<RssItem> unread;
    int count = 0;
    ASSERT_TRUE(m_store.ListUnread(unread, count, ItemOrder{kSortTitle, true}));
    ASSERT_EQ(unread.size(), 8u);
    EXPECT_EQ(unread[0].title, "beta");
    EXPECT_EQ(unread[7].title, "AAA first");
}

TEST_F(RssItemsTest, OrderOutsideTheColumnsIsRefused) {
    const int channel = FillChannel("c", 3);
    std::vector<RssItem> items;
    int total = -7;
    int count = -7;
    for (int key : {-1, 7, 1000}) {
        EXPECT_FALSE(m_store.ListItems(channel, kAllItems, false, items, total, 10, 0,
                                       ItemOrder{key, true}));
        EXPECT_NE(m_store.GetLastError().find("sort"), std::string::npos);
        EXPECT_FALSE(
            m_store.ListFeedsItems({{0, channel}}, kAllItems, items, ItemOrder{key, true}));
        EXPECT_FALSE(m_store.ListUnread(items, count, ItemOrder{key, false}));
    }
    EXPECT_TRUE(items.empty());
    EXPECT_EQ(total, -7);
}

TEST_F(RssItemsTest, UnreadListSpansChannels) {
    FillChannel("a", 4);
    FillChannel("b", 4);
    std::vector<RssItem> items;
    int count = 0;
    ASSERT_TRUE(m_store.ListUnread(items, count));
    EXPECT_EQ(count, 4);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].link, "");
    EXPECT_EQ(items[0].title, "Title of b/n2");  // newest first
    EXPECT_EQ(items[0].isNew, 0);
}

TEST_F(RssItemsTest, MissingItemsReportTheirTexts) {
    RssItem item;
    EXPECT_FALSE(m_store.GetItem(12345, false, item));
    EXPECT_EQ(m_store.GetLastError(), "没有对应id的rss item");
    std::string link;
    EXPECT_FALSE(m_store.GetItemLink(12345, false, link));
    EXPECT_EQ(m_store.GetLastError(), "没有对应id的rss item");
    int channel = 0;
    EXPECT_FALSE(m_store.GetItemFeedId(12345, channel));
    EXPECT_EQ(m_store.GetLastError(), "没有对应的rss item");
}

TEST_F(RssItemsTest, ReadStateChanges) {
    int channel = FillChannel("c", 6);  // n0 and n3 read
    std::vector<RssItem> items = AllItems(channel);
    // Unread again, but no longer new.
    ASSERT_TRUE(m_store.SetItemRead(items.back().id, 0));
    RssItem item;
    ASSERT_TRUE(m_store.GetItem(items.back().id, false, item));
    EXPECT_EQ(item.read, 0);
    EXPECT_EQ(item.isNew, 0);
    int n = -1;
    ASSERT_TRUE(m_store.CountUnread(channel, n));
    EXPECT_EQ(n, 5);
    ASSERT_TRUE(m_store.CountNew(channel, n));
    EXPECT_EQ(n, 4);

    // Marking the channel read touches only unread rows: a read row keeps its flags.
    m_peer.ExecuteUpdate("UPDATE rss_data SET item_new = 1 WHERE item_link = 'c/n3';");
    ASSERT_TRUE(m_store.SetFeedRead(channel, 1));
    ASSERT_TRUE(m_store.CountUnread(channel, n));
    EXPECT_EQ(n, 0);
    EXPECT_EQ(Scalar("SELECT item_new FROM rss_data WHERE item_link = 'c/n3';"), 1);
    EXPECT_EQ(Scalar("SELECT item_new FROM rss_data WHERE item_link = 'c/n5';"), 0);

    ASSERT_TRUE(m_store.SetFeedRead(channel, 0));
    ASSERT_TRUE(m_store.CountUnread(channel, n));
    EXPECT_EQ(n, 6);
}

TEST_F(RssItemsTest, SeveralChannelsMarkedReadAtOnce) {
    int a = FillChannel("a", 3);
    int b = FillChannel("b", 3);
    int c = FillChannel("c", 3);
    ASSERT_TRUE(m_store.SetFeedsRead({{0, a}, {0, b}}, 1));
    int n = -1;
    ASSERT_TRUE(m_store.CountUnread(a, n));
    EXPECT_EQ(n, 0);
    ASSERT_TRUE(m_store.CountUnread(c, n));
    EXPECT_EQ(n, 2);
    int channels = 0;
    int items = 0;
    ASSERT_TRUE(m_store.CountAll(channels, items));
    EXPECT_EQ(channels, 3);
    EXPECT_EQ(items, 9);
}

TEST_F(RssItemsTest, SearchMatchesTitlesAndOptionallyBodies) {
    int a = NewChannel("a");
    int b = NewChannel("b");
    std::vector<RssItem> feedA = {Item("a1", "Linux news"), Item("a2", "Other")};
    feedA[1].description = "about linux kernels";
    ASSERT_TRUE(m_store.SaveReceivedItems(a, feedA, 3, 0));
    ASSERT_TRUE(m_store.SaveReceivedItems(b, {Item("b1", "linux too")}, 3, 0));

    std::vector<RssItem> found;
    ASSERT_TRUE(m_store.SearchItems("linux", found, {}, true, false));
    EXPECT_EQ(Links(found), (Strings{"b1", "a1"}));  // LIKE ignores ASCII case
    EXPECT_EQ(found[0].channelId, b);
    EXPECT_FALSE(found[0].description.empty());
    found.clear();
    ASSERT_TRUE(m_store.SearchItems("linux", found, {}, true, true));
    EXPECT_EQ(Links(found), (Strings{"b1", "a1", "a2"}));
    found.clear();
    ASSERT_TRUE(m_store.SearchItems("linux", found, {{0, a}}, false, true));
    EXPECT_EQ(Links(found), (Strings{"a1", "a2"}));
    found.clear();
    ASSERT_TRUE(m_store.SearchItems("linux", found, {{0, a}}, false, false));
    EXPECT_EQ(Links(found), (Strings{"a1"}));
}

TEST_F(RssItemsTest, SearchKeywordWithQuotesIsTextNotSql) {
    int a = NewChannel("a");
    ASSERT_TRUE(m_store.SaveReceivedItems(
        a, {Item("a1", "It's here"), Item("a2", "Nothing to see")}, 3, 0));
    std::vector<RssItem> found;
    ASSERT_TRUE(m_store.SearchItems("it's", found, {{0, a}}, false, true))
        << m_store.GetLastError();
    EXPECT_EQ(Links(found), (Strings{"a1"}));
    found.clear();
    ASSERT_TRUE(m_store.SearchItems("x' OR '1'='1", found, {}, true, false))
        << m_store.GetLastError();
    EXPECT_TRUE(found.empty());
    ASSERT_TRUE(m_store.SearchItems("'; DELETE FROM rss_data; --", found, {}, true, true));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM rss_data;"), 2);
}

TEST_F(RssItemsTest, CleaningByAgeAndReadState) {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    const std::string today = StrFormat("%d-%.2d-%.2d %.2d:%.2d:%.2d", utc.tm_year + 1900,
                                        utc.tm_mon + 1, utc.tm_mday, 0, 0, 0);
    int a = NewChannel("a");
    int b = NewChannel("b");
    ASSERT_TRUE(m_store.SaveReceivedItems(
        a,
        {Item("old-read", "", "2001-01-01 00:00:00"), Item("old-unread", "", "2001-01-02 00:00:00"),
         Item("recent-read", "", today)},
        3, 0));
    ASSERT_TRUE(m_store.SaveReceivedItems(b, {Item("b-old", "", "2001-01-01 00:00:00")}, 3, 0));
    for (const RssItem& item : AllItems(a)) {
        if (item.link.find("-read") != std::string::npos) {
            ASSERT_TRUE(m_store.SetItemRead(item.id, 1));
        }
    }
    ASSERT_TRUE(m_store.CleanFeeds({{0, a}}, 30, false));
    EXPECT_EQ(Links(AllItems(a)), (Strings{"old-unread", "recent-read"}));
    ASSERT_TRUE(m_store.CleanFeeds({{0, a}}, 30, true));
    EXPECT_EQ(Links(AllItems(a)), (Strings{"recent-read"}));
    ASSERT_TRUE(m_store.CleanFeeds({{0, a}}, 0, false));
    EXPECT_TRUE(AllItems(a).empty());
    EXPECT_EQ(AllItems(b).size(), 1u);  // not listed
    ASSERT_TRUE(m_store.CleanFeeds({{0, b}}, 0, true));
    EXPECT_TRUE(AllItems(b).empty());
    EXPECT_FALSE(m_store.CleanFeeds({{0, b}}, -1, true));
}

TEST_F(RssItemsTest, EmptyChannelListSelectsNothingAndSucceeds) {
    int channel = FillChannel("c", 3);
    const FeedIdList none;
    std::vector<RssItem> items;
    EXPECT_TRUE(m_store.ListFeedsItems(none, kAllItems, items));
    EXPECT_TRUE(m_store.SearchItems("Title", items, none, false, true));
    EXPECT_TRUE(items.empty());
    EXPECT_TRUE(m_store.SetFeedsRead(none, 1));
    EXPECT_TRUE(m_store.CleanFeeds(none, 0, true));
    EXPECT_TRUE(m_store.DeleteFeedItems(none));
    EXPECT_TRUE(m_store.DeleteFeeds(none));
    EXPECT_TRUE(m_store.UpdateFeeds(none, kUpdateAllSettings, FeedSettings{}));
    EXPECT_TRUE(m_store.DeleteFavouriteFolders(none));
    EXPECT_EQ(AllItems(channel).size(), 3u);
    int unread = 0;
    ASSERT_TRUE(m_store.CountUnread(channel, unread));
    EXPECT_EQ(unread, 2);
}

}  // namespace
}  // namespace zirvo::test
