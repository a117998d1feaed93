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
// Fetching ahead: up to ReceiveContext::parallelFetches channels are fetched at once, each on a
// thread of its own, while merges, counts, status texts, notices and weight updates still happen
// one channel after another on the walking thread, in walk order. With 1 the walk fetches
// strictly one channel at a time on its own thread. Binding and the weight gate run on the
// walking thread when a channel enters the window, so the store is only ever used by that
// thread.
//
// Threading: a CFolderWalk belongs to the walking worker; its fetch threads touch nothing but
// their own result slot (and the tree's image through the locked accessor).

#include <deque>
#include <memory>

#include "core/receive/channel_receive.h"

namespace zirvo {

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
    // Completes every channel still in the window, in order.
    void Finish();

private:
    struct Pending;

    void CompleteOldest();
    NodeId NextSibling(NodeId node) const;

    const ReceiveContext& m_context;
    CRssStore& m_store;
    bool m_weightMode;
    bool m_force;
    bool m_scheduled;
    std::deque<std::unique_ptr<Pending>> m_window;
};

}  // namespace zirvo
