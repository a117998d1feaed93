#pragma once
// Receiving one channel: fetch its feed, merge the items into the feed store under the
// channel's storage policy, recount its unread items, and tell the tree model and the observer.
//
//   ReceiveChannelWorker   the body of a single-channel receive ("收取(&R)" on a channel, a
//                          double click): its own store, image 0 → 2 or 4, the pending
//                          mark-read flushed first, the list shown again when the channel is
//                          the tree's current node and the request asks for it.
//   the inline steps       used by the folder walk (folder_walk.h) on its own store: image 5 →
//                          2 or 4, and with the weight mode the weight update afterwards.
//
// Storage policy: the node's storage type and count, or the tree's global ones when the node's
// type is 0. A failure anywhere (fetch, answer, store) ends in image 4 with no message; the
// observer's OnChannelDone says why. An exception (out of memory, a failing thread start, a
// throwing observer) is the failure of the channel it happened in, reported the same way: it
// never leaves a worker and never passes for success.
//
// Conditional fetching: the validators of the channel's last stored answer go with the request
// (rssfetch_data, feed_fetch_state.h); a 304 merges nothing and changes no count, and ends as a
// success like any other receive. Every fetch's end is recorded for the channel: its time,
// outcome and message (DescribeReceive), the answer's validators once its items are stored,
// and the earliest time the site wants to be asked again, which only scheduled walks honour.
//
// Stopping: once the process-wide closing flag or the context's stop flag is set, transfers in
// flight abort, a fetched feed is no longer merged, and no observer call is made any more
// (the tree model is still updated: it is not the user interface).
//
// Threading: these functions run on a receive worker thread. They read and write the tree only
// through its locked accessors and reach the windows only through the observer.

#include <atomic>
#include <string>
#include <vector>

#include "core/feeds/feed_fetch_state.h"
#include "core/feeds/feed_fetcher.h"
#include "core/feeds/rss_store.h"
#include "core/net/http_client.h"
#include "core/receive/receive_observer.h"
#include "core/subscriptions/channel_tree.h"

namespace zirvo {

// What every receive worker shares. References must outlive the workers (CReceiveManager
// guarantees it by joining them).
struct ReceiveContext {
    CChannelTree* tree = nullptr;
    IReceiveObserver* observer = nullptr;
    std::string dataRoot;                        // the store is dataRoot + "/Storage/rss.db"
    IHttpClient* http = nullptr;                 // null: each fetch uses its own curl client
    const std::atomic<bool>* stop = nullptr;     // besides the process-wide closing flag
    int parallelFetches = 4;                     // folder walks: channels fetched at once
    size_t maxFeedItems = kDefaultMaxFeedItems;  // the most items read from one answer

    // The closing flag or the stop flag is set.
    bool Stopping() const;
};

// One request for a worker; a copy belongs to the worker.
struct ReceiveRequest {
    NodeId node = kNoNode;    // the channel; for a folder walk the node the walk starts at
    std::string url;          // the channel's feed URL (single-channel receive)
    bool refresh = false;     // show the list again when the channel is the current node
    int channelId = 0;        // the channel's feed_id (single-channel receive)
    int depth = 0;            // folder walk: 0 = the node with its subtree; 1 = also its siblings
    bool force = false;       // folder walk: channels without automatic update as well
    bool weightMode = false;  // folder walk: the weight gate decides per channel
    bool setsRunningFlag = false;  // folder walk: marks the tree's folder-receive-running flag
    // Folder walk started by a schedule (start-up, timer): channels whose site asked to be left
    // alone until later (fetch_notbefore) are not fetched this time.
    bool scheduled = false;
};

// The body of a single-channel receive. Returns 0.
int ReceiveChannelWorker(const ReceiveContext& context, ReceiveRequest request);

// The result of fetching one channel, as the inline steps take it.
struct FetchedFeed {
    bool ok = false;
    FeedFetchResult result;
    std::vector<RssItem> items;
    FeedFetchState previous;  // the channel's record before this fetch
};

// The fetch step, on any thread: conditional when `previous` holds validators.
FetchedFeed FetchChannel(const ReceiveContext& context, const std::string& url,
                         const FeedFetchState& previous = {});

// The message recorded for a receive: why it failed, or how it went.
std::string DescribeReceive(const ChannelReceiveOutcome& outcome, const FeedFetchResult& result);

// The record of a fetch that ended at `now`, from the one before it: validators change only
// when the answer's items were stored (`stored`) or a 304 brought new ones.
FeedFetchState NextFetchState(const FeedFetchState& before, const FeedFetchResult& result, bool ok,
                              bool stored, const std::string& message, long long now);

// The inline receive of a folder walk after the fetch: merge on `store`, count, report, and
// with `levelUsed` > 0 (weight mode) the weight update. The node's image was set to 5 and the
// status text shown by the caller.
void FinishInlineReceive(const ReceiveContext& context, NodeId node, CRssStore& store,
                         FetchedFeed fetched, int levelUsed);

// FinishInlineReceive in two steps, so that a walk can store several channels in one
// transaction and tell about them only once it is committed.
struct InlineReceive {
    NodeId node = kNoNode;
    FetchedFeed fetched;
    int levelUsed = 0;
    // Filled by StoreInlineReceive.
    ChannelReceiveOutcome outcome;
    int newCount = -1;  // weight mode: the channel's new items after the merge; -1 unknown
};
// The store's part: the merge, the counts and the record of the fetch, on `store` alone (no
// tree change, no observer call). May run again for the same receive when its transaction was
// lost: it starts afresh from `fetched` each time.
void StoreInlineReceive(const ReceiveContext& context, CRssStore& store, InlineReceive& receive);
// The rest, once what StoreInlineReceive wrote is committed: the tree's count, image, notice,
// weight and the observer's report.
void ReportInlineReceive(const ReceiveContext& context, const InlineReceive& receive);

// Sets the node's image in the tree and, unless stopping, tells the observer.
void SetReceiveImage(const ReceiveContext& context, NodeId node, NodeImage image);

// Inside a catch block: the current exception as a readable cause.
std::string DescribeCurrentException();

// Ends the receive of `node` as failed (after an exception, or with no store to merge into):
// image 4 and OnChannelDone with `error`. Never throws; what fails in here is dropped.
void FailChannel(const ReceiveContext& context, NodeId node, const std::string& error) noexcept;

}  // namespace zirvo
