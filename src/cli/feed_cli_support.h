#pragma once
// What the feed-reader commands of zirvo-cli share besides the core's reader session
// (core/session/reader_session.h): item records, filters and a guard that keeps an OPML file as
// it was when a command fails.
//
// Threading: the command's own (main) thread.

#include <optional>
#include <string>
#include <vector>

#include "cli_context.h"
#include "core/feeds/rss_store.h"
#include "core/session/reader_session.h"
#include "core/subscriptions/channel_tree.h"
#include "core/subscriptions/channel_tree_editor.h"

namespace zirvo::cli {

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
