#pragma once
// Shared set-up of the receive tests: a data root in a temporary folder with its feed store, a
// channel tree, the loopback feed site, a recording observer and a receive manager.

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "core/feeds/rss_store.h"
#include "core/receive/receive_manager.h"
#include "core/subscriptions/channel_tree.h"
#include "support/feed_server.h"
#include "support/temp_dir.h"

namespace zirvo::test {

// Every call as one line: "image N I", "unread N U", "notice N U", "refresh F", "status TEXT",
// "flush", "done N ok|fail", "stopping".
class CRecordingReceiveObserver : public IReceiveObserver {
public:
    void OnImageChanged(NodeId node, NodeImage image) override;
    void OnUnreadChanged(NodeId node, int unread) override;
    void OnNewItemNotice(NodeId node, int unread) override;
    void OnRefreshList(int feedId) override;
    void OnStatusText(const std::string& text) override;
    void FlushPendingMarkRead() override;
    void OnChannelDone(const ChannelReceiveOutcome& outcome) override;
    void OnStopping() override;

    std::vector<std::string> Events() const;
    // The events starting with `prefix`.
    std::vector<std::string> EventsOf(const std::string& prefix) const;
    std::vector<ChannelReceiveOutcome> Outcomes() const;
    void Clear();

    // Run inside OnChannelDone (on the worker), for tests that look at the world mid-walk.
    std::function<void(const ChannelReceiveOutcome&)> onDone;

private:
    void Add(std::string event);

    mutable std::mutex m_mutex;
    std::vector<std::string> m_events;
    std::vector<ChannelReceiveOutcome> m_outcomes;
};

class ReceiveTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    static CFeedServer& Server() { return *s_server; }

    // A channel under `parent` (kNoNode: top level) whose feed is the server's `path`.
    NodeId AddChannel(const std::string& caption, const std::string& path, NodeId parent = kNoNode);
    NodeId AddFolder(const std::string& caption, NodeId parent = kNoNode);
    // Writes the channel's settings to its feed_data row (created when missing); returns its id.
    int Configure(NodeId channel, const FeedSettings& settings);
    int FeedIdOf(NodeId channel);
    // Links of the channel's stored items, newest (highest id) first.
    std::vector<std::string> StoredLinks(NodeId channel);
    int ImageOf(NodeId node) const;
    // An RSS 2.0 document with the given item links (titles = links), in this order.
    static std::string FeedWith(const std::vector<std::string>& links);

    // Starts a single-channel receive through the UI store and waits for it.
    bool ReceiveOne(NodeId channel, int refresh = 0);

    TempDir m_root{"receive"};
    CChannelTree m_tree;
    CRecordingReceiveObserver m_observer;
    std::unique_ptr<CRssStore> m_store;  // the window's long-lived store
    std::unique_ptr<CReceiveManager> m_manager;

    static CFeedServer* s_server;
};

}  // namespace zirvo::test
