#pragma once
// The full-text index of the items' titles and descriptions (rss_fts, an FTS5 table with the
// trigram tokenizer over rss_data, kept by triggers; see core/db/schema.h) and how a keyword
// search uses it without changing its results.
//
// The search's definition is the LIKE statement: an item matches when its title (or its
// description) contains the keyword, ASCII letters compared without case, '%' and '_' being
// wildcards. The index only narrows the rows that statement looks at: every trigram of the
// keyword must occur in the item (the index folds case at least as widely as LIKE does), and
// the LIKE test then decides on those rows alone. A keyword the index cannot narrow falls back
// to the plain statement: fewer than three characters, a wildcard in it, or bytes that are not
// UTF-8.
//
// Threading: pure functions; any thread.

#include <string>

namespace zirvo {

// Characters a keyword needs before the index is used (one trigram).
inline constexpr size_t kMinIndexedKeywordChars = 3;
// At most this many of the keyword's trigrams go into the query: more narrow little further.
inline constexpr size_t kMaxQueryTrigrams = 12;

// True when SearchItems answers `keyword` through the index.
bool SearchUsesIndex(const std::string& keyword);

// The FTS5 query for `keyword` (SearchUsesIndex true): its distinct trigrams, each a quoted
// string, joined by AND; spread over the whole keyword when there are more than
// kMaxQueryTrigrams.
std::string TrigramQuery(const std::string& keyword);

}  // namespace zirvo
