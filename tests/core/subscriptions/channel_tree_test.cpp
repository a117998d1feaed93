#include "core/subscriptions/channel_tree.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/subscriptions/opml_tree.h"
#include "subscriptions_fixture.h"

namespace zirvo {
namespace {

using test::SubscriptionsFixture;

class ChannelTreeTest : public ::testing::Test, protected SubscriptionsFixture {
protected:
    void LoadSample(bool rememberUnread) {
        COpmlTree file(WriteOpml(), m_messages);
        std::vector<OpmlOutline> outlines;
        ASSERT_TRUE(file.Load(outlines));
        m_tree.InsertOutlines(kNoNode, outlines, rememberUnread);
    }
    CChannelTree m_tree;
};

TEST_F(ChannelTreeTest, LoadAssignsHandlesDepthFirstWithDefaults) {
    LoadSample(true);
    ASSERT_EQ(m_tree.LiveCount(), 7u);
    EXPECT_EQ(m_tree.Walk(), (std::vector<NodeId>{0, 1, 2, 3, 4, 5, 6}));
    ChannelNode alpha = *m_tree.Node(1);
    EXPECT_EQ(alpha.caption, "Alpha");
    EXPECT_EQ(alpha.feedId, 0);
    EXPECT_EQ(alpha.settings.storageNum, 200);
    EXPECT_EQ(alpha.settings.autoUpdate, 1);
    EXPECT_EQ(alpha.weightLevel, 1);
    EXPECT_EQ(alpha.weightCounter, 10);
    EXPECT_EQ(alpha.image, kImageChannel);
    EXPECT_TRUE(m_tree.Node(3)->IsFolder());  // empty xmlUrl
    EXPECT_EQ(m_tree.Node(3)->image, kImageFolder);
    EXPECT_TRUE(m_tree.Node(0)->expanded);
}

TEST_F(ChannelTreeTest, UnreadCountsFromFileOnlyWhenRemembered) {
    LoadSample(false);
    for (NodeId id : m_tree.Walk()) {
        EXPECT_EQ(m_tree.Unread(id), 0);
    }
    m_tree.Clear();
    LoadSample(true);
    const NodeId news = m_tree.FindByCaptionPath("新闻");
    EXPECT_EQ(m_tree.Unread(m_tree.FindByCaptionPath("新闻/Alpha")), 3);
    // Folders are the sum of their direct children: 3 + 4 + 5.
    EXPECT_EQ(m_tree.Unread(news), 12);
}

TEST_F(ChannelTreeTest, SetUnreadRecomputesEveryFolderAbove) {
    LoadSample(false);
    const NodeId gamma = m_tree.FindByCaptionPath("新闻/技术\\/开发/Gamma only text");
    ASSERT_NE(gamma, kNoNode);
    std::vector<NodeId> notified;
    m_tree.SetCountListener([&](NodeId id) { notified.push_back(id); });
    m_tree.SetUnread(m_tree.FindByCaptionPath("新闻/Alpha"), 3);
    m_tree.SetUnread(m_tree.FindByCaptionPath("新闻/Beta"), 4);
    EXPECT_EQ(m_tree.Unread(m_tree.FindByCaptionPath("新闻")), 7);
    m_tree.SetUnread(gamma, 5);
    EXPECT_EQ(m_tree.Unread(m_tree.Parent(gamma)), 5);
    EXPECT_EQ(m_tree.Unread(m_tree.FindByCaptionPath("新闻")), 12);
    EXPECT_EQ(notified.size(), 3u);
    EXPECT_FALSE(m_tree.SetUnread(999, 1));
}

TEST_F(ChannelTreeTest, LookupsByPathUrlAndHandle) {
    LoadSample(false);
    const NodeId folder = m_tree.FindByCaptionPath("新闻/技术\\/开发");
    EXPECT_EQ(m_tree.CaptionPath(folder), "新闻/技术\\/开发");
    EXPECT_EQ(m_tree.PathCaption(folder), "新闻 → 技术/开发");
    EXPECT_EQ(m_tree.PathOf(folder), (IndexPath{0, 2}));
    EXPECT_EQ(m_tree.FindByIndexPath({0, 2}), folder);
    EXPECT_EQ(m_tree.FindByIndexPath({0, 9}), kNoNode);
    EXPECT_EQ(m_tree.FindByFeedUrl("http://127.0.0.1/delta.xml"),
              m_tree.FindByCaptionPath("Delta"));
    EXPECT_EQ(m_tree.Resolve("#3"), folder);
    EXPECT_EQ(m_tree.Resolve("/Delta"), m_tree.FindByCaptionPath("Delta"));
    EXPECT_EQ(m_tree.Resolve("http://127.0.0.1/epsilon.xml"), 6);
    EXPECT_EQ(m_tree.Resolve("#99"), kNoNode);
    EXPECT_EQ(m_tree.Resolve("新闻/nothing"), kNoNode);
    EXPECT_EQ(m_tree.Resolve(""), kNoNode);
}

TEST_F(ChannelTreeTest, SubtreeChannelsCoverEveryDepth) {
    LoadSample(false);
    const NodeId news = m_tree.FindByCaptionPath("新闻");
    EXPECT_EQ(m_tree.SubtreeChannels(news), (std::vector<NodeId>{1, 2, 4}));
    EXPECT_EQ(m_tree.SubtreeChannels(kNoNode), (std::vector<NodeId>{1, 2, 4, 5, 6}));
    EXPECT_EQ(m_tree.SubtreeChannels(5), (std::vector<NodeId>{5}));
    EXPECT_TRUE(m_tree.SubtreeFeedIds(news).empty());
    m_tree.ApplyBinding(2, 42, FeedSettings{});
    EXPECT_EQ(m_tree.SubtreeFeedIds(news), (std::vector<std::pair<NodeId, int>>{{2, 42}}));
}

TEST_F(ChannelTreeTest, MovesKeepHandlesAndRecountBothPlaces) {
    LoadSample(true);
    const NodeId news = m_tree.FindByCaptionPath("新闻");
    const NodeId beta = m_tree.FindByCaptionPath("新闻/Beta");
    ASSERT_TRUE(m_tree.MoveInto(beta, kNoNode));
    EXPECT_EQ(m_tree.Unread(news), 8);
    EXPECT_EQ(m_tree.PathOf(beta), (IndexPath{3}));
    const NodeId delta = m_tree.FindByCaptionPath("Delta");
    ASSERT_TRUE(m_tree.MoveBefore(delta, 1));
    EXPECT_EQ(m_tree.PathOf(delta), (IndexPath{0, 0}));
    EXPECT_EQ(m_tree.Unread(news), 10);
    // A node cannot go into its own subtree.
    EXPECT_FALSE(m_tree.MoveInto(news, 3));
    EXPECT_FALSE(m_tree.MoveBefore(news, news));
}

TEST_F(ChannelTreeTest, RemovedHandlesStayDeadAcrossReloads) {
    LoadSample(true);
    const NodeId news = m_tree.FindByCaptionPath("新闻");
    m_tree.SetCurrent(1);
    ASSERT_TRUE(m_tree.Remove(m_tree.FindByCaptionPath("新闻/技术\\/开发")));
    EXPECT_EQ(m_tree.Unread(news), 7);
    EXPECT_FALSE(m_tree.Exists(4));
    ASSERT_TRUE(m_tree.Remove(news));
    EXPECT_EQ(m_tree.Current(), kNoNode);
    m_tree.Clear();
    LoadSample(false);
    // The reloaded nodes get fresh handles: an old handle never reaches a new node.
    EXPECT_FALSE(m_tree.Exists(1));
    EXPECT_FALSE(m_tree.SetUnread(1, 5));
    EXPECT_EQ(m_tree.Walk().front(), 7);
}

TEST_F(ChannelTreeTest, OutlinesRoundTripThroughAnotherTree) {
    LoadSample(true);
    CChannelTree other;
    other.InsertOutlines(kNoNode, m_tree.ToOutlines(kNoNode), true);
    ASSERT_EQ(other.LiveCount(), m_tree.LiveCount());
    for (NodeId id : m_tree.Walk()) {
        const NodeId copy = other.FindByIndexPath(m_tree.PathOf(id));
        EXPECT_EQ(other.Node(copy)->caption, m_tree.Node(id)->caption);
        EXPECT_EQ(other.Node(copy)->feedUrl, m_tree.Node(id)->feedUrl);
        EXPECT_EQ(other.Unread(copy), m_tree.Unread(id));
    }
}

TEST_F(ChannelTreeTest, WorkersUpdateCountsWhileTheOwnerReads) {
    LoadSample(false);
    const std::vector<NodeId> channels = m_tree.SubtreeChannels(kNoNode);
    std::atomic<bool> stop = false;
    std::vector<std::thread> workers;
    for (int w = 0; w < 2; ++w) {
        workers.emplace_back([&, w] {
            for (int round = 1; round <= 500; ++round) {
                for (NodeId id : channels) {
                    m_tree.SetUnread(id, round);
                    m_tree.SetWeight(id, 1 + (round + w) % 5, round);
                }
            }
        });
    }
    std::thread reader([&] {
        while (!stop) {
            for (NodeId id : m_tree.Walk()) {
                (void)m_tree.PathCaption(id);
                (void)m_tree.Node(id);
            }
        }
    });
    for (std::thread& t : workers) {
        t.join();
    }
    stop = true;
    reader.join();
    EXPECT_EQ(m_tree.Unread(m_tree.FindByCaptionPath("新闻")), 1500);
}

TEST(UnreadBadge, ZeroDrawsNothing) {
    EXPECT_EQ(UnreadBadge(0), "");
    EXPECT_EQ(UnreadBadge(7), "[7]");
}

TEST(CaptionPath, EscapesSlashAndBackslash) {
    EXPECT_EQ(EscapeCaption("a/b\\c"), "a\\/b\\\\c");
    EXPECT_EQ(SplitCaptionPath("a\\/b\\\\c/d"), (std::vector<std::string>{"a/b\\c", "d"}));
    EXPECT_TRUE(SplitCaptionPath("").empty());
}

}  // namespace
}  // namespace zirvo
