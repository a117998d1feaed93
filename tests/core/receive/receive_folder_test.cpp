// Folder walks end to end: order, depth and force, the status line, the fetch-ahead window,
// the weight gate on a real store, and stopping.

#include <thread>

#include "core/receive/receive_settings_checks.h"
#include "core/util/closing_flag.h"
#include "receive_fixture.h"

namespace zirvo::test {
namespace {

using Strings = std::vector<std::string>;

std::string Done(NodeId node, bool ok = true) {
    return "done " + std::to_string(node) + (ok ? " ok" : " fail");
}

class FolderReceiveTest : public ReceiveTest {
protected:
    // Top level: A{a1, B{b1}, a2}, c, D{} — display order a1, b1, a2, c.
    void BuildTree() {
        m_a = AddFolder("A");
        m_a1 = AddChannel("a1", "/corpus/heraldsun.rss", m_a);
        m_b = AddFolder("B", m_a);
        m_b1 = AddChannel("b1", "/corpus/narro.rss", m_b);
        m_a2 = AddChannel("a2", "/corpus/instant-article.rss", m_a);
        m_c = AddChannel("c", "/corpus/pagination-links.rss");
        m_d = AddFolder("D");
    }

    void ReceiveAll() {
        ASSERT_TRUE(m_manager->StartReceiveAll());
        m_manager->WaitIdle();
    }

