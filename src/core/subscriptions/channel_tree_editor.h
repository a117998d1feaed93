#pragma once
// The operations that change the subscription tree: each one writes the OPML file first
// (COpmlTree, addressed by the node's index path taken before the change) and changes the
// in-memory tree (CChannelTree) only when the file was written, so that tree order and file order
// always agree and a failed write leaves the tree as it was. Operations that also touch the feed
// store (add with binding, delete, clear, mark read, properties) take the caller's CRssStore;
// those that change file and store do it all or nothing, file first (see opml_tree.h), so a
// front end has nothing to guard.
//
// Captions longer than kMaxCaptionBytes (1,024 bytes) are cut on a character boundary, whichever
// way they arrive: a feed's title of megabytes would otherwise be written into the file at every
// later save.
//
// Messages: file failures as COpmlTree gives them (8000 or the operation's own message); refused
// input as the dialogs' checks give it (channel_checks.h), through the message box.
//
// Threading: the window thread (the tree's owner); the store passed in belongs to that thread.

#include <string>

#include "core/config/app_config.h"
#include "core/config/error_msg_dialog.h"
#include "core/feeds/rss_store.h"
#include "core/subscriptions/channel_tree.h"
#include "core/subscriptions/opml_tree.h"

namespace zirvo {

inline constexpr const char* kSettingsFailed = "设置失败!";
inline constexpr const char* kReaderConfigError = "rss reader配置文件错误";

// Reads the tree's settings from config/appConfig.xml. When they cannot be read, the message
// "rss reader配置文件错误" is shown and `settings` keeps the defaults; returns false then.
bool ReadChannelTreeSettings(CAppConfig& config, CErrorMsgDialog& messages,
                             ChannelTreeSettings& settings);

class CChannelTreeEditor {
public:
    CChannelTreeEditor(CChannelTree& tree, std::string opmlPath, CErrorMsgDialog& messages);

    CChannelTree& Tree() { return m_tree; }
    COpmlTree& File() { return m_file; }
    CErrorMsgDialog& Messages() { return m_messages; }

    // Replaces the tree's nodes by the file's (old handles die). Counts come from `unreadnum`
    // only when the tree's settings say whenexitrememberunreadnum. False (message 8000) leaves
    // the tree empty.
    bool Load();
    // Writes `expanded` and `unreadnum` of every node.
    bool SaveState();

    // New channel under `parent` (kNoNode: top level), after the add dialog's checks. An address
    // that another channel has already is allowed (the front end may warn): both nodes share
    // the address's feed_data row. kNoNode when refused or not written.
    NodeId AddChannel(NodeId parent, const std::string& title, const std::string& feedUrl,
                      const std::string& homeUrl);
    // The same, bound at once to its feed_data row (created when missing), so the node has its
    // feed_id from the start; file and row together or neither ("添加失败!").
    NodeId AddChannel(NodeId parent, const std::string& title, const std::string& feedUrl,
                      const std::string& homeUrl, CRssStore& store);
    // New folder, after the folder dialog's checks.
    NodeId AddFolder(NodeId parent, const std::string& name, const std::string& homeUrl);
    // File and tree only, no checks: for trees whose `xmlUrl` is not a web address (favourites).
    // `then` is the store's part of the change (see opml_tree.h).
    NodeId AddNode(NodeId parent, const std::string& caption, const std::string& xmlUrl,
                   const std::string& homeUrl, const StoreStep& then = {});

    // In-place rename: an empty text changes nothing (and is not an error).
    bool Rename(NodeId id, const std::string& caption);
    // Channel properties, after the General page's checks (the address kind only when the
    // address changes: a channel kept from an older file may carry one that is no longer
    // accepted). The changed title, address and home page go to the file in one write, then the
    // channel's feed_data row gets URL and settings (UpdateFeed; "设置失败!" when that fails,
    // and the file gets its old bytes back). A new address keeps the row and its items, unless
    // another channel still uses the old address or already uses the new one: then the channel
    // moves to the new address's row.
    bool SetChannelProperties(NodeId id, const std::string& title, const std::string& feedUrl,
                              const std::string& homeUrl, const FeedSettings& settings,
                              CRssStore& store);
    // Folder properties: changed title and home page, after the folder checks, in one write.
    bool SetFolderProperties(NodeId id, const std::string& title, const std::string& homeUrl);

    // Deletes the node with its subtree: the outline first, then the items and feed_data rows of
    // its channels (one transaction, all or nothing; when it fails the outline is put back, the
    // node stays and no message is shown: the store's last error says why), then the node. A
    // channel whose address is still used by a channel outside the subtree keeps its row.
    bool Delete(NodeId id, CRssStore& store);
    // Delete in two steps, for a window that must not wait for a big channel's items: `feeds`
    // receives the channels whose items and rows leave with the node (binding the subtree; a
    // channel whose address is used outside it stays out). The caller deletes them with
    // DeleteFeeds on a store of a worker's own and, only when that succeeded, calls Delete, which
    // has little left to do then (what a receive brought meanwhile). Should the worker's delete
    // fail, nothing has changed: the node keeps its outline and its items, and no row is left
    // without a node. False when a channel cannot be bound.
    bool FeedsLeavingWith(NodeId id, CRssStore& store, FeedIdList& feeds);
    // Deletes the items of the subtree's channels; their counts become 0.
    bool ClearArticles(NodeId id, CRssStore& store);
    // Marks every item of the subtree's channels read (counts become 0) or unread (counts are
    // read again from the store). `upToItemId` above 0 marks only items with ids up to it (what
    // a list filled earlier could show; the counts are read again). MarkRead, ClearArticles and
    // RecountUnread touch only the tree (whose accessors lock) and the given store, so a worker
    // with a store of its own may run them while the window thread keeps the editor.
    bool MarkRead(NodeId id, CRssStore& store, bool read = true, int upToItemId = 0);
    // Reads the unread counts of the subtree's channels from the store.
    bool RecountUnread(NodeId id, CRssStore& store);

    // In front of the previous sibling; a node without one stays (false, no message).
    bool MoveUp(NodeId id);
    // To the end of the top level.
    bool MoveToRoot(NodeId id);
    // Drag and drop: onto a folder appends as its last child, onto a channel puts the node in
    // front of it. Dropping a node onto itself or into its own subtree changes nothing (false).
    bool MoveOnto(NodeId id, NodeId target);
    // The plain moves behind the ones above.
    bool MoveBefore(NodeId id, NodeId target);
    bool MoveInto(NodeId id, NodeId parent);

private:
    void Refuse(const std::string& message);

    CChannelTree& m_tree;
    COpmlTree m_file;
    CErrorMsgDialog& m_messages;
};

}  // namespace zirvo
