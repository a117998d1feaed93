#pragma once
// The feed reader as one object a front end opens on a data root: the subscription tree of
// Storage/rssreader.opml with its settings (config/appConfig.xml, /app/rss/...), the editor that
// changes file and store together, the feed store Storage/rss.db, the unread counts, the article
// list's pages, read marks, and the receive workers. The main window and zirvo-cli each hold one;
// everything a front end would otherwise repeat (binding-free look-ups, paging arithmetic,
// count propagation after a read mark) lives here.
//
// Naming a node from text (Resolve), tried in this order:
//   "/" (or the empty text)  the top level, where a folder is wanted;
//   "#ID"                    the channel whose feed-store row has feed_id ID;
//   a caption path           captions joined by "/", a "/" inside a caption written "\/";
//   a feed URL               the first channel with that address;
//   a last path component    the caption of exactly one node anywhere in the tree.
//
// Read-only use leaves the store as it was: look-ups go through CRssStore's Find* methods, which
// never add a feed_data row (binding would).
//
// Threading. The session belongs to the thread that opened it (the window thread; zirvo-cli's
// main thread): every method is called there, and the store is that thread's connection. The
// tree (Tree()) keeps its own contract (channel_tree.h): receive workers read it and set counts
// from their threads while the owner edits it. Receive workers open stores of their own and
// report through the IReceiveObserver given to EnableReceiving, from their threads; background
// jobs (StartJob) run on workers of the session and report as their starter arranged. Close(),
// also run by the destructor, stops and joins both kinds of worker before the tree goes away.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/config/app_config.h"
#include "core/config/error_msg_dialog.h"
#include "core/feeds/rss_store.h"
#include "core/receive/receive_manager.h"
#include "core/receive/receive_observer.h"
#include "core/subscriptions/channel_tree.h"
#include "core/subscriptions/channel_tree_editor.h"
#include "core/util/data_root.h"
#include "core/util/reporter.h"
#include "core/util/worker_set.h"

namespace zirvo {

// The owner tag of a folder list: its rows belong to several channels.
inline constexpr int kFolderListTag = 999999999;

// The article list's page size from the settings: 30 to 1000, else 50.
int ArticlePageSize(const ChannelTreeSettings& settings);

// One page of the article list.
struct ItemPage {
    std::vector<RssItem> items;  // in the order asked for (newest first by default)
    int page = 0;                // 0-based
    int pageCount = 1;           // at least 1, also for an empty list
    int total = 0;               // items matching the filter (a folder list: the rows listed)
    int pageSize = 0;
    bool folder = false;     // a folder list: one page of at most kFeedsItemsLimit rows
    bool truncated = false;  // a folder list that hit kFeedsItemsLimit
    // The store's highest item id just before the page was read: marking "what the list
    // showed" read leaves items received later unread.
    int maxItemId = 0;
    // The channel node of each feed_id on the page (channels the tree does not hold are absent).
    std::map<int, NodeId> channels;
};

// Every unread item of every channel, first in `order` (newest first by default), as one page
// of at most kFeedsItemsLimit rows (`truncated` when there are more), read with `store` (any
// thread's own). False with `error` set on a store failure.
bool ListAllUnreadWith(CRssStore& store, const CChannelTree& tree, ItemPage& out,
                       std::string& error, const ItemOrder& order = {});

// Stores each channel's unread count, as `store` (any thread's own) counts it, in the tree
// (folders sum up). Channels the store does not know keep their counts. False with `error` set
// on a store failure (the counts read before it are kept).
bool LoadUnreadCountsWith(CRssStore& store, CChannelTree& tree, std::string& error);

class CReaderSession {
public:
    // Nothing is read before Open. `reporter` receives the numbered messages and must outlive
    // the session.
    CReaderSession(const std::string& dataRoot, IMessageReporter& reporter);
    ~CReaderSession();
    CReaderSession(const CReaderSession&) = delete;
    CReaderSession& operator=(const CReaderSession&) = delete;

    // Reads the tree settings (unreadable ones were reported and the defaults apply), loads the
    // tree and opens the store. False with Error() set when the file or the store is unusable.
    bool Open();
    // Stops receiving (joins the workers) and closes the store. Idempotent.
    void Close();
    // The cause of the last failure of Open or of a method documented to set it.
    const std::string& Error() const { return m_error; }

    const CDataRoot& Root() const { return m_root; }
    CErrorMsgDialog& Messages() { return m_messages; }
    CAppConfig& AppConfig() { return m_appConfig; }
    CChannelTree& Tree() { return m_tree; }
    const CChannelTree& Tree() const { return m_tree; }
    CChannelTreeEditor& Editor() { return m_editor; }
    CRssStore& Store() { return m_store; }
    ChannelTreeSettings Settings() const { return m_tree.Settings(); }

