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

// One page of channel `id` (ListItems), and the filter's total.
std::string ItemsPageStatement(int id, int filter, bool withBody, int offset, int count);
std::string ItemsTotalStatement(int id, int filter);
// The folder list of the channels `ids` ("1,2,3"), newest first, capped at kFeedsItemsLimit.
std::string FeedsItemsStatement(const std::string& ids, int filter);
// The newest unread items of every channel, capped at kFeedsItemsLimit.
std::string UnreadItemsStatement();

}  // namespace zirvo
