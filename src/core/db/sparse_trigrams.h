#pragma once
// The terms of the items' full-text index: a thinned-out set of trigrams that still finds every
// text containing a keyword of five characters or more.
//
// A text is read as characters (UTF-8 sequences; a byte that does not start a well-formed one
// is a character of its own) with ASCII letters folded to lower case, as LIKE compares them;
// other characters stay as they are. Of every run of three consecutive trigrams (five
// characters) only the least one is kept, least by a fixed hash of its bytes (then by its
// bytes). Which trigram a run keeps depends on the run's own characters alone, so a keyword of
// five characters or more keeps, for each of its runs, a trigram that every text containing
// it keeps too; neighbouring runs mostly keep the same trigram, so a text keeps about half of
// its trigrams. Texts of fewer than five characters keep none.
//
// The tokenizer "sparse_trigram" gives these terms to FTS5; a quoted query string is one term
// as it stands (ASCII folded), so that a query names the terms SparseTrigrams gives for the
// keyword. It made the index of schema version 8, half the size of one of every trigram but
// slow for rare keywords of five characters (one common term each); version 9 went back to
// every trigram. Every connection still registers it when it opens (sqlite_connection.h): a
// table that names it cannot even be dropped without it.
//
// Threading: pure functions; the tokenizer keeps no state.

#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace zirvo {

inline constexpr const char* kSparseTrigramTokenizer = "sparse_trigram";
// The characters a keyword needs before its terms are sure to be in every text containing it.
inline constexpr size_t kSparseTrigramMinChars = 5;

// The bytes of the character at byte `i` of `text` as the index reads it: a well-formed UTF-8
// sequence, or 1.
size_t IndexCharLength(std::string_view text, size_t i);

// `text` split into characters as the index reads it.
std::vector<std::string_view> IndexCharacters(std::string_view text);

// The distinct kept trigrams of `text`, ASCII folded, in the order of their first place.
std::vector<std::string> SparseTrigrams(std::string_view text);

// Registers the tokenizer on `db`. False when the library has no FTS5.
bool RegisterSparseTrigramTokenizer(sqlite3* db);

}  // namespace zirvo
