// The folder batch settings against a real rss.db and a tree with a channel that carries
// children.

#include "core/receive/folder_batch_settings.h"

#include <gtest/gtest.h>

#include "core/subscriptions/channel_binding.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

class FolderBatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root.MakeDir("Storage");
        m_store = std::make_unique<CRssStore>(m_root.Path());
        ASSERT_TRUE(m_store->Open()) << m_store->GetLastError();
        m_folder = m_tree.AddNode(kNoNode, "新闻", "", "");
        m_a = m_tree.AddNode(m_folder, "A", "http://127.0.0.1/a.xml", "");
        m_b = m_tree.AddNode(m_a, "B under a channel", "http://127.0.0.1/b.xml", "");
        m_inner = m_tree.AddNode(m_folder, "Inner", "", "");
        m_c = m_tree.AddNode(m_inner, "C", "http://127.0.0.1/c.xml", "");
        m_outside = m_tree.AddNode(kNoNode, "Outside", "http://127.0.0.1/out.xml", "");
        // Only A was ever opened: B and C are not bound yet.
        ASSERT_TRUE(BindChannel(m_tree, m_a, *m_store));
    }
    // The settings as a fresh look-up in the store finds them.
    FeedSettings Stored(NodeId channel) {
        int id = 0;
        FeedSettings settings;
        EXPECT_TRUE(m_store->GetFeedSettings(m_tree.Node(channel)->feedUrl, id, settings));
        return settings;
    }

    test::TempDir m_root{"batch"};
    std::unique_ptr<CRssStore> m_store;
    CChannelTree m_tree;
    NodeId m_folder = kNoNode, m_a = kNoNode, m_b = kNoNode, m_inner = kNoNode, m_c = kNoNode;
    NodeId m_outside = kNoNode;
};

TEST_F(FolderBatchTest, EachGroupReachesEveryChannelOfTheSubtreeOnly) {
    FolderBatchInput input;
    input.rankChoice = 1;
    FolderBatchResult result =
        ApplyFolderBatchGroup(m_tree, m_folder, *m_store, input, BatchGroup::RssRank);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.message, "设置完毕!");
    EXPECT_EQ(result.channels, 3);
    for (NodeId channel : {m_a, m_b, m_c}) {
        EXPECT_EQ(Stored(channel).rssRank, 5);
        EXPECT_EQ(m_tree.Node(channel)->settings.rssRank, 5);
        // The other groups are untouched.
        EXPECT_EQ(Stored(channel).autoUpdate, 1);
        EXPECT_EQ(Stored(channel).storageNum, 200);
    }
    EXPECT_EQ(Stored(m_outside).rssRank, 0);

    input.noAutoUpdate = true;
    input.showNotice = true;
    ASSERT_TRUE(ApplyFolderBatchGroup(m_tree, m_inner, *m_store, input, BatchGroup::AutoUpdate).ok);
    EXPECT_EQ(Stored(m_c).autoUpdate, 0);
    EXPECT_EQ(Stored(m_a).autoUpdate, 1);
    EXPECT_EQ(Stored(m_c).newItemShowTip, 0);
    ASSERT_TRUE(ApplyFolderBatchGroup(m_tree, m_folder, *m_store, input, BatchGroup::Notice).ok);
    EXPECT_EQ(Stored(m_b).newItemShowTip, 1);
    EXPECT_EQ(m_tree.Node(m_b)->settings.newItemShowTip, 1);
}

