#pragma once
// The texts of the feed store's list statements, shared by CRssStore and by the test that
// checks how SQLite plans them (a list must cost what it lists, not what the store holds).
//
// Threading: pure functions, any thread.

#include <string>

namespace zirvo {

// The condition a list filter (ItemFilter) adds after the channel condition, for example
// " AND item_read = 0"; false for a filter outside ItemFilter.
bool ItemFilterCondition(int filter, const char*& condition);

struct ItemOrder;

// The ORDER BY terms of a list order, for example "item_title COLLATE NOCASE ASC, item_id
// DESC": only texts of this table, never text from a caller. False for a key outside
// ItemSortKey.
bool ItemOrderTerms(const ItemOrder& order, std::string& terms);

// One page of channel `id` (ListItems), and the filter's total. The order must be valid
// (ItemOrderTerms); an invalid one lists newest first.
std::string ItemsPageStatement(int id, int filter, bool withBody, int offset, int count,
                               const ItemOrder& order);
std::string ItemsTotalStatement(int id, int filter);
// The folder list of the channels `ids` ("1,2,3"), capped at kFeedsItemsLimit.
std::string FeedsItemsStatement(const std::string& ids, int filter, const ItemOrder& order);
// The first unread items of every channel, capped at kFeedsItemsLimit.
std::string UnreadItemsStatement(const ItemOrder& order);

}  // namespace zirvo
