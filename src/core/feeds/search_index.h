#pragma once
// The full-text index of the items' titles and descriptions (rss_fts, an FTS5 table with the
// sparse trigram tokenizer over rss_data, kept by triggers; see core/db/schema.h and
// core/db/sparse_trigrams.h) and how a keyword search uses it without changing its results.
//
// The search's definition is the LIKE statement: an item matches when its title (or its
// description) contains the keyword, ASCII letters compared without case, '%' and '_' being
// wildcards. The index only narrows the rows that statement looks at: the trigrams the index keeps
// for the keyword must occur in the item (folded as LIKE folds case), and the LIKE test then
// decides on those rows alone. A keyword the index cannot narrow falls back to the plain
// statement: fewer than five characters (the index keeps nothing sure to be in every text
// containing a shorter one), a wildcard in it, or bytes that are not UTF-8.
//
// Threading: pure functions; any thread.

#include <string>

#include "core/db/sparse_trigrams.h"

namespace zirvo {

// Characters a keyword needs before the index is used.
inline constexpr size_t kMinIndexedKeywordChars = kSparseTrigramMinChars;
// At most this many of the keyword's trigrams go into the query: more narrow little further.
inline constexpr size_t kMaxQueryTrigrams = 12;

// True when SearchItems answers `keyword` through the index.
bool SearchUsesIndex(const std::string& keyword);

// The FTS5 query for `keyword` (SearchUsesIndex true): the distinct trigrams the index keeps
// for it, each a quoted string, joined by AND; spread over the whole keyword when there are
// more than kMaxQueryTrigrams. Empty when SearchUsesIndex is false.
std::string TrigramQuery(const std::string& keyword);

}  // namespace zirvo
