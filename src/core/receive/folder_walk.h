#pragma once
// Receiving a folder, a subtree or the whole tree on one walking worker.
//
// The walk visits the tree in display order (depth first): ReceiveSubtree(X, depth) descends
// into X's first child with depth + 1 when X has children, else treats X as a channel: binds it
// to its feed_data row and receives it when its automatic update is on or the walk is forced
// (ReceiveChannelInline). With depth 0 it stops after X; otherwise it goes on with X's next
// sibling. So a folder given with depth 0 is walked with all its descendants but not its own
// siblings, and the first top-level node given with depth 1 covers the whole tree. A failure in
// one channel does not stop the walk; the closing or stop flag does.
//
// ReceiveChannelInline: with the weight mode the weight gate (receive_schedule.h) decides first,
// storing the counted-down weight when the channel waits (a scheduled walk first passes over a
// channel whose site asked to be left alone until later); then image 5, the status text with
// the channel's path, the fetch, the merge on the walker's store, the count, image 2 or 4, the
// notice, and with the weight mode the weight update.
//
// Fetching ahead: up to ReceiveContext::parallelFetches channels are fetched at once by as many
// fetch threads (twice as many when the HTTP engine itself keeps to that limit, so that the
// next requests wait in it while answers are read), which take the channels in walk order as
// the walk reaches them; the walk runs up to kWalkAheadFactor times that many channels ahead of
// the merge, so that a fetch slot never waits for the store. Merges, counts, status texts, notices
// and weight updates still happen one channel after another on the walking thread, in walk order:
// once the walk is as far ahead as it may go (or at its end), the channels whose fetches are in at
// the head of the walk are stored together in one transaction (at most kMaxChannelsPerCommit
// channels or about kMaxItemsPerCommit items) and reported once it is committed, so a crash loses
// nothing that was reported. When that transaction fails as a whole, its channels are stored again
// one at a time, each failing or succeeding on its own. With 1 the walk fetches strictly one
// channel at a time on its own thread. Binding and the weight gate run on the walking thread when
// a channel enters the window, so the store is only ever used by that thread.
//
// Threading: a CFolderWalk belongs to the walking worker; its fetch threads touch nothing but
// the result slots they take (and the tree's image through the locked accessor).

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/receive/channel_receive.h"

namespace zirvo {

inline constexpr int kWalkAheadFactor = 4;
inline constexpr size_t kMaxChannelsPerCommit = 32;
inline constexpr size_t kMaxItemsPerCommit = 2000;
// Items stored after which a walk waiting for the network copies the WAL journal into the file.
inline constexpr size_t kCheckpointAfterItems = 500;

// The body of a folder, subtree or all-channel receive: its own store, the walk from
// request.node with request.depth, force and weight mode, then the status text emptied. Sets
// the tree's folder-receive-running flag for its duration when request.setsRunningFlag.
// Returns 0.
int ReceiveFolderWorker(const ReceiveContext& context, ReceiveRequest request);

class CFolderWalk {
public:
    // `scheduled`: channels whose site asked to be left alone for now are passed over.
    CFolderWalk(const ReceiveContext& context, CRssStore& store, bool weightMode, bool force,
                bool scheduled = false);
    CFolderWalk(const CFolderWalk&) = delete;
    CFolderWalk& operator=(const CFolderWalk&) = delete;
    // Completes (or, when stopping, abandons) every channel still in the window.
    ~CFolderWalk();

    void ReceiveSubtree(NodeId node, int depth);
    void ReceiveChannelInline(NodeId node);
    // Completes every channel still in the window, in order. The walk reaches no channel after
    // it (one that it did would be fetched on the walking thread).
    void Finish();

private:
    struct Pending;

    // Stores and reports the channels at the head of the window whose fetches are in, waiting
    // for (or doing) the head's fetch while the window is full, or until it is empty (`all`).
    void CompleteReady(bool all);
    // The head's fetch is in: waits for its fetch thread, or fetches on this thread when no
    // fetch thread took it.
    void AwaitHead();
    // The head's fetch runs on a fetch thread (the walking thread would only wait for it).
    bool HeadFetchedElsewhere();
    void StoreBatch(std::vector<std::unique_ptr<Pending>>& batch);
    void StartFetcher();
    void FetchLoop();
    void StopFetchers();
    NodeId NextSibling(NodeId node) const;

    const ReceiveContext& m_context;
    CRssStore& m_store;
    bool m_weightMode;
    bool m_force;
    bool m_scheduled;
    size_t m_parallel;
    size_t m_fetchThreads;
    size_t m_ahead;
    size_t m_itemsSinceCheckpoint = 0;              // the walking thread's
    std::deque<std::unique_ptr<Pending>> m_window;  // walk order; the walking thread's
    std::mutex m_mutex;                             // guards what follows and Pending::state
    // Two conditions, so that a finished fetch wakes the walking thread alone and a queued
    // channel one idle fetch thread: one shared condition woke every fetch thread for each.
    std::condition_variable m_queued;
    std::condition_variable m_fetched;
    std::deque<Pending*> m_queue;  // waiting for a fetch thread
    size_t m_idleFetchers = 0;     // fetch threads waiting for m_queued
    bool m_closing = false;
    std::vector<std::thread> m_fetchers;
};

}  // namespace zirvo
