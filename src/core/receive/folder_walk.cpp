#include "core/receive/folder_walk.h"

#include <algorithm>
#include <ctime>
#include <optional>
#include <system_error>
#include <thread>

#include "core/receive/receive_schedule.h"
#include "core/receive/receive_settings_checks.h"
#include "core/subscriptions/channel_binding.h"

namespace zirvo {

struct CFolderWalk::Pending {
    NodeId node = kNoNode;
    std::string url;
    int levelUsed = 0;  // 0 without the weight mode
    FeedFetchState previous;
    std::thread fetcher;
    FetchedFeed fetched;
    std::string failure;  // an exception of the fetch thread
};

CFolderWalk::CFolderWalk(const ReceiveContext& context, CRssStore& store, bool weightMode,
                         bool force, bool scheduled)
    : m_context(context),
      m_store(store),
      m_weightMode(weightMode),
      m_force(force),
      m_scheduled(scheduled) {}

CFolderWalk::~CFolderWalk() {
    Finish();
}

NodeId CFolderWalk::NextSibling(NodeId node) const {
    std::vector<NodeId> siblings = m_context.tree->Children(m_context.tree->Parent(node));
    auto at = std::find(siblings.begin(), siblings.end(), node);
    if (at == siblings.end() || ++at == siblings.end()) {
        return kNoNode;
    }
    return *at;
}

void CFolderWalk::ReceiveSubtree(NodeId node, int depth) {
    CChannelTree& tree = *m_context.tree;
    while (node != kNoNode && tree.Exists(node) && !m_context.Stopping()) {
        // A channel can have nodes below it (an imported list may hang a subtree under one):
        // it is received itself, then its children are walked.
        std::optional<ChannelNode> shown = tree.Node(node);
        if (shown && shown->IsChannel()) {
            try {
                if (BindChannel(tree, node, m_store)) {
                    std::optional<ChannelNode> channel = tree.Node(node);
                    if (channel && (channel->settings.autoUpdate || m_force)) {
                        ReceiveChannelInline(node);
                    }
                }
            } catch (...) {
                // This channel failed; the walk goes on with the next one.
                FailChannel(m_context, node, DescribeCurrentException());
            }
        }
        std::vector<NodeId> children = tree.Children(node);
        if (!children.empty()) {
            ReceiveSubtree(children.front(), depth + 1);
        }
        if (depth == 0) {
            break;
        }
        node = NextSibling(node);
    }
}

void CFolderWalk::ReceiveChannelInline(NodeId node) {
    if (m_context.Stopping()) {
        return;
    }
    std::optional<ChannelNode> channel = m_context.tree->Node(node);
    if (!channel) {
        return;
    }
    auto pending = std::make_unique<Pending>();
    pending->node = node;
    pending->url = channel->feedUrl;
    // Without its record the fetch is only unconditional, never wrong.
    m_store.GetFetchState(channel->feedId, pending->previous);
    if (m_scheduled && pending->previous.notBefore > static_cast<long long>(std::time(nullptr))) {
        return;  // the site asked to be left alone until then; a manual receive still asks
    }
    if (m_weightMode) {
        WeightGateDecision gate =
            WeightGate(channel->settings.rssRank, channel->weightLevel, channel->weightCounter);
        if (!gate.receive) {
            m_context.tree->SetWeight(node, gate.level, gate.counter);
            return;
        }
        pending->levelUsed = gate.levelUsed;
    }
    SetReceiveImage(m_context, node, kImageFolderReceiving);
    int window = std::max(1, m_context.parallelFetches);
    if (window > 1) {
        Pending* slot = pending.get();
        try {
            slot->fetcher = std::thread([this, slot] {
                try {
                    slot->fetched = FetchChannel(m_context, slot->url, slot->previous);
                } catch (...) {
                    // Kept for the merge step, which reports it in walk order.
                    slot->failure = DescribeCurrentException();
                }
            });
        } catch (const std::system_error&) {
            // No thread to be had: the fetch happens on the walking thread when its turn comes.
        }
    }
    m_window.push_back(std::move(pending));
    if (m_window.size() >= static_cast<size_t>(window)) {
        CompleteOldest();
    }
}

void CFolderWalk::CompleteOldest() {
    std::unique_ptr<Pending> pending = std::move(m_window.front());
    m_window.pop_front();
    try {
        if (!m_context.Stopping()) {
            m_context.observer->OnStatusText(
                FormatReceiveStatus(m_context.tree->PathCaption(pending->node)));
        }
        const bool fetchedAhead = pending->fetcher.joinable();
        if (fetchedAhead) {
            pending->fetcher.join();
        }
        if (!pending->failure.empty()) {
            FailChannel(m_context, pending->node, pending->failure);
            return;
        }
        if (!fetchedAhead && !m_context.Stopping()) {
            pending->fetched = FetchChannel(m_context, pending->url, pending->previous);
        }
        FinishInlineReceive(m_context, pending->node, m_store, std::move(pending->fetched),
                            pending->levelUsed);
    } catch (...) {
        if (pending->fetcher.joinable()) {
            pending->fetcher.join();
        }
        FailChannel(m_context, pending->node, DescribeCurrentException());
    }
}

void CFolderWalk::Finish() {
    while (!m_window.empty()) {
        CompleteOldest();
    }
}

namespace {

// The walk's order without binding or receiving: every channel below `node` (and its later
// siblings unless `depth` is 0) fails with `error`.
void FailEveryChannel(const ReceiveContext& context, NodeId node, int depth,
                      const std::string& error) {
    CChannelTree& tree = *context.tree;
    while (node != kNoNode && tree.Exists(node) && !context.Stopping()) {
        if (std::optional<ChannelNode> channel = tree.Node(node);
            channel && !channel->feedUrl.empty()) {
            FailChannel(context, node, error);
        }
        std::vector<NodeId> children = tree.Children(node);
        if (!children.empty()) {
            FailEveryChannel(context, children.front(), depth + 1, error);
        }
        if (depth == 0) {
            break;
        }
        std::vector<NodeId> siblings = tree.Children(tree.Parent(node));
        auto at = std::find(siblings.begin(), siblings.end(), node);
        node = (at == siblings.end() || ++at == siblings.end()) ? kNoNode : *at;
    }
}

}  // namespace

int ReceiveFolderWorker(const ReceiveContext& context, ReceiveRequest request) {
    CRssStore store(context.dataRoot);
    if (context.Stopping()) {
        return 0;
    }
    if (!store.Open()) {
        // No channel can be merged: each one the walk would visit has failed, and says why.
        FailEveryChannel(context, request.node, request.depth,
                         "the feed database cannot be opened: " + store.GetLastError());
        return 0;
    }
    // The flag must fall again however the walk ends, or no timer would ever start a walk.
    struct RunningFlag {
        CChannelTree* tree = nullptr;
        ~RunningFlag() {
            if (tree != nullptr) {
                tree->SetFolderReceiveRunning(false);
            }
        }
    } running;
    if (request.setsRunningFlag) {
        context.tree->SetFolderReceiveRunning(true);
        running.tree = context.tree;
    }
    {
        CFolderWalk walk(context, store, request.weightMode, request.force, request.scheduled);
        walk.ReceiveSubtree(request.node, request.depth);
        walk.Finish();
    }
    if (!context.Stopping()) {
        context.observer->OnStatusText(std::string());
    }
    return 0;
}

}  // namespace zirvo
