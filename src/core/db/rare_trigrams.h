#pragma once
// The terms of the items' full-text index without the commonest trigrams: every trigram of a
// text except those of a fixed table of the trigrams most items hold, and of every run of three
// consecutive trigrams that are all in the table, the least common one. A keyword is found
// through the terms it gives itself: every text containing it gives them too.
//
// A text is read as characters as SparseTrigrams reads it (sparse_trigrams.h): UTF-8 sequences,
// a byte that does not start a well-formed one a character of its own, ASCII letters folded to
// lower case as LIKE compares them. A trigram found in a third of all items narrows a search
// little but costs a byte per item holding it: the table's trigrams, which real feeds' items
// hold most, make about half of the postings of an index of every trigram. The runs keep a
// keyword of five characters or more searchable when it is made of table trigrams only: each
// of its runs keeps a trigram that every text containing the keyword keeps too. A keyword of
// three or four characters made only of table trigrams gives no terms.
//
// The tokenizer "rare_trigram" gives these terms to FTS5; a quoted query string is one term as
// it stands (ASCII folded).
//
// Threading: pure functions; the tokenizer keeps no state.

#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace zirvo {

inline constexpr const char* kRareTrigramTokenizer = "rare_trigram";

// The distinct terms `text` gives the index, ASCII folded, in the order of their first place.
// Those of a keyword are given by every text containing it; none when the keyword is shorter
// than three characters, or shorter than five and made of table trigrams only.
std::vector<std::string> RareTrigrams(std::string_view text);

// True when `trigram` (ASCII folded) is in the table of common trigrams.
bool IsCommonTrigram(std::string_view trigram);

// Registers the tokenizer on `db`. False when the library has no FTS5.
bool RegisterRareTrigramTokenizer(sqlite3* db);

}  // namespace zirvo