TEST_F(FolderBatchTest, StorageGroupChecksLikeTheStoragePages) {
    FolderBatchInput input;
    input.ownStorage = true;
    input.storageRadio = 2;
    input.storageCountText = "9";
    FolderBatchResult result =
        ApplyFolderBatchGroup(m_tree, m_folder, *m_store, input, BatchGroup::Storage);
    EXPECT_FALSE(result.check.ok);
    EXPECT_EQ(result.check.message, "不是合理的存储数量!");
    EXPECT_EQ(result.check.focus, SettingsField::StorageCount);
    input.storageCountText = "500";
    input.storageRadio = 0;
    result = ApplyFolderBatchGroup(m_tree, m_folder, *m_store, input, BatchGroup::Storage);
    EXPECT_EQ(result.check.message, "请选择一个设置");
    EXPECT_FALSE(m_tree.Node(m_b)->IsBound());  // nothing ran

    input.storageRadio = 2;
    ASSERT_TRUE(ApplyFolderBatchGroup(m_tree, m_folder, *m_store, input, BatchGroup::Storage).ok);
    EXPECT_EQ(Stored(m_b).storageType, 2);
    EXPECT_EQ(Stored(m_b).storageNum, 500);
    // Own settings off: the global setting, the count still written.
    input.ownStorage = false;
    input.storageCountText = "300";
    ASSERT_TRUE(ApplyFolderBatchGroup(m_tree, m_folder, *m_store, input, BatchGroup::Storage).ok);
    EXPECT_EQ(Stored(m_c).storageType, 0);
    EXPECT_EQ(Stored(m_c).storageNum, 300);
    EXPECT_EQ(m_tree.Node(m_c)->settings.storageType, 0);
}

TEST_F(FolderBatchTest, SetAllRefusedByTheStorageCheckChangesNothing) {
    FolderBatchInput input;
    input.rankChoice = 1;
    input.noAutoUpdate = true;
    input.showNotice = true;
    input.ownStorage = true;
    input.storageRadio = 3;
    input.storageCountText = "lots";
    FolderBatchResult result = ApplyFolderBatchAll(m_tree, m_folder, *m_store, input);
    EXPECT_FALSE(result.check.ok);
    EXPECT_EQ(Stored(m_a).rssRank, 0);
    EXPECT_EQ(m_tree.Node(m_a)->settings.rssRank, 0);

    input.storageCountText = "1000";
    result = ApplyFolderBatchAll(m_tree, m_folder, *m_store, input);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.message, "设置完毕!");
    const FeedSettings b = Stored(m_b);
    EXPECT_EQ(b.rssRank, 5);
    EXPECT_EQ(b.autoUpdate, 0);
    EXPECT_EQ(b.newItemShowTip, 1);
    EXPECT_EQ(b.storageType, 3);
    EXPECT_EQ(b.storageNum, 1000);
    // The page reopened on the folder (in a tree loaded afresh) shows what was set.
    CChannelTree reloaded;
    const NodeId folder = reloaded.AddNode(kNoNode, "新闻", "", "");
    reloaded.AddNode(folder, "A", "http://127.0.0.1/a.xml", "");
    const FolderBatchInput shown = FolderBatchInputOf(reloaded, folder, *m_store);
    EXPECT_EQ(shown.rankChoice, 1);
    EXPECT_TRUE(shown.noAutoUpdate);
    EXPECT_EQ(shown.storageRadio, 3);
    EXPECT_EQ(shown.storageCountText, "1000");
}

TEST_F(FolderBatchTest, SetAllRunsRankAutoUpdateNoticeThenStorage) {
    EXPECT_EQ(std::size(kSetAllOrder), 4u);
    EXPECT_EQ(kSetAllOrder[0], BatchGroup::RssRank);
    EXPECT_EQ(kSetAllOrder[1], BatchGroup::AutoUpdate);
    EXPECT_EQ(kSetAllOrder[2], BatchGroup::Notice);
    EXPECT_EQ(kSetAllOrder[3], BatchGroup::Storage);
    EXPECT_EQ(static_cast<int>(BatchGroup::Storage), kUpdateStorage);
}

TEST_F(FolderBatchTest, AFailedStoreWriteIsReportedAndLeavesTheNodes) {
    // A trigger makes every change of feed_data fail inside the store's own statement.
    ASSERT_TRUE(m_store->Execute(
        "CREATE TRIGGER refuse BEFORE UPDATE ON feed_data BEGIN SELECT RAISE(ABORT, 'refused'); "
        "END;"));
    FolderBatchInput input;
    input.rankChoice = 1;
    const FolderBatchResult result =
        ApplyFolderBatchGroup(m_tree, m_folder, *m_store, input, BatchGroup::RssRank);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, "设置失败!");
    EXPECT_NE(result.error.find("refused"), std::string::npos) << result.error;
    EXPECT_EQ(m_tree.Node(m_a)->settings.rssRank, 0);
    EXPECT_EQ(Stored(m_a).rssRank, 0);
}

}  // namespace
}  // namespace zirvo
