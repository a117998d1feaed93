#pragma once
// One node of the subscription tree (or of the favourites tree, which uses the same model): a
// channel when it has a feed URL, a folder otherwise. Plain value record; the tree that owns the
// nodes (CChannelTree) hands out copies.

#include <string>
#include <vector>

#include "core/feeds/feed_settings.h"

namespace zirvo {

// A node's handle: its index in the tree's node vector. Assigned in load order (depth first) and,
// for nodes added later, at the time of adding; never reused while the tree object lives, also
// not across reloads, so a handle held by a worker can never name another node.
using NodeId = int;
// "No node"; as a parent it means the top level (the OPML `body`).
inline constexpr NodeId kNoNode = -1;

// Images of the tree's image list: state of a node as the views draw it (the values are the
// image list's indexes).
enum NodeImage : int {
    kImageReceiving = 0,        // a single-channel receive is running
    kImageFolder = 1,           // folder
    kImageReceived = 2,         // last receive succeeded
    kImageChannel = 3,          // channel, idle
    kImageFailed = 4,           // last receive failed or was stopped
    kImageFolderReceiving = 5,  // a folder walk is receiving this channel
};

// What the tree draws behind a caption: "[7]", nothing for 0.
inline std::string UnreadBadge(int count) {
    return count == 0 ? std::string() : "[" + std::to_string(count) + "]";
}

// Weight counters by level (1 hottest .. 5 coldest), in minutes; other levels give 0.
int WeightCounterForLevel(int level);

struct ChannelNode {
    NodeId id = kNoNode;
    NodeId parent = kNoNode;       // kNoNode for a top-level node
    std::vector<NodeId> children;  // display order = document order of the OPML file

    std::string caption;  // `title`, or `text` when the outline has no `title`
    std::string feedUrl;  // `xmlUrl`; empty for a folder
    std::string homeUrl;  // `htmlUrl`
    bool expanded = false;

    int feedId = 0;         // `feed_id` of the bound `feed_data` row; 0 until bound
    int unreadCount = 0;    // a folder: sum of its direct children's counts
    FeedSettings settings;  // as its `feed_data` row holds them

    // Receive scheduling, in memory only.
    int weightLevel = 1;
    int weightCounter = 10;

    NodeImage image = kImageChannel;

    bool IsFolder() const { return feedUrl.empty(); }
    bool IsChannel() const { return !feedUrl.empty(); }
    bool IsBound() const { return feedId != 0; }
};

}  // namespace zirvo
