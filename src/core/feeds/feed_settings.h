#pragma once
// A channel's receive settings, one record for the feed store's `feed_data` row and the channel
// tree's node alike.

namespace zirvo {

// The defaults are those of a channel that a look-up has just added.
struct FeedSettings {
    int rssRank = 0;         // 0 = received by weight, non-zero = always received
    int storageType = 0;     // 0 global, 1 last feed only, 2 newest storageNum, else everything
    int storageNum = 200;    // item count for storage type 2
    int autoUpdate = 1;      // 1 = takes part in automatic receiving
    int newItemShowTip = 0;  // 1 = notice after a receive that leaves unread items
};

}  // namespace zirvo
