#pragma once
// One feed item as it travels between the feed store, the receive pipeline and the views, and
// the list of channels that the channel tree hands to multi-channel store operations.
// Threading: values; copy them between threads.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zirvo {

struct RssItem {
    int id = 0;         // item_id of its table (rss_data, rsstemp_data or rssfavorite_data)
    int channelId = 0;  // feed_id of the channel, or of the favourites folder
    int isNew = 0;      // 1 from the first store until the user reads or marks the item
    int read = 0;       // 0 unread, 1 read
    std::string title;
    std::string link;  // identity of the item within its channel
    std::string description;
    std::string date;  // "%d-%.2d-%.2d %.2d:%.2d:%.2d", comparable as text with SQLite datetime
    std::string author;
    std::string group;  // filled by the article list for grouping; never stored
};

// Pairs of (tree item handle, channel id). Only the channel ids reach the database; the handle
// lets the tree find its nodes again and is never dereferenced here.
using FeedIdList = std::vector<std::pair<std::uintptr_t, int>>;

// The channel ids joined with "," ("1,2,3"), the text placed in "IN (%s)".
std::string FormatFeedIds(const FeedIdList& feeds);

}  // namespace zirvo
