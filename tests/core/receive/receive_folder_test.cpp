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

// Channels whose sites answer slower the earlier they come in the walk; with `headSeconds` the
// first one takes that long instead.
class ParallelWalkTest : public FolderReceiveTest {
protected:
    std::vector<NodeId> SlowChannels(int count, double headSeconds = 0) {
        std::vector<NodeId> channels;
        for (int i = 0; i < count; ++i) {
            std::string path = "/p" + std::to_string(i) + ".xml";
            EXPECT_TRUE(Server().Put(path, FeedWith({"http://x/" + std::to_string(i) + "/a",
                                                     "http://x/" + std::to_string(i) + "/b"})));
            double seconds = i == 0 && headSeconds > 0 ? headSeconds : 0.1 * (count - i);
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
    std::vector<NodeId> channels = SlowChannels(6, 2.0);
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
    // While the first (slowest) site was still answering, the slots the faster ones freed went
    // to the rest of the walk: a fetch never waits for the merge of an earlier channel.
    EXPECT_EQ(requestsAtFirstMerge, 6u);
    EXPECT_LE(Server().InFlight().overall, 4);
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

// A slow first channel, then fast ones whose fetches are all in when it ends, so that they are
// stored together; channel `poisoned` lists a link the store refuses with `raise` (ABORT: that
// statement fails; ROLLBACK: SQLite drops the whole transaction).
class BatchedMergeTest : public ParallelWalkTest {
protected:
    std::vector<NodeId> Channels(int count, int poisoned, const std::string& raise) {
        EXPECT_TRUE(m_store->Execute(
            "CREATE TRIGGER poison BEFORE INSERT ON rss_data WHEN NEW.item_link LIKE '%/poison' "
            "BEGIN SELECT RAISE(" +
            raise + ", 'poisoned item'); END;"));
        std::vector<NodeId> channels;
        for (int i = 0; i < count; ++i) {
            const std::string path = "/batch" + std::to_string(i) + ".xml";
            const std::string base = "http://x/" + std::to_string(i);
            EXPECT_TRUE(
                Server().Put(path, FeedWith({base + "/a", base + "/b",
                                             i == poisoned ? base + "/poison" : base + "/c"})));
            channels.push_back(
                AddChannel("m" + std::to_string(i), i == 0 ? "/slow?s=0.5&to=" + path : path));
        }
        m_manager->SetParallelFetches(4);
        m_manager->SetFetchesPerHost(4);
        return channels;
    }

    // Every channel but `poisoned` holds its three items, in walk order of ids, and reported
    // its unread count; `poisoned` failed with the store's reason and holds nothing.
    void ExpectStoredExceptPoisoned(const std::vector<NodeId>& channels, size_t poisoned) {
        Strings expected;
        for (size_t i = 0; i < channels.size(); ++i) {
            expected.push_back(Done(channels[i], i != poisoned));
        }
        EXPECT_EQ(m_observer.EventsOf("done"), expected);
        int lastMaxId = 0;
        for (size_t i = 0; i < channels.size(); ++i) {
            std::vector<std::string> links = StoredLinks(channels[i]);
            if (i == poisoned) {
                EXPECT_TRUE(links.empty());
                EXPECT_EQ(ImageOf(channels[i]), kImageFailed);
                continue;
            }
            ASSERT_EQ(links.size(), 3u) << i;
            EXPECT_EQ(m_tree.Unread(channels[i]), 3);
            std::vector<RssItem> items;
            int total = 0;
            ASSERT_TRUE(
                m_store->ListItems(FeedIdOf(channels[i]), kAllItems, false, items, total, 10, 0));
            EXPECT_GT(items.back().id, lastMaxId);
            lastMaxId = items.front().id;
        }
        for (const ChannelReceiveOutcome& outcome : m_observer.Outcomes()) {
            if (outcome.node == channels[poisoned]) {
                EXPECT_NE(outcome.message.find("poisoned item"), std::string::npos)
                    << outcome.message;
            } else {
                EXPECT_EQ(outcome.unread, 3);
            }
        }
        // No staging row is left behind, whichever way a channel went.
        CppSQLite3Connection db;
        db.Open(m_store->Path());
        EXPECT_EQ(db.Prepared("SELECT COUNT(*) FROM rsstemp_data;").QueryInt(-1), 0);
    }
};

TEST_F(BatchedMergeTest, AChannelFailingInTheMiddleOfABatchFailsAlone) {
    std::vector<NodeId> channels = Channels(6, 3, "ABORT");
    ReceiveAll();
    ExpectStoredExceptPoisoned(channels, 3);
}

TEST_F(BatchedMergeTest, ABatchSqliteRolledBackIsStoredAgainChannelByChannel) {
    std::vector<NodeId> channels = Channels(6, 2, "ROLLBACK");
    ReceiveAll();
    ExpectStoredExceptPoisoned(channels, 2);
    // The fetch record of each channel is kept too: validators and the outcome.
    FeedFetchState state;
    ASSERT_TRUE(m_store->GetFetchState(FeedIdOf(channels[4]), state));
    EXPECT_TRUE(state.ok);
    ASSERT_TRUE(m_store->GetFetchState(FeedIdOf(channels[2]), state));
    EXPECT_FALSE(state.ok);
}

TEST_F(BatchedMergeTest, StoppingMidWalkKeepsEveryReportedChannelAndReportsNothingAfter) {
    std::vector<NodeId> channels = Channels(12, -1, "ABORT");
    m_observer.onDone = [&](const ChannelReceiveOutcome&) {
        if (m_observer.EventsOf("done").size() == 2) {
            SetClosing(true);
        }
    };
    ReceiveAll();
    // Reports stop with the flag; what was reported is in the store for good.
    const Strings done = m_observer.EventsOf("done");
    ASSERT_GE(done.size(), 2u);
    EXPECT_LT(done.size(), channels.size());
    for (size_t i = 0; i < channels.size(); ++i) {
        const std::vector<std::string> links = StoredLinks(channels[i]);
        if (i < done.size()) {
            EXPECT_EQ(links.size(), 3u) << i;
        }
        // A channel is stored whole or not at all.
        EXPECT_TRUE(links.empty() || links.size() == 3u) << i;
    }
    CppSQLite3Connection db;
    db.Open(m_store->Path());
    EXPECT_EQ(db.Prepared("SELECT COUNT(*) FROM rsstemp_data;").QueryInt(-1), 0);
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
