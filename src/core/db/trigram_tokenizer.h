#pragma once
// What the store's own FTS5 tokenizers have in common (sparse_trigrams.h, rare_trigrams.h):
// ASCII letters are folded to lower case, as LIKE compares them; a query string is one term as
// it stands, folded; a text gives the terms of its term walk, `Terms::ForEach(text, emit)`,
// which calls emit(term, begin, end) with byte offsets and stops when it returns false.
//
// Threading: the tokenizers keep no state; registration is per connection.

#include <sqlite3.h>

#include <algorithm>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace zirvo::trigram_tokenizer {

inline char FoldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The distinct terms of `text`, in the order of their first place.
template <typename Terms>
std::vector<std::string> DistinctTerms(std::string_view text) {
    std::vector<std::string> terms;
    Terms::ForEach(text, [&](std::string_view term, size_t, size_t) {
        if (std::find(terms.begin(), terms.end(), term) == terms.end()) {
            terms.emplace_back(term);
        }
        return true;
    });
    return terms;
}

template <typename Terms>
struct Tokenizer {
    // No settings: every table shares one instance.
    static int Create(void*, const char**, int, Fts5Tokenizer** out) {
        static char instance;
        *out = reinterpret_cast<Fts5Tokenizer*>(&instance);
        return SQLITE_OK;
    }

    static void Delete(Fts5Tokenizer*) {}

    static int Tokenize(Fts5Tokenizer*, void* context, int flags, const char* text, int size,
                        int (*token)(void*, int, const char*, int, int, int)) {
        if (text == nullptr || size <= 0) {
            return SQLITE_OK;
        }
        const std::string_view input(text, static_cast<size_t>(size));
        try {
            if ((flags & FTS5_TOKENIZE_QUERY) != 0) {
                std::string term(input);
                std::transform(term.begin(), term.end(), term.begin(), FoldAscii);
                return token(context, 0, term.data(), size, 0, size);
            }
            int rc = SQLITE_OK;
            Terms::ForEach(input, [&](std::string_view term, size_t begin, size_t end) {
                rc = token(context, 0, term.data(), static_cast<int>(term.size()),
                           static_cast<int>(begin), static_cast<int>(end));
                return rc == SQLITE_OK;
            });
            return rc;
        } catch (const std::bad_alloc&) {
            return SQLITE_NOMEM;
        }
    }
};

// Registers the tokenizer of `Terms` as `name` on `db`. False when the library has no FTS5.
template <typename Terms>
bool Register(sqlite3* db, const char* name) {
    fts5_api* api = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1);", -1, &statement, nullptr) == SQLITE_OK) {
        sqlite3_bind_pointer(statement, 1, static_cast<void*>(&api), "fts5_api_ptr", nullptr);
        sqlite3_step(statement);
    }
    sqlite3_finalize(statement);
    if (api == nullptr || api->iVersion < 2) {
        return false;
    }
    static fts5_tokenizer tokenizer = {Tokenizer<Terms>::Create, Tokenizer<Terms>::Delete,
                                       Tokenizer<Terms>::Tokenize};
    return api->xCreateTokenizer(api, name, nullptr, &tokenizer, nullptr) == SQLITE_OK;
}

}  // namespace zirvo::trigram_tokenizer
