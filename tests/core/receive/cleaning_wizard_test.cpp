// The cleaning wizard's finish against a real rss.db: refusals, the cleaning itself, and unread
// counts recounted for the cleaned channels only.

#include "core/receive/cleaning_wizard.h"

#include <gtest/gtest.h>

#include <ctime>

#include "core/subscriptions/channel_binding.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

std::string DaysAgo(int days) {
    const std::time_t when = std::time(nullptr) - static_cast<std::time_t>(days) * 86400;
    std::tm utc{};
    gmtime_r(&when, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &utc);
    return text;
}

class CleaningWizardTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root.MakeDir("Storage");
        m_store = std::make_unique<CRssStore>(m_root.Path());
        ASSERT_TRUE(m_store->Open()) << m_store->GetLastError();
        m_folder = m_tree.AddNode(kNoNode, "F", "", "");
        m_a = m_tree.AddNode(m_folder, "A", "http://127.0.0.1/a.xml", "");
        m_b = m_tree.AddNode(m_folder, "B", "http://127.0.0.1/b.xml", "");
        m_other = m_tree.AddNode(kNoNode, "Other", "http://127.0.0.1/other.xml", "");
        Fill(m_a, {{"a-old-read", 100, true}, {"a-old-unread", 100, false}, {"a-fresh", 1, false}});
        Fill(m_b, {{"b-old-unread", 100, false}});
        Fill(m_other, {{"o-old-unread", 100, false}, {"o-fresh", 1, false}});
    }
    struct Item {
        const char* link;
        int age;
        bool read;
    };
    // Stores the items and shows the channel's unread count, as a receive would.
    void Fill(NodeId channel, const std::vector<Item>& items) {
        ASSERT_TRUE(BindChannel(m_tree, channel, *m_store));
        const int id = m_tree.Node(channel)->feedId;
        std::vector<RssItem> stored;
        for (const Item& item : items) {
            RssItem rss;
            rss.title = item.link;
            rss.link = std::string("http://127.0.0.1/") + item.link;
            rss.date = DaysAgo(item.age);
            stored.push_back(rss);
        }
        ASSERT_TRUE(m_store->SaveReceivedItems(id, stored, 3, 0)) << m_store->GetLastError();
        std::vector<RssItem> listed;
        int total = 0;
        ASSERT_TRUE(m_store->ListItems(id, kAllItems, true, listed, total, 100, 0));
        for (const RssItem& item : listed) {
            for (const Item& wanted : items) {
                if (wanted.read && item.title == wanted.link) {
                    ASSERT_TRUE(m_store->SetItemRead(item.id, 1));
                }
            }
        }
        int unread = 0;
        ASSERT_TRUE(m_store->CountUnread(id, unread));
        m_tree.SetUnread(channel, unread);
    }

    test::TempDir m_root{"cleaning"};
    std::unique_ptr<CRssStore> m_store;
    CChannelTree m_tree;
    NodeId m_folder = kNoNode, m_a = kNoNode, m_b = kNoNode, m_other = kNoNode;
};

TEST_F(CleaningWizardTest, NothingTickedOrBadDaysKeepsTheWizardOpen) {
    CleaningResult result = FinishCleaning(m_tree, {}, 7, false, *m_store);
    EXPECT_TRUE(result.stay);
    EXPECT_EQ(result.message, "请选择至少一个要清理的频道!");
    // A ticked folder is not a channel.
    result = FinishCleaning(m_tree, {m_folder}, 7, false, *m_store);
    EXPECT_TRUE(result.stay);
    EXPECT_EQ(result.message, "请选择至少一个要清理的频道!");
    for (int days : {-1, 366}) {
        result = FinishCleaning(m_tree, {m_a}, days, true, *m_store);
        EXPECT_TRUE(result.stay);
        EXPECT_EQ(result.message, "请输入 0 ~ 365 间的数字");
    }
    int total = 0, unread = 0;
    ASSERT_TRUE(m_store->CountFeed(m_tree.Node(m_a)->feedId, total, unread));
    EXPECT_EQ(total, 3);
}

