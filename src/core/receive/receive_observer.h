#pragma once
// What a receive tells the user interface. Every effect of a receive worker on the windows goes
// through this one interface, which the GUI (marshalling each call to the window thread) and
// zirvo-cli (printing) implement and tests record. Only values cross: node handles, ids, counts
// and texts; the tree model itself (CChannelTree) has already been updated when a call arrives.
//
// Threading: calls come from receive worker threads, except FlushPendingMarkRead, which a folder
// receive started with `flushFirst` makes on the thread that starts it (the window thread). A GUI
// implementation may block the worker until the window thread has handled a call, as the worker
// expects of a synchronous window message; but once OnStopping has been called (from the thread
// that shuts the receives down, which then joins the workers) it must no longer wait for the
// window thread, or the join would never end. No call is made after the workers have seen the
// stop; a call already under way when the stop comes may still arrive.

#include <string>

#include "core/feeds/feed_fetcher.h"
#include "core/subscriptions/channel_node.h"

namespace zirvo {

// How one channel's receive ended, for front ends that list the outcome of each channel.
struct ChannelReceiveOutcome {
    NodeId node = kNoNode;
    int feedId = 0;
    bool ok = false;
    FeedFailure fetchFailure = FeedFailure::None;  // None with ok false: the store failed
    std::string error;                             // readable cause when not ok
    int itemsInFeed = 0;                           // items read from the answer
    int unread = 0;                                // the channel's unread count afterwards
    bool notModified = false;                      // a 304: nothing new to read
    std::string message;  // what the channel's record keeps (DescribeReceive)
};

class IReceiveObserver {
public:
    virtual ~IReceiveObserver() = default;

    // The node's receive image changed: kImageReceiving (0) while a single-channel receive runs,
    // kImageFolderReceiving (5) while a folder walk works on it, kImageReceived (2) after
    // success, kImageFailed (4) after failure.
    virtual void OnImageChanged(NodeId node, NodeImage image) = 0;
    // The channel's unread count was stored in the tree (under the node lock) and the counts of
    // its folders recomputed: repaint them.
    virtual void OnUnreadChanged(NodeId node, int unread) = 0;
    // New-item notice (message 2169): the channel asks for notices and has `unread` > 0 unread
    // items after the receive. The notice text is FormatNewItemNotice(caption, unread).
    virtual void OnNewItemNotice(NodeId node, int unread) = 0;
    // Show channel `feedId`'s article list again (message 2170): it was received on request and
    // is the tree's current node.
    virtual void OnRefreshList(int feedId) = 0;
    // Status text of a folder walk (message 2172): the text for pane 0, " 正在更新: " + path +
    // " . . .", or the empty text when the walk has ended.
    virtual void OnStatusText(const std::string& text) = 0;
    // Settle a pending mark-as-read of the article list before counts are read (the list's
    // flush operation). Blocks until done.
    virtual void FlushPendingMarkRead() = 0;

    // Outcome of each channel that was fetched (after the calls above). Optional.
    virtual void OnChannelDone(const ChannelReceiveOutcome& outcome) { (void)outcome; }
    // The receives are being shut down; see the threading note above. Optional.
    virtual void OnStopping() {}
};

// An observer that ignores everything (a receive nobody watches).
class CNullReceiveObserver : public IReceiveObserver {
public:
    void OnImageChanged(NodeId, NodeImage) override {}
    void OnUnreadChanged(NodeId, int) override {}
    void OnNewItemNotice(NodeId, int) override {}
    void OnRefreshList(int) override {}
    void OnStatusText(const std::string&) override {}
    void FlushPendingMarkRead() override {}
};

}  // namespace zirvo