    NodeId m_a = kNoNode, m_a1 = kNoNode, m_b = kNoNode, m_b1 = kNoNode, m_a2 = kNoNode,
           m_c = kNoNode, m_d = kNoNode;
};

TEST_F(FolderReceiveTest, ReceiveAllWalksTheTreeInDisplayOrder) {
    BuildTree();
    ReceiveAll();
    EXPECT_EQ(m_observer.EventsOf("done"),
              (Strings{Done(m_a1), Done(m_b1), Done(m_a2), Done(m_c)}));
    EXPECT_EQ(m_observer.EventsOf("status"),
              (Strings{"status " + FormatReceiveStatus("A → a1"),
                       "status " + FormatReceiveStatus("A → B → b1"),
                       "status " + FormatReceiveStatus("A → a2"),
                       "status " + FormatReceiveStatus("c"), "status "}));
    EXPECT_EQ(m_tree.Unread(m_a), 2 + 1 + 1);
    EXPECT_EQ(m_tree.Unread(m_b), 1);
    for (NodeId channel : {m_a1, m_b1, m_a2, m_c}) {
        EXPECT_EQ(ImageOf(channel), kImageReceived);
    }
    // The walk sets image 5 on each channel before its result.
    std::string a1 = std::to_string(m_a1);
    Strings images = m_observer.EventsOf("image " + a1);
    EXPECT_EQ(images, (Strings{"image " + a1 + " 5", "image " + a1 + " 2"}));
    EXPECT_FALSE(m_tree.FolderReceiveRunning());
}

TEST_F(FolderReceiveTest, FolderWalkCoversItsSubtreeButNotItsSiblings) {
    BuildTree();
    ASSERT_TRUE(m_manager->StartFolderReceive(m_a, 0));
    m_manager->WaitIdle();
    EXPECT_EQ(m_observer.Events().front(), "flush");
    EXPECT_EQ(m_observer.EventsOf("done"), (Strings{Done(m_a1), Done(m_b1), Done(m_a2)}));
    EXPECT_TRUE(StoredLinks(m_c).empty());
}

TEST_F(FolderReceiveTest, ChannelsWithoutAutomaticUpdateNeedTheForceFlag) {
    BuildTree();
    FeedSettings manual;
    manual.autoUpdate = 0;
    Configure(m_b1, manual);
    ASSERT_TRUE(m_manager->StartFolderReceive(m_a, 0));
    m_manager->WaitIdle();
    EXPECT_EQ(m_observer.EventsOf("done"), (Strings{Done(m_a1), Done(m_a2)}));

    m_observer.Clear();
    ASSERT_TRUE(m_manager->StartFolderReceive(m_a, 1));
    m_manager->WaitIdle();
    EXPECT_EQ(m_observer.EventsOf("done"), (Strings{Done(m_a1), Done(m_b1), Done(m_a2)}));
}

TEST_F(FolderReceiveTest, AFailingChannelDoesNotStopTheWalk) {
    BuildTree();
    NodeId broken = AddChannel("broken", "/status/500", m_b);
    ReceiveAll();
    EXPECT_EQ(m_observer.EventsOf("done"),
              (Strings{Done(m_a1), Done(m_b1), Done(broken, false), Done(m_a2), Done(m_c)}));
    EXPECT_EQ(ImageOf(broken), kImageFailed);
}

TEST_F(FolderReceiveTest, ReceiveAllMarksTheRunningFlagAndKeepsWeightedWalksOut) {
    BuildTree();
    bool sawFlag = false;
    m_observer.onDone = [&](const ChannelReceiveOutcome&) {
        sawFlag = sawFlag || m_tree.FolderReceiveRunning();
    };
    ASSERT_TRUE(m_manager->StartReceiveAll());
    EXPECT_FALSE(m_manager->StartWeightedReceiveAll());
    m_manager->WaitIdle();
    EXPECT_TRUE(sawFlag);
    EXPECT_FALSE(m_tree.FolderReceiveRunning());
    EXPECT_TRUE(m_manager->StartWeightedReceiveAll());
    m_manager->WaitIdle();
}

// Channels whose sites answer slower the earlier they come in the walk.
class ParallelWalkTest : public FolderReceiveTest {
protected:
    std::vector<NodeId> SlowChannels(int count) {
        std::vector<NodeId> channels;
        for (int i = 0; i < count; ++i) {
            std::string path = "/p" + std::to_string(i) + ".xml";
            EXPECT_TRUE(Server().Put(path, FeedWith({"http://x/" + std::to_string(i) + "/a",
                                                     "http://x/" + std::to_string(i) + "/b"})));
            double seconds = 0.1 * (count - i);
            channels.push_back(AddChannel("p" + std::to_string(i),
                                          "/slow?s=" + std::to_string(seconds) + "&to=" + path));
        }
        return channels;
    }
};

TEST_F(ParallelWalkTest, FetchingAheadKeepsTheOrderOfMergesAndReports) {
    // Every channel is on the one loopback site: the per-host limit must not be what limits.
    m_manager->SetParallelFetches(4);
    m_manager->SetFetchesPerHost(4);
    std::vector<NodeId> channels = SlowChannels(6);
    size_t requestsAtFirstMerge = 0;
    m_observer.onDone = [&](const ChannelReceiveOutcome&) {
        if (requestsAtFirstMerge == 0) {
            requestsAtFirstMerge = Server().RequestsFor("/slow").size();
        }
    };
    ReceiveAll();
    Strings expected;
    for (NodeId channel : channels) {
        expected.push_back(Done(channel));
    }
    EXPECT_EQ(m_observer.EventsOf("done"), expected);
    // While the first (slowest) site was still answering, the next three were asked already.
    EXPECT_EQ(requestsAtFirstMerge, 4u);
    // Merges ran in walk order: every item of an earlier channel has a lower id.
    int lastMaxId = 0;
    for (NodeId channel : channels) {
        std::vector<RssItem> items;
        int total = 0;
        ASSERT_TRUE(m_store->ListItems(FeedIdOf(channel), kAllItems, false, items, total, 10, 0));
        ASSERT_EQ(items.size(), 2u);
        EXPECT_GT(items.back().id, lastMaxId);
        lastMaxId = items.front().id;
    }
}

TEST_F(ParallelWalkTest, OneFetchAtATimeWhenParallelIsOne) {
    m_manager->SetParallelFetches(1);
    std::vector<NodeId> channels = SlowChannels(3);
    Strings requestsAtEachMerge;
    m_observer.onDone = [&](const ChannelReceiveOutcome&) {
        requestsAtEachMerge.push_back(std::to_string(Server().RequestsFor("/slow").size()));
    };
    ReceiveAll();
    EXPECT_EQ(requestsAtEachMerge, (Strings{"1", "2", "3"}));
}

TEST_F(ParallelWalkTest, ShutdownAbortsEveryFetchInTheWindow) {
    m_manager->SetParallelFetches(3);
    m_manager->SetFetchesPerHost(3);
    NodeId s1 = AddChannel("s1", "/stall");
    NodeId s2 = AddChannel("s2", "/stall");
    NodeId s3 = AddChannel("s3", "/stall");
    ASSERT_TRUE(m_manager->StartReceiveAll());
    while (Server().RequestsFor("/stall").size() < 3) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    m_manager->Shutdown();
    EXPECT_EQ(m_observer.Events().back(), "stopping");
    EXPECT_TRUE(m_observer.EventsOf("done").empty());
    for (NodeId channel : {s1, s2, s3}) {
        EXPECT_EQ(ImageOf(channel), kImageFailed);
    }
}

TEST_F(ParallelWalkTest, ShutdownAlsoEndsFetchesWaitingForTheirSite) {
    m_manager->SetParallelFetches(3);
    m_manager->SetFetchesPerHost(1);
    std::vector<NodeId> channels = {AddChannel("w1", "/stall"), AddChannel("w2", "/stall"),
                                    AddChannel("w3", "/stall")};
    ASSERT_TRUE(m_manager->StartReceiveAll());
    while (Server().RequestsFor("/stall").empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    m_manager->Shutdown();
    // One site, one fetch at a time: the other two never went out, and nothing waits for them.
    EXPECT_EQ(Server().RequestsFor("/stall").size(), 1u);
    for (NodeId channel : channels) {
        EXPECT_EQ(ImageOf(channel), kImageFailed);
    }
}

// The weight gate and update on real receives.
TEST_F(FolderReceiveTest, QuietChannelCoolsDownAndIsThenReceivedLessOften) {
    NodeId quiet = AddChannel("quiet", "/corpus/heraldsun.rss");
    auto weighted = [&] {
        ASSERT_TRUE(m_manager->StartWeightedReceiveAll());
        m_manager->WaitIdle();
    };
    weighted();  // level 1: received; its items are new, so it stays at level 1
    EXPECT_EQ(m_tree.Node(quiet)->weightLevel, 1);
    EXPECT_EQ(m_tree.Node(quiet)->weightCounter, 10);
    ASSERT_TRUE(m_store->SetFeedRead(FeedIdOf(quiet), 1));  // nothing new any more

    weighted();  // level 1: received, no new items → level 2
    EXPECT_EQ(m_tree.Node(quiet)->weightLevel, 2);
    EXPECT_EQ(m_tree.Node(quiet)->weightCounter, 20);
    weighted();  // level 2: 20 - 10 = 10 → received → level 3
    weighted();  // level 3: 30 - 10 = 20 → received → level 4, counter 60
    EXPECT_EQ(m_tree.Node(quiet)->weightLevel, 4);
    EXPECT_EQ(m_tree.Node(quiet)->weightCounter, 60);
    EXPECT_EQ(Server().Requests().size(), 4u);
    weighted();  // 50: waits
    weighted();  // 40: waits
    EXPECT_EQ(m_tree.Node(quiet)->weightCounter, 40);
    EXPECT_EQ(Server().Requests().size(), 4u);
    weighted();  // 30: received → level 5, counter 120
    EXPECT_EQ(Server().Requests().size(), 5u);
    EXPECT_EQ(m_tree.Node(quiet)->weightLevel, 5);
    EXPECT_EQ(m_tree.Node(quiet)->weightCounter, 120);
}

TEST_F(FolderReceiveTest, AlwaysReceivedChannelIgnoresItsLevel) {
    NodeId always = AddChannel("always", "/corpus/heraldsun.rss");
    FeedSettings settings;
    settings.rssRank = 5;
    Configure(always, settings);
    m_tree.SetWeight(always, 5, 120);
    ASSERT_TRUE(m_manager->StartWeightedReceiveAll());
    m_manager->WaitIdle();
    EXPECT_EQ(m_observer.EventsOf("done"), (Strings{Done(always)}));
}

TEST_F(FolderReceiveTest, WeightedWalkSkipsAWaitingChannelWithoutTouchingIt) {
    NodeId cold = AddChannel("cold", "/corpus/heraldsun.rss");
    m_tree.SetWeight(cold, 5, 120);
    ASSERT_TRUE(m_manager->StartWeightedReceiveAll());
    m_manager->WaitIdle();
    EXPECT_TRUE(m_observer.EventsOf("done").empty());
    EXPECT_TRUE(m_observer.EventsOf("image").empty());
    EXPECT_EQ(m_tree.Node(cold)->weightCounter, 110);
    EXPECT_TRUE(Server().Requests().empty());
}

TEST_F(FolderReceiveTest, AChannelWithNodesBelowItIsReceivedBeforeThem) {
    // An imported list can hang a subtree under a channel: p{q, E{e1}}.
    const NodeId p = AddChannel("p", "/corpus/heraldsun.rss");
    const NodeId q = AddChannel("q", "/corpus/narro.rss", p);
    const NodeId e = AddFolder("E", p);
    const NodeId e1 = AddChannel("e1", "/corpus/instant-article.rss", e);
    ASSERT_NE(e1, kNoNode);
    ReceiveAll();
    EXPECT_EQ(m_observer.EventsOf("done"), (Strings{Done(p), Done(q), Done(e1)}));
    for (NodeId channel : {p, q, e1}) {
        EXPECT_EQ(ImageOf(channel), kImageReceived);
        EXPECT_FALSE(StoredLinks(channel).empty());
    }
}

}  // namespace
}  // namespace zirvo::test