    // ---- naming nodes ------------------------------------------------------------------------
    // Resolves a node reference (see above). kNoNode with `error` set when nothing matches;
    // `topLevel` set (and kNoNode returned) for "/" when `allowTop`.
    NodeId Resolve(const std::string& reference, bool allowTop, bool& topLevel, std::string& error);
    // A reference that must name a folder (or the top level, given as kNoNode).
    bool ResolveFolder(const std::string& reference, NodeId& folder, std::string& error);
    // "Folder/Channel" for a node, "/" for the top level.
    std::string PathText(NodeId id) const;

    // ---- store look-ups without binding ------------------------------------------------------
    // The channel's feed_id, 0 when the store does not know its address (or it is a folder).
    // False (Error() set) on a store failure.
    bool FeedIdOf(NodeId channel, int& feedId);
    // (handle, feed_id) of the channels below `id` (kNoNode: all) that the store knows.
    bool KnownFeedIds(NodeId id, FeedIdList& feeds);
    // The first channel storing its items as `feedId`; kNoNode when the tree has none.
    NodeId ChannelOfFeed(int feedId);
    // LoadUnreadCountsWith on the session's store.
    bool LoadUnreadCounts();

    // ---- the article list --------------------------------------------------------------------
    // A channel's page `page` (0-based) for `filter` (ItemFilter), or the combined list of
    // every channel below a folder (kNoNode: the whole tree), which has one page. A page past
    // the end comes back empty with the true page count, so the caller can say so. Bodies (link
    // and description) are read only `withBody`, and never for folder lists. The store orders
    // the rows (`order`, newest first by default), so that every page is a slice of one order.
    // False with Error() set on a store failure, a filter outside ItemFilter or a key outside
    // ItemSortKey.
    bool ListPage(NodeId id, int filter, int page, bool withBody, ItemPage& out,
                  const ItemOrder& order = {});
    // ListAllUnreadWith on the session's store.
    bool ListAllUnread(ItemPage& out);

    // ---- read marks --------------------------------------------------------------------------
    // One item read (1) or unread (0); the new flag is cleared, the item's channel is recounted
    // from the store and the count propagated to its folders. `channel` is the item's channel
    // node (kNoNode when the tree does not hold it), `unread` its count afterwards. False with
    // Error() set; a missing item gives kNoRssItemWithId as the error.
    bool MarkItemRead(int itemId, bool read, NodeId& channel, int& unread);
    // Every item below the node read or unread (the "mark the shown list read" message);
    // `upToItemId` above 0 (an ItemPage's maxItemId) leaves items with higher ids alone.
    bool MarkNodeRead(NodeId id, bool read, int upToItemId = 0);

    // ---- background jobs -----------------------------------------------------------------
    // Work on the whole item table (marking a folder read, clearing, the unread list, counts,
    // cleaning, compaction) runs on a worker of the session, never on the window thread.
    // `job` runs on its own thread; it opens a store of its own (the session's belongs to the
    // owner's thread), may use the tree and the editor's MarkRead/ClearArticles/RecountUnread
    // (see channel_tree_editor.h), and reports its outcome itself, as values, to the front
    // end's thread. False (nothing runs) once the session is closing. Close() joins the jobs.
    bool StartJob(std::function<void()> job);
    // Jobs that have not ended yet.
    size_t JobsRunning() const { return m_jobs.Running(); }
    // Waits until every job started so far has ended (a closing window that must know how its
    // jobs ended before it saves).
    void WaitForJobs() { m_jobs.WaitAll(); }

    // ---- receiving ---------------------------------------------------------------------------
    // Creates the receive workers' owner reporting to `observer` (which must outlive the session
    // or the next Close). `http` null: each fetch makes its own client. Later calls keep the first.
    // The fetch limits come from config/appConfig.xml (FetchSettings).
    void EnableReceiving(IReceiveObserver& observer, IHttpClient* http = nullptr);
    // The workers' owner; null before EnableReceiving.
    CReceiveManager* Receiver() { return m_receiver.get(); }
    // "收取" on a node: a channel gets a worker of its own, a folder (kNoNode: the whole tree)
    // its walk, `force` taking in channels without automatic update. `refreshList`: a channel's
    // worker asks the shown list to be read again when done (a window showing it). False
    // (Error() set) when nothing could be started.
    bool Receive(NodeId id, bool force = false, bool refreshList = false);
    // The start-up and timer receive of the whole tree with the weight rule; refused while a
    // folder walk or another weighted walk runs (Error() set).
    bool ReceiveWeighted();
    // The start-up and timer receive of the whole tree without the weight rule: Receive(kNoNode)
    // that passes over channels whose site asked to be left alone until later.
    bool ReceiveScheduled();
    // Stops and joins the running workers; later Receive calls are refused.
    void StopReceiving();

private:
    bool StoreFailed(const std::string& what);

    CDataRoot m_root;
    CErrorMsgDialog m_messages;
    CAppConfig m_appConfig;
    CChannelTree m_tree;
    CChannelTreeEditor m_editor;
    CRssStore m_store;
    std::unique_ptr<CReceiveManager> m_receiver;
    std::string m_error;
    CWorkerSet m_jobs;  // last: joined before the members above go
};

}  // namespace zirvo
