#include "core/receive/receive_manager.h"

#include <algorithm>
#include <optional>
#include <system_error>

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

bool CReceiveManager::Launch(ReceiveRequest request, bool folder) {
    if (m_stop) {
        return false;
    }
    ReapFinished();
    auto worker = std::make_unique<Worker>();
    worker->context.tree = &m_tree;
    worker->context.observer = &m_observer;
    worker->context.dataRoot = m_dataRoot;
    worker->context.http = m_http;
    worker->context.stop = &m_stop;
    worker->context.parallelFetches = m_parallelFetches;
    Worker* self = worker.get();
    bool weighted = request.weightMode;
    try {
        self->thread = std::thread([this, self, request = std::move(request), folder, weighted] {
            try {
                if (folder) {
                    ReceiveFolderWorker(self->context, request);
                } else {
                    ReceiveChannelWorker(self->context, request);
                }
            } catch (...) {
                // Out of memory inside a worker: the receive is lost, the program goes on.
            }
            if (weighted) {
                m_weightedRunning = false;
            }
            self->done = true;
        });
    } catch (const std::system_error&) {
        if (weighted) {
            m_weightedRunning = false;
        }
        return false;
    }
    std::lock_guard lock(m_mutex);
    m_workers.push_back(std::move(worker));
    return true;
}

void CReceiveManager::ReapFinished() {
    std::list<std::unique_ptr<Worker>> finished;
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_workers.begin(); it != m_workers.end();) {
            if ((*it)->done) {
                finished.push_back(std::move(*it));
                it = m_workers.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& worker : finished) {
        worker->thread.join();
    }
}

bool CReceiveManager::StartReceive(CRssStore& store, NodeId channel, int refresh) {
    if (m_stop || !BindChannel(m_tree, channel, store)) {
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

bool CReceiveManager::StartFolderReceive(NodeId folder, int force) {
    if (m_stop || !m_tree.Exists(folder)) {
        return false;
    }
    m_observer.FlushPendingMarkRead();
    ReceiveRequest request;
    request.node = folder;
    request.depth = 0;
    request.force = force;
    return Launch(std::move(request), true);
}

bool CReceiveManager::StartReceiveAll(int force) {
    std::vector<NodeId> top = m_tree.Children(kNoNode);
    if (m_stop || top.empty()) {
        return false;
    }
    ReceiveRequest request;
    request.node = top.front();
    request.depth = 1;
    request.force = force;
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
    if (m_stop || top.empty() || m_tree.FolderReceiveRunning() || m_weightedRunning) {
        return false;
    }
    m_observer.FlushPendingMarkRead();
    m_weightedRunning = true;
    ReceiveRequest request;
    request.node = top.front();
    request.depth = 1;
    request.weightMode = true;
    return Launch(std::move(request), true);
}

size_t CReceiveManager::Running() const {
    std::lock_guard lock(m_mutex);
    return static_cast<size_t>(std::count_if(m_workers.begin(), m_workers.end(),
                                             [](const auto& worker) { return !worker->done; }));
}

void CReceiveManager::WaitIdle() {
    std::list<std::unique_ptr<Worker>> workers;
    {
        std::lock_guard lock(m_mutex);
        workers.swap(m_workers);
    }
    for (auto& worker : workers) {
        worker->thread.join();
    }
}

void CReceiveManager::Shutdown() {
    // Only the first shutdown speaks to the observer: a front end may close its views (and
    // their observer) once the workers are joined, and a later Shutdown (the owner's Close,
    // the destructor) must not reach into them.
    if (!m_stop.exchange(true)) {
        m_observer.OnStopping();
    }
    WaitIdle();
}

}  // namespace zirvo
