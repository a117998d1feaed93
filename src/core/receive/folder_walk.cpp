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
    enum class State { Queued, Fetching, Done };

    InlineReceive receive;  // levelUsed 0 without the weight mode
    std::string url;
    FeedFetchState previous;
    State state = State::Queued;  // under the walk's mutex
    std::string failure;          // an exception of the fetch or of the store step
};

CFolderWalk::CFolderWalk(const ReceiveContext& context, CRssStore& store, bool weightMode,
                         bool force, bool scheduled)
    : m_context(context),
      m_store(store),
      m_weightMode(weightMode),
      m_force(force),
      m_scheduled(scheduled),
      m_parallel(static_cast<size_t>(std::max(1, context.parallelFetches))),
      m_fetchThreads(m_parallel),
      m_ahead(m_parallel > 1 ? m_parallel * kWalkAheadFactor : 1) {
    // A fetch thread reads its answer after the transfer: with only as many threads as
    // transfers, a slot would stand idle while the feed is parsed. Where the engine itself
    // keeps to the limit, more threads keep the next requests waiting in it.
    const int engineLimit = context.http != nullptr ? context.http->InFlightLimit() : 0;
    if (m_parallel > 1 && engineLimit > 0 && static_cast<size_t>(engineLimit) <= m_parallel) {
        m_fetchThreads = m_parallel + static_cast<size_t>(engineLimit);
    }
}

CFolderWalk::~CFolderWalk() {
    try {
        Finish();
    } catch (...) {
        // Only waiting itself can fail here; the fetch threads are still joined below.
    }
    StopFetchers();
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
    pending->receive.node = node;
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
        pending->receive.levelUsed = gate.levelUsed;
    }
    SetReceiveImage(m_context, node, kImageFolderReceiving);
    Pending* slot = pending.get();
    m_window.push_back(std::move(pending));
    if (m_parallel > 1) {
        bool wake = false;
        {
            std::lock_guard lock(m_mutex);
            m_queue.push_back(slot);
            // With more queued, a fetch thread is already on its way and wakes the next one
            // itself: each wake-up here would take the core from the walk.
            wake = m_idleFetchers > 0 && m_queue.size() == 1;
        }
        if (wake) {
            m_queued.notify_one();
        }
        StartFetcher();
    }
    CompleteReady(false);
}

void CFolderWalk::StartFetcher() {
    if (m_fetchers.size() >= m_fetchThreads) {
        return;
    }
    try {
        m_fetchers.emplace_back([this] { FetchLoop(); });
    } catch (const std::system_error&) {
        // No thread to be had: the walking thread fetches what no fetch thread takes.
    }
}

void CFolderWalk::FetchLoop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        ++m_idleFetchers;
        m_queued.wait(lock, [this] { return m_closing || !m_queue.empty(); });
        --m_idleFetchers;
        if (m_queue.empty()) {
            return;
        }
        Pending* pending = m_queue.front();
        m_queue.pop_front();
        pending->state = Pending::State::Fetching;
        if (!m_queue.empty() && m_idleFetchers > 0) {
            m_queued.notify_one();
        }
        lock.unlock();
        if (!m_context.Stopping()) {
            try {
                pending->receive.fetched = FetchChannel(m_context, pending->url, pending->previous);
            } catch (...) {
                // Kept for the store step, which reports it in walk order.
                pending->failure = DescribeCurrentException();
            }
        }
        lock.lock();
        pending->state = Pending::State::Done;
        m_fetched.notify_one();
    }
}

void CFolderWalk::StopFetchers() {
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_queued.notify_all();
    for (std::thread& fetcher : m_fetchers) {
        fetcher.join();
    }
    m_fetchers.clear();
}

bool CFolderWalk::HeadFetchedElsewhere() {
    std::lock_guard lock(m_mutex);
    return !m_window.empty() && m_window.front()->state == Pending::State::Fetching;
}

