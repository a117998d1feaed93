#pragma once
// The feed store: every statement on Storage/rss.db below the data root.
//
// Tables (created or upgraded on Open, see core/db/schema.h):
//   feed_data         one row per channel URL: feed_id, feed_url, feed_rssrank (0 = received by
//                     weight), feed_storagetype (0 global setting, 1 keep what the last feed
//                     listed, 2 keep the newest feed_storagenum items, else keep everything),
//                     feed_storagenum, feed_autoupdate, feed_newitemshowtip
//   rss_data          received items: item_id (grows with every insert; newest = highest id),
//                     item_feedid, item_new, item_read, item_link (identity within a channel),
//                     item_title, item_author, item_description, item_pubDate
//   rsstemp_data      staging rows of the same shape: one channel's items during a receive, and
//                     the news search results (StageItems) until that id is staged again
//   feedfav_data      favourite folders: feed_id, feed_readcount
//   rssfavorite_data  favourite items: item_id, item_feedid (the folder), link, title, author,
//                     description, item_pubDate
//   rssremoved_data   links a channel lost (item_feedid, item_link): every delete from rss_data
//                     records the link (a trigger); the merge does not store a recorded link
//                     again and forgets it when the feed no longer lists it; a channel keeps
//                     its newest kMaxRemovedLinksPerChannel records
//   rsscount_data     items per channel (item_feedid, item_count), kept by triggers
//   rssfetch_data     each channel's last fetch (feed_fetch_state.h)
//   rss_enclosure     attachments of rss_data items (enc_itemid, enc_url, enc_type,
//                     enc_length), in feed order by rowid; written by the merge for the items it
//                     stores, deleted with their item by a trigger
//   rss_fts           the full-text index of titles and descriptions (search_index.h), kept by
//                     triggers, and rss_title_fts the same of the titles alone; rssfts_build
//                     the ids they still lack after an upgrade
//                     (search_index_build.h)
//
// Every operation returns true on success; on failure the cause is in GetLastError (SQLite's
// formatted message, or "没有对应id的rss item" / "没有对应的rss item" for a missing row). Writes
// run in a transaction and keep what succeeded before a failing statement, except those said to
// be all or nothing, which roll back. Every text value is
// quoted, the search keyword included. An empty FeedIdList selects nothing: reads return no
// rows and writes change nothing, both successfully.
//
// Threading: one instance belongs to one thread. The window thread keeps a long-lived instance;
// each receive worker and each dialog that needs the database constructs and opens its own, so
// that every thread works on a connection of its own. SQLite's locking with a 60000 ms busy
// timeout is the only coordination between them.

#include <string>
#include <vector>

#include "core/db/sqlite_store.h"
#include "core/feeds/feed_fetch_state.h"
#include "core/feeds/feed_settings.h"
#include "core/feeds/rss_item.h"
#include "core/feeds/search_index_build.h"

namespace zirvo {

// Which settings UpdateFeeds writes.
enum FeedSettingsSelector : int {
    kUpdateAllSettings = 0,  // rank, storage type and count, auto-update and notice
    kUpdateRssRank = 1,
    kUpdateStorage = 2,  // storage type and count
    kUpdateAutoUpdate = 3,
    kUpdateNewItemShowTip = 4,
};

// Which items ListItems and ListFeedsItems return.
enum ItemFilter : int {
    kAllItems = 0,
    kReadItems = 1,
    kUnreadItems = 2,
    kNewItems = 3,
};

// The column a list is ordered by (the article list's sortable columns). The default, newest
// first, is the order items arrived in.
enum ItemSortKey : int {
    kSortNewest = 0,  // item_id: the order of arrival
    kSortNew = 1,     // the new flag
    kSortRead = 2,    // the read state
    kSortAttachment = 3,
    kSortTitle = 4,
    kSortDate = 5,  // the stored publication date ("%d-%.2d-%.2d %.2d:%.2d:%.2d" sorts as text)
    kSortAuthor = 6,
};

// A list's order: equal keys keep the newest first, so a page boundary never depends on how
// SQLite happens to walk the rows.
struct ItemOrder {
    int key = kSortNewest;
    bool descending = true;
    bool operator==(const ItemOrder&) const = default;
};

// The removed-links record of one channel keeps this many, the newest. The record only holds
// links the feed still lists, so it reaches the cap only for feeds read past the default item
// limit (kDefaultMaxFeedItems); there the oldest removed links may come back.
inline constexpr int kMaxRemovedLinksPerChannel = 10000;

// The limit of ListFeedsItems.
constexpr int kFeedsItemsLimit = 8000;

// Last error texts of a row that is not there ("no rss item with this id", "no matching rss
// item").
inline constexpr const char* kNoRssItemWithId = "没有对应id的rss item";
inline constexpr const char* kNoMatchingRssItem = "没有对应的rss item";

class CRssStore : public CSQLiteStore {
public:
    // `dataRoot` is the data root folder; the file is dataRoot + "/Storage/rss.db".
    explicit CRssStore(const std::string& dataRoot);

