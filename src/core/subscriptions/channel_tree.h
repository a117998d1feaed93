#pragma once
// The subscription tree in memory: the folders and channels of Storage/rssreader.opml (or of
// the favourites file) as ChannelNode records, with their unread counts, bound feed-store ids,
// receive settings and weight state. The GUI's tree control and zirvo-cli both sit on this model;
// COpmlTree keeps the file in step with it (see channel_tree_editor.h for the operations that
// change both).
//
// Node handles (NodeId) are indices into the node vector and are never reused, not even after
// Clear(): a worker that still holds a handle of a reloaded tree finds a removed node instead of
// writing into a stranger's record.
//
// Addressing, besides the handle:
//   - index path: the 0-based positions among siblings from the top down (the OPML file's
//     `/opml/body/outline[i]/outline[j]`); the empty path is the top level;
//   - caption path: captions joined by "/", a "/" inside a caption written "\/" and a "\"
//     written "\\" (`中文资讯/BBC中文网`);
//   - feed URL (first channel in display order with that `xmlUrl`);
//   - "#ID", the handle in decimal (`#12`).
//
// Threading. THE node lock (m_mutex) guards every node record (structure links, captions, URLs,
// counts, settings, weight state, image), the node vector itself, the current node, the tree
// settings and the listener. Every public method takes it for its own duration and never calls
// out while holding it, so no method may be called with it held and there is no lock order to
// keep. Division of labour:
//   - the window thread (the owner) is the only thread that changes the structure: Clear,
//     InsertOutlines, AddNode, Remove, MoveBefore/MoveInto, SetCaption/SetFeedUrl/SetHomeUrl;
//   - any thread (receive workers included) may read through the query methods, which return
//     copies, and may change counts and state by handle: SetUnread, ApplyBinding, SetWeight,
//     SetImage, SetFolderReceiveRunning. A handle whose node was removed meanwhile is ignored.
// The count listener is called after a count changed, on the thread that changed it, without
// the lock held.

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/config/app_config.h"
#include "core/subscriptions/channel_node.h"
#include "core/subscriptions/opml_outline.h"

namespace zirvo {

using IndexPath = std::vector<int>;

// The reader settings the tree holds: the receive and storage records of config/appConfig.xml
// (/app/rss/...) themselves, with the defaults that apply when the file cannot be read. The
// storage record is the global storage policy; a channel's storage type 0 means this one.
struct ChannelTreeSettings : ReceiveSettings, StorageSettings {
    ChannelTreeSettings() {
        autoReceiveTime = 30;
        switchChannelAutoMakeRead = 1;
        paginationNum = 50;
        storageType = 1;
        storageNum = 200;
    }
    ChannelTreeSettings(const ReceiveSettings& receive, const StorageSettings& storage)
        : ReceiveSettings(receive), StorageSettings(storage) {}
};

class CChannelTree {
public:
    CChannelTree() = default;
    CChannelTree(const CChannelTree&) = delete;
    CChannelTree& operator=(const CChannelTree&) = delete;

    // ---- structure (window thread) -------------------------------------------------------

    // Removes every node (their handles stay dead) and forgets the current node.
    void Clear();
    // Appends the outlines (with their subtrees) as the last children of `parent` (kNoNode: top
    // level), depth first. Every new node gets the load defaults (unbound, rank 0, storage type
    // 0, count 200, auto-update 1, notice 0, weight level 1, counter 10); its unread count is
    // the outline's `unreadnum` when `rememberUnread` is set, else 0. Folder counts are then
    // recomputed from their children. Returns the handles of the inserted top outlines; empty
    // when `parent` does not exist.
    std::vector<NodeId> InsertOutlines(NodeId parent, const std::vector<OpmlOutline>& outlines,
                                       bool rememberUnread);
    // Appends one node (channel when feedUrl is not empty) as the last child of `parent`.
    // kNoNode when `parent` does not exist.
    NodeId AddNode(NodeId parent, const std::string& caption, const std::string& feedUrl,
                   const std::string& homeUrl);
    // Removes the node with its subtree; the ancestors' counts are recomputed. The current node
    // is forgotten when it was inside the subtree.
    bool Remove(NodeId id);
    // Moves the node (with its subtree) in front of `target`, under the target's parent, or to
    // the end of `parent`'s children (kNoNode: the top level). Refused (false) when the
    // destination lies inside the moved subtree or a handle is dead. Counts are recomputed at
    // the old and the new place.
    bool MoveBefore(NodeId id, NodeId target);
    bool MoveInto(NodeId id, NodeId parent);
    bool SetCaption(NodeId id, const std::string& caption);
    // A changed address unbinds the node: the store knows channels only by URL.
    bool SetFeedUrl(NodeId id, const std::string& feedUrl);
    bool SetHomeUrl(NodeId id, const std::string& homeUrl);
    bool SetExpanded(NodeId id, bool expanded);

