#include "core/receive/receive_manager.h"

#include <algorithm>
#include <optional>

#include "core/receive/folder_walk.h"
#include "core/subscriptions/channel_binding.h"

namespace zirvo {

CReceiveManager::CReceiveManager(CChannelTree& tree, IReceiveObserver& observer,
                                 std::string dataRoot, IHttpClient* http)
    : m_tree(tree), m_observer(observer), m_dataRoot(std::move(dataRoot)), m_http(http) {}

CReceiveManager::~CReceiveManager() {
    Shutdown();
}

void CReceiveManager::SetParallelFetches(int count) {
    m_parallelFetches = std::max(1, count);
}

void CReceiveManager::SetFetchesPerHost(int count) {
    m_fetchesPerHost = std::max(1, count);
}

void CReceiveManager::SetMaxFeedItems(size_t count) {
    m_maxFeedItems = count == 0 ? kDefaultMaxFeedItems : count;
}

bool CReceiveManager::Launch(ReceiveRequest request, bool folder) {
    ReceiveContext context;
    context.tree = &m_tree;
    context.observer = &m_observer;
    context.dataRoot = m_dataRoot;
    if (m_http == nullptr) {
        const HttpMultiLimits limits{m_parallelFetches, m_fetchesPerHost};
        if (!m_engine || ((m_engine->Limits().inFlight != limits.inFlight ||
                           m_engine->Limits().perHost != limits.perHost) &&
                          m_workers.Running() == 0)) {
            m_engine.reset();
            m_engine = std::make_unique<CHttpMulti>(limits);
        }
    }
    context.http = m_http != nullptr ? m_http : m_engine.get();
    context.stop = m_workers.StopFlag();
    context.parallelFetches = m_parallelFetches;
    context.maxFeedItems = m_maxFeedItems;
    auto body = [this, context, request, folder] {
        if (folder) {
            ReceiveFolderWorker(context, request);
        } else {
            ReceiveChannelWorker(context, request);
        }
        Finish(request);
    };
    auto failed = [this, context, request, folder](const std::string& what) {
        ReportFailure(context, request, folder, what);
        Finish(request);
    };
    return m_workers.Start(std::move(body), std::move(failed));
}

void CReceiveManager::Finish(const ReceiveRequest& request) {
    if (request.weightMode) {
        m_weightedRunning = false;
    }
    if (request.setsRunningFlag) {
        // The walk lowers it when it gets that far; a walk that could not open the store or
        // threw must not leave the tree marked busy, or no weighted receive would start again.
        m_tree.SetFolderReceiveRunning(false);
    }
}

void CReceiveManager::ReportFailure(const ReceiveContext& context, const ReceiveRequest& request,
                                    bool folder, const std::string& what) {
    ChannelReceiveOutcome outcome;
    outcome.node = request.node;
    outcome.feedId = request.channelId;
    outcome.error = "the receive failed: " + what;
    if (m_tree.Node(request.node)) {
        SetReceiveImage(context, request.node, kImageFailed);
    }
    if (!context.Stopping()) {
        m_observer.OnChannelDone(outcome);
        if (folder) {
            m_observer.OnStatusText(std::string());  // the walk's "正在更新" text ends here
        }
    }
}

bool CReceiveManager::StartReceive(CRssStore& store, NodeId channel, bool refresh) {
    if (m_workers.Closing() || !BindChannel(m_tree, channel, store)) {
        return false;
    }
    std::optional<ChannelNode> node = m_tree.Node(channel);
    if (!node) {
        return false;
    }
    ReceiveRequest request;
    request.node = channel;
    request.url = node->feedUrl;
    request.refresh = refresh;
    request.channelId = node->feedId;
    return Launch(std::move(request), false);
}

bool CReceiveManager::StartFolderReceive(NodeId folder, bool force) {
    if (m_workers.Closing() || !m_tree.Exists(folder)) {
        return false;
    }
    m_observer.FlushPendingMarkRead();
    ReceiveRequest request;
    request.node = folder;
    request.depth = 0;
    request.force = force;
    return Launch(std::move(request), true);
}

bool CReceiveManager::StartReceiveAll(bool force, bool scheduled) {
    std::vector<NodeId> top = m_tree.Children(kNoNode);
    if (m_workers.Closing() || top.empty()) {
        return false;
    }
    ReceiveRequest request;
    request.node = top.front();
    request.depth = 1;
    request.force = force;
    request.scheduled = scheduled;
    request.setsRunningFlag = true;
    // Marked here as well as by the worker, so that a timer tick right after this start already
    // sees the walk running.
    m_tree.SetFolderReceiveRunning(true);
    if (!Launch(std::move(request), true)) {
        m_tree.SetFolderReceiveRunning(false);
        return false;
    }
    return true;
}

bool CReceiveManager::StartWeightedReceiveAll() {
    std::vector<NodeId> top = m_tree.Children(kNoNode);
    // NOTE: a weighted walk does not mark the tree's running flag, so it is also kept from
    // overlapping itself here: a slow walk must not have a second one receive the same channels
    // and race on their weight state.
    if (m_workers.Closing() || top.empty() || m_tree.FolderReceiveRunning() || m_weightedRunning) {
        return false;
    }
    m_observer.FlushPendingMarkRead();
    m_weightedRunning = true;
    ReceiveRequest request;
    request.node = top.front();
    request.depth = 1;
    request.weightMode = true;
    request.scheduled = true;
    if (!Launch(std::move(request), true)) {
        m_weightedRunning = false;
        return false;
    }
    return true;
}

size_t CReceiveManager::Running() const {
    return m_workers.Running();
}

void CReceiveManager::WaitIdle() {
    m_workers.WaitAll();
}

void CReceiveManager::Shutdown() {
    // Only the first shutdown speaks to the observer: a front end may close its views (and
    // their observer) once the workers are joined, and a later Shutdown (the owner's Close,
    // the destructor) must not reach into them.
    const bool first = !m_workers.Closing();
    m_workers.BeginClose();
    if (first) {
        m_observer.OnStopping();
    }
    m_workers.Close();
}

}  // namespace zirvo
