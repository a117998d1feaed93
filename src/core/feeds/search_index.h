#pragma once
// The full-text index of the items' titles and descriptions (rss_fts, an FTS5 table with the
// rare trigram tokenizer over rss_data, kept by triggers; see core/db/schema.h and
// core/db/rare_trigrams.h), the same of the titles alone for searches of titles only
// (rss_title_fts), and how a keyword search uses them without changing its results.
//
// The search's definition is the LIKE statement: an item matches when its title (or its
// description) contains the keyword, ASCII letters compared without case, '%' and '_' being
// wildcards. The index only narrows the rows that statement looks at: every term the keyword
// gives the index must occur in the item (the index folds ASCII case as LIKE does), and the LIKE
// test then decides on those rows alone. A keyword the index cannot narrow falls back to the
// plain statement: fewer than three characters, a wildcard in it, bytes that are not UTF-8, or
// no term (three or four characters of common trigrams only, found in many items anyway).
//
// Threading: pure functions; any thread.

#include <string>

namespace zirvo {

// Characters a keyword needs before the index is used (one trigram).
inline constexpr size_t kMinIndexedKeywordChars = 3;
// At most this many of the keyword's terms go into the query: more narrow little further.
inline constexpr size_t kMaxQueryTrigrams = 12;

// True when SearchItems answers `keyword` through the index.
bool SearchUsesIndex(const std::string& keyword);

// The FTS5 query for `keyword` (SearchUsesIndex true): the distinct terms it gives the index
// (RareTrigrams), each a quoted string, joined by AND; spread over the whole keyword when there
// are more than kMaxQueryTrigrams.
std::string TrigramQuery(const std::string& keyword);

}  // namespace zirvo
