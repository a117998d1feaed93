#pragma once
// What the feed-reader commands of zirvo-cli share: a session over the subscription tree and
// the feed store of the data root, naming channels and folders on the command line, and a guard
// that keeps an OPML file as it was when a command fails.
//
// Naming a node (channel or folder) on the command line, tried in this order:
//   "/" (or the empty text)  the top level, where a folder is wanted;
//   "#ID"                    the channel whose feed-store row has feed_id ID;
//   a caption path           captions joined by "/", a "/" inside a caption written "\/";
//   a feed URL               the first channel with that address.
//
// Threading: the command's own (main) thread.

#include <optional>
#include <string>
#include <vector>

#include "cli_context.h"
#include "core/feeds/rss_store.h"
#include "core/subscriptions/channel_tree.h"
#include "core/subscriptions/channel_tree_editor.h"

namespace zirvo::cli {

// The feed store with the look-ups the CLI needs that must not add rows: a command that only
// reads must leave feed_data as it was.
class CCliFeedStore : public CRssStore {
public:
    using CRssStore::CRssStore;
    // The feed_id of `url`; `found` false (and true returned) when there is no row.
    bool FindFeedId(const std::string& url, int& id, bool& found);
    // The address of row `id`; `found` false when there is none.
    bool FeedUrlOf(int id, std::string& url, bool& found);
    // The stored settings of `url`; `found` false (and `settings` untouched) without a row.
    bool FindFeedSettings(const std::string& url, int& id, FeedSettings& settings, bool& found);
};

// The tree of Storage/rssreader.opml with its settings, its editor and an open feed store.
class CFeedSession {
public:
    explicit CFeedSession(CliContext& context);
    CFeedSession(const CFeedSession&) = delete;
    CFeedSession& operator=(const CFeedSession&) = delete;

    // Reads the settings, loads the tree and opens the store. False after the cause has been
    // printed; `rc` is the exit code then.
    bool Open(int& rc);

    CliContext& Context() { return m_context; }
    CChannelTree& Tree() { return m_tree; }
    CChannelTreeEditor& Editor() { return m_editor; }
    CCliFeedStore& Store() { return m_store; }

    // Resolves a node reference (see above). kNoNode with `error` set when nothing matches;
    // `topLevel` set (and kNoNode returned) for "/" when `allowTop`.
    NodeId Resolve(const std::string& reference, bool allowTop, bool& topLevel, std::string& error);
    // A reference that must name a folder (or the top level): kNoNode for the top level.
    bool ResolveFolder(const std::string& reference, NodeId& folder, std::string& error);

    // The channel's feed_id without adding a row: 0 when the store does not know the address.
    // False on a store failure.
    bool FeedIdOf(NodeId channel, int& feedId);
    // (handle, feed_id) of the channels below `id` (kNoNode: all) that the store knows.
    bool KnownFeedIds(NodeId id, FeedIdList& feeds);
    // Stores each known channel's unread count in the tree (folders sum up).
    bool LoadUnreadCounts();

    // "Folder/Channel" for a node, "/" for the top level.
    std::string PathText(NodeId id) const;

private:
    CliContext& m_context;
    CChannelTree m_tree;
    CChannelTreeEditor m_editor;
    CCliFeedStore m_store;
};

// Keeps a file's bytes so that a failed command can put them back. A probe write (the same bytes
// written back) finds an unwritable file before anything else is changed, so that operations
// that touch the store first never leave the store changed and the file not.
class CFileGuard {
public:
    explicit CFileGuard(std::string path);
    // Reads the file and writes it back unchanged; false with `error` set when either fails.
    bool Probe(std::string& error);
    // Puts the kept bytes back when the file now differs.
    void Restore();

private:
    std::string m_path;
    std::optional<std::string> m_bytes;
};

// A whole positive number (item ids, page numbers); false for anything else.
bool ParsePositive(const std::string& text, int& out);
// "all", "read", "unread", "new" to the store's filter codes.
bool ParseFilter(const std::string& text, int& filter);
const char* FilterName(int filter);

// One item as a record: id, channel, date, state, author, title (and, `full`, link and text).
Record ItemRecord(const RssItem& item, const std::string& channel, bool full = false);

// A feed address is either an http(s) address or refused with the add dialog's message; an
// address without "://" gets a hint that the scheme is missing.
std::string NonWebAddressMessage(const std::string& url);

}  // namespace zirvo::cli