    // Opens the file (created when missing) and brings its tables to the current definition.
    // The Storage folder must exist. False with the last error set on failure.
    bool Open();

    // --- Channels ---------------------------------------------------------------------------
    // With a row: `id` and all of `settings` are read. Without one the URL is added (AddFeed)
    // and `settings` keeps the caller's values.
    bool GetFeedSettings(const std::string& url, int& id, FeedSettings& settings);
    bool AddFeed(const std::string& url, int& id);
    bool UpdateFeed(int id, const std::string& url, const FeedSettings& settings);
    bool UpdateFeeds(const FeedIdList& feeds, int which, const FeedSettings& settings);
    // Deletes the channels' items and their rows; all or nothing.
    bool DeleteFeeds(const FeedIdList& feeds);
    bool DeleteFeedItems(const FeedIdList& feeds);
    // Each output stays untouched when its query yields no row.
    bool CountAll(int& channels, int& items);
    bool CountFeed(int id, int& total, int& unread);

    // --- Look-ups that never add a row ---------------------------------------------------------
    // A command that only reads must leave feed_data as it was, unlike GetFeedSettings.
    // The feed_id of `url`; `found` false (and true returned) when there is no row.
    bool FindFeedId(const std::string& url, int& id, bool& found);
    // The address of row `id`; `found` false when there is none.
    bool FeedUrlOf(int id, std::string& url, bool& found);
    // `id` and the stored settings of `url`; `found` false (`settings` untouched) without a row.
    bool FindFeedSettings(const std::string& url, int& id, FeedSettings& settings, bool& found);

    // --- The last fetch of each channel (feed_fetch_state.h) ----------------------------------
    // A channel never fetched reads as a default FeedFetchState.
    bool GetFetchState(int feedId, FeedFetchState& state);
    bool SaveFetchState(int feedId, const FeedFetchState& state);

    // --- Items ------------------------------------------------------------------------------
    bool ClearStaging(int id);
    // The merge of one receive: items whose link channel `id` neither holds nor lost while the
    // feed listed it (storage policy, clean, clear) are appended as new and unread (the feed's
    // first item gets the highest id), then the storage policy (1 or 2, see feed_data above) is
    // applied, and lost links the feed no longer lists are forgotten. Receiving an unchanged
    // feed changes nothing, whatever its length. Staging is empty afterwards.
    bool SaveReceivedItems(int id, const std::vector<RssItem>& items, int storageType,
                           int storageNum);
    // Replaces channel `id`'s staging rows by `items` (the news search results); each item
    // gets its staging id, and new and read 0.
    bool StageItems(int id, std::vector<RssItem>& items);
    // One page in `order` (newest first by default), appended to `items`; `total` counts the
    // whole filter. LIMIT takes `offset` first, then `count`. Link and description are read
    // only `withBody`. A filter outside ItemFilter or a key outside ItemSortKey returns false
    // at once.
    bool ListItems(int id, int filter, bool withBody, std::vector<RssItem>& items, int& total,
                   int count, int offset, const ItemOrder& order = {});
    // Up to kFeedsItemsLimit items of several channels, first in `order`, without link and
    // body.
    bool ListFeedsItems(const FeedIdList& feeds, int filter, std::vector<RssItem>& items,
                        const ItemOrder& order = {});
    // Up to kFeedsItemsLimit unread items of every channel, first in `order`; `count` counts
    // them all.
    bool ListUnread(std::vector<RssItem>& items, int& count, const ItemOrder& order = {});
    // The highest item id handed out so far (0 for an empty table): every item received later
    // has a higher one.
    bool MaxItemId(int& id);
    // An rss_data item comes with its enclosures; staging rows have none.
    bool GetItem(int id, bool fromStaging, RssItem& item);
    // The enclosures of an rss_data item, in feed order (none is no failure).
    bool ListEnclosures(int itemId, std::vector<Enclosure>& enclosures);
    // Fills the enclosures of rss_data items read without them (a list page), in one query.
    bool FillEnclosures(std::vector<RssItem>& items);
    bool GetItemLink(int id, bool fromStaging, std::string& link);
    bool GetItemFeedId(int id, int& channelId);
    bool CountNew(int id, int& n);
    bool CountUnread(int id, int& n);
    // Any change of read state clears the new flag.
    bool SetItemRead(int itemId, int read);
    // Touches only the rows whose read state changes.
    bool SetFeedRead(int channelId, int read);
    bool SetFeedsRead(const FeedIdList& feeds, int read);
    // SetFeedsRead for the items with ids up to `maxItemId`: a list that was filled before
    // more items arrived marks only what it could have shown.
    bool SetFeedsReadUpTo(const FeedIdList& feeds, int read, int maxItemId);
    // Items whose title (and, `alsoDescription`, description) contains `keyword` (LIKE, so
    // '%' and '_' in it are wildcards), newest first, full records. `allChannels` ignores
    // `feeds`.
    bool SearchItems(const std::string& keyword, std::vector<RssItem>& items,
                     const FeedIdList& feeds, bool allChannels, bool alsoDescription);
    // One page of what SearchItems finds: `limit` items after the first `offset`, in the
    // same order. The index hands its rows newest first, so the first page of a common word
    // does not read every match.
    bool SearchItemsPage(const std::string& keyword, const FeedIdList& feeds, bool allChannels,
                         bool alsoDescription, int offset, int limit, std::vector<RssItem>& items);

