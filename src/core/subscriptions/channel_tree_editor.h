#pragma once
// The operations that change the subscription tree: each one writes the OPML file first
// (COpmlTree, addressed by the node's index path taken before the change) and changes the
// in-memory tree (CChannelTree) only when the file was written, so that tree order and file order
// always agree and a failed write leaves the tree as it was. Operations that also touch the feed
// store (delete, clear, mark read, properties) take the caller's CRssStore.
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

    // New channel under `parent` (kNoNode: top level), after the add dialog's checks and the
    // duplicate check. kNoNode when refused or not written.
    NodeId AddChannel(NodeId parent, const std::string& title, const std::string& feedUrl,
                      const std::string& homeUrl);
    // New folder, after the folder dialog's checks.
    NodeId AddFolder(NodeId parent, const std::string& name, const std::string& homeUrl);
    // File and tree only, no checks: for trees whose `xmlUrl` is not a web address (favourites).
    NodeId AddNode(NodeId parent, const std::string& caption, const std::string& xmlUrl,
                   const std::string& homeUrl);

    // In-place rename: an empty text changes nothing (and is not an error).
    bool Rename(NodeId id, const std::string& caption);
    // Channel properties: changed title, address and home page go to the file and the node (after
    // the General page's checks), then the channel's feed_data row gets URL and settings
    // (UpdateFeed; "设置失败!" when that fails).
    bool SetChannelProperties(NodeId id, const std::string& title, const std::string& feedUrl,
                              const std::string& homeUrl, const ChannelFeedSettings& settings,
                              CRssStore& store);
    // Folder properties: changed title and home page, after the folder checks.
    bool SetFolderProperties(NodeId id, const std::string& title, const std::string& homeUrl);

    // Deletes the node with its subtree: the items and feed_data rows of its channels (one
    // transaction; on failure nothing else happens and no message is shown), then the outline,
    // then the node. A channel whose address is still used by a channel outside the subtree keeps
    // its row.
    bool Delete(NodeId id, CRssStore& store);
    // Deletes the items of the subtree's channels; their counts become 0.
    bool ClearArticles(NodeId id, CRssStore& store);
    // Marks every item of the subtree's channels read (counts become 0) or unread (counts are
    // read again from the store).
    bool MarkRead(NodeId id, CRssStore& store, bool read = true);
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