void CFolderWalk::AwaitHead() {
    Pending& head = *m_window.front();
    std::unique_lock lock(m_mutex);
    if (head.state == Pending::State::Queued) {
        // No fetch thread has taken it (there is none, or none could start): fetched here.
        m_queue.erase(std::remove(m_queue.begin(), m_queue.end(), &head), m_queue.end());
        head.state = Pending::State::Fetching;
        lock.unlock();
        if (!m_context.Stopping()) {
            try {
                head.receive.fetched = FetchChannel(m_context, head.url, head.previous);
            } catch (...) {
                head.failure = DescribeCurrentException();
            }
        }
        lock.lock();
        head.state = Pending::State::Done;
        return;
    }
    m_fetched.wait(lock, [&head] { return head.state == Pending::State::Done; });
}

void CFolderWalk::CompleteReady(bool all) {
    while (!m_window.empty()) {
        // While the walk may still run ahead it does: every channel it reaches is one more
        // fetch under way, and answers that come in fast (304s) are stored in fewer, larger
        // transactions than one for each that is in.
        if (!all && m_window.size() < m_ahead) {
            return;
        }
        std::vector<std::unique_ptr<Pending>> batch;
        size_t items = 0;
        {
            std::lock_guard lock(m_mutex);
            while (!m_window.empty() && m_window.front()->state == Pending::State::Done &&
                   batch.size() < kMaxChannelsPerCommit &&
                   (batch.empty() || items < kMaxItemsPerCommit)) {
                items += m_window.front()->receive.fetched.items.size();
                batch.push_back(std::move(m_window.front()));
                m_window.pop_front();
            }
        }
        if (batch.empty()) {
            if (m_itemsSinceCheckpoint >= kCheckpointAfterItems && HeadFetchedElsewhere()) {
                // The wait for the network is time the journal's copy into the file would
                // otherwise take when the walk's store is closed, after the last answer.
                m_store.CheckpointWal();
                m_itemsSinceCheckpoint = 0;
            }
            AwaitHead();
            continue;
        }
        for (const std::unique_ptr<Pending>& pending : batch) {
            m_itemsSinceCheckpoint += pending->receive.fetched.items.size();
        }
        try {
            StoreBatch(batch);
        } catch (...) {
            const std::string failure = DescribeCurrentException();
            for (std::unique_ptr<Pending>& pending : batch) {
                if (pending->failure.empty()) {
                    pending->failure = failure;
                }
            }
        }
        // Reported only now: whatever a report says is committed.
        for (std::unique_ptr<Pending>& pending : batch) {
            try {
                if (!m_context.Stopping()) {
                    m_context.observer->OnStatusText(
                        FormatReceiveStatus(m_context.tree->PathCaption(pending->receive.node)));
                }
                if (!pending->failure.empty()) {
                    FailChannel(m_context, pending->receive.node, pending->failure);
                    continue;
                }
                ReportInlineReceive(m_context, pending->receive);
            } catch (...) {
                FailChannel(m_context, pending->receive.node, DescribeCurrentException());
            }
        }
    }
}

void CFolderWalk::StoreBatch(std::vector<std::unique_ptr<Pending>>& batch) {
    // Each channel on its own; an exception is its failure alone.
    auto storeOne = [this](Pending& pending) {
        if (!pending.failure.empty()) {
            return;
        }
        try {
            StoreInlineReceive(m_context, m_store, pending.receive);
        } catch (...) {
            pending.failure = DescribeCurrentException();
        }
    };
    std::vector<std::string> failures;
    for (const std::unique_ptr<Pending>& pending : batch) {
        failures.push_back(pending->failure);
    }
    if (batch.size() == 1 || !m_store.BeginGroup()) {
        for (std::unique_ptr<Pending>& pending : batch) {
            storeOne(*pending);
        }
        return;
    }
    bool intact = true;
    for (std::unique_ptr<Pending>& pending : batch) {
        storeOne(*pending);
        if (!m_store.GroupIntact()) {
            intact = false;
            break;
        }
    }
    if (intact && m_store.EndGroup()) {
        return;
    }
    m_store.AbandonGroup();
    // The transaction is lost: every channel of it is stored again on its own, as though
    // there had been no batch, so each one's outcome is its own.
    for (size_t i = 0; i < batch.size(); ++i) {
        batch[i]->failure = failures[i];
        storeOne(*batch[i]);
    }
}

void CFolderWalk::Finish() {
    // No channel comes after these: a fetch thread that finds nothing more to take ends now,
    // while the last answers are still coming in, rather than after the last one is stored.
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_queued.notify_all();
    CompleteReady(true);
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