    // --- The full-text index's build after an upgrade (search_index_build.h) -------------------
    // `build` says which item ids are still to be indexed; not pending when none are.
    bool GetSearchIndexBuild(SearchIndexBuild& build);
    // Indexes the next `maxItems` ids of the pending range in one transaction and says what is
    // left; the range's end is removed with its last batch.
    bool BuildSearchIndexBatch(int maxItems, SearchIndexBuild& build);
    // Deletes items of the listed channels dated more than `days` days before now (all of
    // them when `days` is 0); unread items only `includeUnread`. Negative days are refused.
    bool CleanFeeds(const FeedIdList& feeds, int days, bool includeUnread);
    // How many items CleanFeeds with the same arguments would delete now.
    bool CountCleanable(const FeedIdList& feeds, int days, bool includeUnread, int& count);

    // --- Favourites -------------------------------------------------------------------------
    bool AddFavouriteFolder(int& id);
    // The id the next favourite folder takes: above every id the table ever handed out, so
    // that a node whose row was removed by hand never shares its id with a new one. A favourites
    // tree writes the id into its file first and creates the row after (CreateFavouriteFolder).
    bool NextFavouriteFolderId(int& id);
    // Folder row `id` with `items` (oldest first), all or nothing; fails when the row exists.
    bool CreateFavouriteFolder(int id, const std::vector<RssItem>& items = {});
    // Creates folder row `id` when it is missing.
    bool EnsureFavouriteFolder(int id);
    // Copies a received (or staged) item into folder `folderId`.
    bool AddFavouriteFromItem(int itemId, bool fromStaging, int folderId);
    bool AddFavourite(int folderId, const std::string& link, const std::string& title,
                      const std::string& author, const std::string& description,
                      const std::string& date);
    bool AddFavourites(int folderId, const std::vector<RssItem>& items);
    // Newest first; records carry the folder id as channel id.
    bool ListFavourites(int folderId, bool withBody, std::vector<RssItem>& items);
    bool GetFavourite(int id, RssItem& item);
    bool GetFavouriteLink(int id, std::string& link);
    bool DeleteFavourite(int id);
    bool MoveFavourite(int folderId, int itemId);
    // Deletes the folder's items, then (if that worked) the folder.
    bool DeleteFavouriteFolder(int folderId);
    bool ClearFavouriteFolder(int folderId);
    // All or nothing.
    bool DeleteFavouriteFolders(const FeedIdList& folders);

private:
    // The staging insert of one item, shared by the merge and StageItems.
    static std::string StagingInsert(int channelId, const RssItem& item);
    // The insert of one favourite item, shared by AddFavourites and CreateFavouriteFolder.
    static std::string FavouriteInsert(int folderId, const RssItem& item);
    // Reads one full row of rss_data, rsstemp_data or rssfavorite_data.
    static RssItem ReadFullItem(const CppSQLite3Cursor& row, bool hasStateColumns);
};

}  // namespace zirvo
