#pragma once
// One feed item as it travels between the feed store, the receive pipeline and the views, and
// the list of channels that the channel tree hands to multi-channel store operations.
// Threading: values; copy them between threads.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zirvo {

// One attachment of an item (RSS `enclosure`, Atom `link rel="enclosure"`, JSON Feed
// `attachments`). Kept beside the item, never inside the Part-defined item row.
struct Enclosure {
    std::string url;
    std::string type;      // MIME type as the feed states it; may be empty
    long long length = 0;  // bytes as the feed states it; 0 when unknown
};

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
    std::string group;                  // filled by the article list for grouping; never stored
    std::vector<Enclosure> enclosures;  // at most kMaxItemEnclosures, in feed order
};

// What one item may hold once read from a feed; longer fields are cut on a character boundary
// before they are stored. Honest feeds stay far below; a hostile one cannot fill the store or
// the article list with one field.
inline constexpr size_t kMaxItemTitleBytes = 64 * 1024;
inline constexpr size_t kMaxItemLinkBytes = 8 * 1024;
inline constexpr size_t kMaxItemAuthorBytes = 8 * 1024;
inline constexpr size_t kMaxItemDescriptionBytes = 4 * 1024 * 1024;
inline constexpr size_t kMaxItemEnclosures = 64;
inline constexpr size_t kMaxEnclosureTypeBytes = 255;

// Cuts the title, link, author and description (UTF-8) to the limits above, and the
// enclosures to their count, their addresses and types to their lengths.
void CapItemFields(RssItem& item);

// Pairs of (tree item handle, channel id). Only the channel ids reach the database; the handle
// lets the tree find its nodes again and is never dereferenced here.
using FeedIdList = std::vector<std::pair<std::uintptr_t, int>>;

// The channel ids joined with "," ("1,2,3"), the text placed in "IN (%s)".
std::string FormatFeedIds(const FeedIdList& feeds);

}  // namespace zirvo
