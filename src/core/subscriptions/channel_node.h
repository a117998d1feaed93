#pragma once
// One node of the subscription tree (or of the favourites tree, which uses the same model): a
// channel when it has a feed URL, a folder otherwise. Plain value record; the tree that owns the
// nodes (CChannelTree) hands out copies.

#include <string>
#include <vector>

namespace zirvo {

// A node's handle: its index in the tree's node vector. Assigned in load order (depth first) and,
// for nodes added later, at the time of adding; never reused while the tree object lives, also
// not across reloads, so a handle held by a worker can never name another node.
using NodeId = int;
// "No node"; as a parent it means the top level (the OPML `body`).
inline constexpr NodeId kNoNode = -1;

// Images of the tree's image list: state of a node as the views draw it.
inline constexpr int kImageReceiving = 0;        // a single-channel receive is running
inline constexpr int kImageFolder = 1;           // folder
inline constexpr int kImageReceived = 2;         // last receive succeeded
inline constexpr int kImageChannel = 3;          // channel, idle
inline constexpr int kImageFailed = 4;           // last receive failed or was stopped
inline constexpr int kImageFolderReceiving = 5;  // a folder walk is receiving this channel

// The receive settings of a channel as `feed_data` stores them.
struct ChannelFeedSettings {
    int rssRank = 0;         // 0 = received by weight, non-zero = always received
    int storageType = 0;     // 0 = global setting, 1 = keep what the feed lists, 2 = keep newest N
    int storageNum = 200;    // N for storage type 2
    int autoUpdate = 1;      // takes part in automatic receiving
    int newItemShowTip = 0;  // notice after a receive that leaves unread items
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

    int feedId = 0;       // `feed_id` of the bound `feed_data` row; 0 until bound
    int unreadCount = 0;  // a folder: sum of its direct children's counts
    ChannelFeedSettings settings;

    // Receive scheduling, in memory only.
    int weightLevel = 1;
    int weightCounter = 10;

    int image = kImageChannel;

    bool IsFolder() const { return feedUrl.empty(); }
    bool IsChannel() const { return !feedUrl.empty(); }
    bool IsBound() const { return feedId != 0; }
};

}  // namespace zirvo
