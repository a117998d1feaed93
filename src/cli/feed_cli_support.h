#pragma once
// What the feed-reader commands of zirvo-cli share besides the core's reader session
// (core/session/reader_session.h): item records and filters.
//
// Threading: the command's own (main) thread.

#include <string>
#include <vector>

#include "cli_context.h"
#include "core/feeds/rss_store.h"
#include "core/session/reader_session.h"
#include "core/subscriptions/channel_tree.h"
#include "core/subscriptions/channel_tree_editor.h"

namespace zirvo::cli {

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
