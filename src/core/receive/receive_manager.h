#pragma once
// Owner of the receive workers of one channel tree: starts them, keeps track of them and joins
// them. The front end (main window, zirvo-cli) holds one CReceiveManager next to its tree; its
// commands map to:
//   StartReceive             "收取(&R)" on a channel or a double click (one worker per request;
//                            a second request for a channel still being received is started
//                            all the same)
//   StartFolderReceive       "收取(&R)" on a folder (force false), "收取[该目录所有频道](&G)"
//                            (force true); both settle a pending mark-read first
//   StartReceiveAll          "全部更新" and the type-1 timer: the whole tree, depth 1; marks the
//                            tree's folder-receive-running flag while it runs
//   StartWeightedReceiveAll  start-up and the type-0 timer: the whole tree with the weight gate;
//                            nothing while a folder receive or another weighted walk runs
//
// Shutdown: Shutdown() (also run by the destructor) raises the closing flag of the manager's
// worker set, which aborts every transfer in flight as the process-wide closing flag does, tells
// the observer (OnStopping), and joins every worker. The front end calls it after setting the
// closing flag and before destroying the windows the observer reports to.
//
// Fetching: unless the front end hands in a client of its own, every fetch of every worker goes
// through one multi engine (core/net/http_multi.h) with the manager's limits: at most
// ParallelFetches() in flight, at most FetchesPerHost() of them to one site, a busy site (429,
// 503) left alone for the pause it asks. Merges still happen in each walk's order.
//
// Failures: a worker whose body throws ends as a failure of its node (image 4 and a failed
// ChannelReceiveOutcome carrying the exception's text); a folder walk's running flag and the
// weighted walk's own flag come down however the worker ended.
//
// Threading: Start*, WaitIdle and Shutdown are called by the owning (window) thread; Running()
// by any thread. The workers run on threads of their own (see channel_receive.h and
// folder_walk.h for what they touch).

#include <atomic>
#include <memory>
#include <string>

#include "core/feeds/rss_store.h"
#include "core/net/http_multi.h"
#include "core/receive/channel_receive.h"
#include "core/receive/receive_observer.h"
#include "core/subscriptions/channel_tree.h"
#include "core/util/worker_set.h"

namespace zirvo {

// How many channels a folder walk fetches ahead by default: as many as are in flight.
inline constexpr int kDefaultParallelFetches = kDefaultFetchesInFlight;

class CReceiveManager {
public:
    // `tree` and `observer` must outlive the manager. `http` null: each fetch uses its own curl
    // client.
    CReceiveManager(CChannelTree& tree, IReceiveObserver& observer, std::string dataRoot,
                    IHttpClient* http = nullptr);
    CReceiveManager(const CReceiveManager&) = delete;
    CReceiveManager& operator=(const CReceiveManager&) = delete;
    ~CReceiveManager();

    // Channels fetched at once (at least 1; 1 = strictly one after another), by a folder walk
    // and by all workers together. Applies to receives started afterwards (the engine is
    // replaced once no worker runs).
    void SetParallelFetches(int count);
    // The most items read from one feed answer (0: the default).
    void SetMaxFeedItems(size_t count);
    int ParallelFetches() const { return m_parallelFetches; }
    // Of those, at most this many to one site (at least 1).
    void SetFetchesPerHost(int count);
    int FetchesPerHost() const { return m_fetchesPerHost; }

    // Binds the channel through `store` (the caller's long-lived store) and starts its worker.
    // False, and nothing started, when the node is not a channel or cannot be bound, or after
    // Shutdown.
    bool StartReceive(CRssStore& store, NodeId channel, bool refresh);
    // The walk over `folder` with its subtree (depth 0). The pending mark-read is settled first
    // through the observer, on this thread.
    bool StartFolderReceive(NodeId folder, bool force);
    // The whole tree without the weight gate (depth 1 from the first top-level node); "全部更新"
    // uses force false, so channels without automatic update are left out. `scheduled` (the
    // timer): channels whose site asked to be left alone for now are passed over.
    bool StartReceiveAll(bool force = false, bool scheduled = false);
    // The whole tree with the weight gate; refused while a folder receive (depth 1) or another
    // weighted walk runs. Settles the pending mark-read first. Always a scheduled walk (start-up
    // and timer): channels whose site asked to be left alone for now are passed over.
    bool StartWeightedReceiveAll();

    // Workers still running.
    size_t Running() const;
    // Joins every worker started so far (they run to their end).
    void WaitIdle();
    // Stops and joins everything; later starts are refused. Only the first call tells the
    // observer (OnStopping), so the observer may be gone by a later call.
    void Shutdown();

private:
    bool Launch(ReceiveRequest request, bool folder);
    // The end of every worker, however its body ended: the flags its start raised come down.
    void Finish(const ReceiveRequest& request);
    // A worker's body threw: the request's node failed (image 4, counted by the front end).
    void ReportFailure(const ReceiveContext& context, const ReceiveRequest& request, bool folder,
                       const std::string& what);

    CChannelTree& m_tree;
    IReceiveObserver& m_observer;
    std::string m_dataRoot;
    IHttpClient* m_http;
    std::atomic<bool> m_weightedRunning{false};
    int m_parallelFetches = kDefaultParallelFetches;
    int m_fetchesPerHost = kDefaultFetchesPerHost;
    // The shared engine when no client was handed in; replaced (under the owning thread) only
    // while no worker runs.
    std::unique_ptr<CHttpMulti> m_engine;
    size_t m_maxFeedItems = kDefaultMaxFeedItems;
    CWorkerSet m_workers;  // last: closed (joined) before the members above go
};

}  // namespace zirvo