TEST_F(CleaningWizardTest, OnlyTheCleanedChannelsAreRecounted) {
    ASSERT_EQ(m_tree.Unread(m_folder), 3);
    const CleaningResult result = FinishCleaning(m_tree, {m_a, m_b, m_a}, 30, true, *m_store);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_FALSE(result.stay);
    EXPECT_EQ(result.message, "清理完成!");
    ASSERT_EQ(result.channels.size(), 2u);
    EXPECT_EQ(result.channels[0].removed, 2);
    EXPECT_EQ(result.channels[0].total, 1);
    EXPECT_EQ(result.channels[1].removed, 1);
    EXPECT_EQ(result.removed, 3);
    // A keeps its fresh unread item, B is empty, the channel not ticked keeps its count.
    EXPECT_EQ(m_tree.Unread(m_a), 1);
    EXPECT_EQ(m_tree.Unread(m_b), 0);
    EXPECT_EQ(m_tree.Unread(m_folder), 1);
    EXPECT_EQ(m_tree.Unread(m_other), 2);
}

TEST_F(CleaningWizardTest, ReadOnlyCleaningKeepsUnreadItemsAndCounts) {
    const CleaningResult result = FinishCleaning(m_tree, {m_a}, 30, false, *m_store);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.removed, 1);
    EXPECT_EQ(m_tree.Unread(m_a), 2);
    // Zero days: every read item, and with unread included everything.
    ASSERT_TRUE(FinishCleaning(m_tree, {m_other}, 0, true, *m_store).ok);
    EXPECT_EQ(m_tree.Unread(m_other), 0);
    EXPECT_EQ(m_tree.Unread(m_a), 2);
}

TEST_F(CleaningWizardTest, TheCountBeforehandIsWhatTheCleaningDeletes) {
    const NodeId fresh = m_tree.AddNode(m_folder, "New", "http://127.0.0.1/new.xml", "");
    struct Case {
        std::vector<NodeId> ticked;
        int days;
        bool includeUnread;
        int expected;
    };
    // In turn, on what the previous cases left; A ticked twice counts once, a channel the
    // store does not know holds nothing (and gets no row from being counted).
    for (const Case& c : {Case{{m_a, m_a, fresh}, 30, false, 1}, Case{{m_a, m_b}, 30, true, 2},
                          Case{{m_other}, 0, false, 0}, Case{{m_other, m_folder}, 0, true, 2}}) {
        int count = -1;
        ASSERT_TRUE(CountCleaning(m_tree, c.ticked, c.days, c.includeUnread, *m_store, count));
        EXPECT_EQ(count, c.expected);
        const CleaningResult result =
            FinishCleaning(m_tree, c.ticked, c.days, c.includeUnread, *m_store);
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_EQ(result.removed, c.expected);
    }
    int feedId = 0;
    bool found = true;
    ASSERT_TRUE(m_store->FindFeedId("http://127.0.0.1/new.xml", feedId, found));
    EXPECT_TRUE(found);  // bound by the cleaning, not by the count before it
}

TEST_F(CleaningWizardTest, AChannelNeverReceivedIsBoundAndCleaned) {
    const NodeId fresh = m_tree.AddNode(m_folder, "New", "http://127.0.0.1/new.xml", "");
    const CleaningResult result = FinishCleaning(m_tree, {fresh}, 7, true, *m_store);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_NE(result.channels.at(0).feedId, 0);
    EXPECT_TRUE(m_tree.Node(fresh)->IsBound());
}

TEST_F(CleaningWizardTest, AFailedCleaningIsReportedNotDone) {
    ASSERT_TRUE(m_store->Execute(
        "CREATE TRIGGER refuse BEFORE DELETE ON rss_data BEGIN SELECT RAISE(ABORT, 'refused'); "
        "END;"));
    const CleaningResult result = FinishCleaning(m_tree, {m_a}, 0, true, *m_store);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.stay);
    EXPECT_EQ(result.message, "清理失败!");
    EXPECT_NE(result.error.find("refused"), std::string::npos) << result.error;
    EXPECT_EQ(result.removed, 0);
    EXPECT_EQ(m_tree.Unread(m_a), 2);
}

}  // namespace
}  // namespace zirvo