    // The node whose articles the list shows; kNoNode when none.
    NodeId Current() const;
    void SetCurrent(NodeId id);

    // ---- queries (any thread; copies) ----------------------------------------------------

    bool Exists(NodeId id) const;
    std::optional<ChannelNode> Node(NodeId id) const;
    NodeId Parent(NodeId id) const;
    // Children of `id` (kNoNode: the top-level nodes) in display order.
    std::vector<NodeId> Children(NodeId id) const;
    // Every live node in display order (depth first); with `from` given, that node's subtree
    // (the node itself first).
    std::vector<NodeId> Walk(NodeId from = kNoNode) const;
    // The channels of the subtree of `id` in display order: `id` itself when it is a channel,
    // then every channel below it at any depth. kNoNode: every channel of the tree.
    std::vector<NodeId> SubtreeChannels(NodeId id) const;
    // (handle, feed_id) of the bound channels among SubtreeChannels(id); the shape of the
    // store's FeedIdList. Unbound channels are left out (bind them first, see channel_binding.h).
    std::vector<std::pair<NodeId, int>> SubtreeFeedIds(NodeId id) const;
    size_t LiveCount() const;
    bool IsInSubtree(NodeId id, NodeId ancestor) const;  // true also for id == ancestor

    IndexPath PathOf(NodeId id) const;  // empty for a dead handle as well: check Exists
    NodeId FindByIndexPath(const IndexPath& path) const;
    // "Folder → Channel": the captions from the top-level node down, joined by " → ".
    std::string PathCaption(NodeId id) const;
    // "Folder/Channel" with "/" and "\" inside captions escaped (see above).
    std::string CaptionPath(NodeId id) const;
    NodeId FindByCaptionPath(const std::string& path) const;
    NodeId FindByFeedUrl(const std::string& url) const;
    // "#ID", a caption path, or a feed URL, tried in that order. kNoNode when nothing matches.
    NodeId Resolve(const std::string& reference) const;

    // The subtree of `id` as outlines (title = caption, counts and expanded state as they are
    // now); kNoNode: all top-level nodes.
    std::vector<OpmlOutline> ToOutlines(NodeId id) const;

    // ---- counts and state (any thread) ---------------------------------------------------

    // Stores a channel's unread count and recomputes every folder above it: the sum of its
    // direct children, a channel child counting with whatever hangs below it. A channel keeps
    // its own count. Returns false for a dead handle.
    bool SetUnread(NodeId id, int count);
    int Unread(NodeId id) const;
    // Sets every node's count to 0.
    void ResetAllUnread();
    // Copies the bound `feed_data` row into the node.
    bool ApplyBinding(NodeId id, int feedId, const FeedSettings& settings);
    bool SetWeight(NodeId id, int level, int counter);
    bool SetImage(NodeId id, NodeImage image);

    ChannelTreeSettings Settings() const;
    void SetSettings(const ChannelTreeSettings& settings);
    // Set while a depth-1 folder walk runs, so timer ticks do not start a second one.
    bool FolderReceiveRunning() const;
    void SetFolderReceiveRunning(bool running);

    // Called with the handle whose count changed (ancestors were recomputed already).
    void SetCountListener(std::function<void(NodeId)> listener);

private:
    bool LiveLocked(NodeId id) const;
    std::vector<NodeId>& SiblingsLocked(NodeId parent);
    const std::vector<NodeId>& SiblingsLocked(NodeId parent) const;
    NodeId InsertLocked(NodeId parent, const OpmlOutline& outline, bool rememberUnread);
    void WalkLocked(NodeId from, std::vector<NodeId>& out) const;
    void RecountUpwardsLocked(NodeId from);
    int SumChildrenLocked(NodeId id) const;
    int ContributionLocked(NodeId id) const;
    bool IsInSubtreeLocked(NodeId id, NodeId ancestor) const;
    void DetachLocked(NodeId id);
    void NotifyCountChanged(NodeId id);
    OpmlOutline ToOutlineLocked(NodeId id) const;

    mutable std::mutex m_mutex;
    std::vector<ChannelNode> m_nodes;  // by handle; removed nodes keep their slot
    std::vector<bool> m_live;
    std::vector<NodeId> m_topLevel;
    NodeId m_current = kNoNode;
    ChannelTreeSettings m_settings;
    bool m_folderReceiveRunning = false;
    std::function<void(NodeId)> m_countListener;
};

// Caption-path helpers: "\/" for a "/" and "\\" for a "\" inside a caption.
std::string EscapeCaption(const std::string& caption);
std::vector<std::string> SplitCaptionPath(const std::string& path);

}  // namespace zirvo
