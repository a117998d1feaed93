// The thinned-out trigrams of the full-text index: every keyword of five characters or more
// keeps only trigrams that every text containing it keeps too (letter case of ASCII aside),
// whatever the text holds; the index they make finds exactly those texts; and it keeps about
// half of a text's trigrams.

#include "core/db/sparse_trigrams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/db/sqlite_connection.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

using test::TempDir;

// Pieces of text as feeds hold them: words in both cases, markup, digits, CJK, an emoji, a
// combining accent, and bytes that are not UTF-8 (a lone lead byte, a lone continuation byte).
const std::vector<std::string> kPieces = {
    "the",  "Water", "WATER", " ",    " ",        "<p>",   "</p>", "<a href=\"http://x.org/\">",
    "ing",  "2026",  "北京",  "天气", "预报",     "😀",     "é",    "e\xCC\x81",
    "\xE4", "\x80",  "'",     "\"",   "&amp;",    "Zebra", "tion", "q",
    "Q",    "ab",    "AB",    "\t",   "\xF0\x9F", "ÄÖÜ",   "x",    "ſ"};

std::string RandomText(std::mt19937& random, int pieces) {
    std::uniform_int_distribution<size_t> pick(0, kPieces.size() - 1);
    std::string text;
    for (int i = 0; i < pieces; ++i) {
        text += kPieces[pick(random)];
    }
    return text;
}

// `text` with the case of its ASCII letters changed at random.
std::string Recased(std::mt19937& random, std::string text) {
    std::bernoulli_distribution flip(0.5);
    for (char& c : text) {
        if (c >= 'a' && c <= 'z' && flip(random)) {
            c = static_cast<char>(c - 'a' + 'A');
        } else if (c >= 'A' && c <= 'Z' && flip(random)) {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// Every substring of 5 to 9 characters, cut where the index cuts characters.
std::vector<std::string> Keywords(const std::string& text) {
    const std::vector<std::string_view> chars = IndexCharacters(text);
    std::vector<std::string> keywords;
    for (size_t first = 0; first < chars.size(); ++first) {
        for (size_t count = 5; count <= 9 && first + count <= chars.size(); ++count) {
            std::string keyword;
            for (size_t c = first; c < first + count; ++c) {
                keyword += chars[c];
            }
            keywords.push_back(keyword);
        }
    }
    return keywords;
}

TEST(SparseTrigrams, EveryLongEnoughPieceOfATextKeepsOnlyWhatTheTextKeeps) {
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        const std::string text = RandomText(random, 4 + round % 40);
        const std::vector<std::string> kept = SparseTrigrams(text);
        const std::set<std::string> textTerms(kept.begin(), kept.end());
        for (const std::string& piece : Keywords(text)) {
            const std::string keyword = Recased(random, piece);
            const std::vector<std::string> terms = SparseTrigrams(keyword);
            ASSERT_FALSE(terms.empty()) << keyword;
            for (const std::string& term : terms) {
                ASSERT_TRUE(textTerms.count(term) == 1)
                    << "keyword '" << keyword << "' keeps '" << term << "', text '" << text
                    << "' does not";
            }
        }
    }
}

TEST(SparseTrigrams, FoldsOnlyAsciiCaseAndKeepsNothingOfShortTexts) {
    EXPECT_TRUE(SparseTrigrams("").empty());
    EXPECT_TRUE(SparseTrigrams("abcd").empty());
    EXPECT_TRUE(SparseTrigrams("北京天气").empty());
    EXPECT_EQ(SparseTrigrams("WATER"), SparseTrigrams("water"));
    EXPECT_EQ(SparseTrigrams("WaTeR"), SparseTrigrams("wAtEr"));
    // LIKE tells Ä from ä: so does the index.
    EXPECT_NE(SparseTrigrams("ÄÖÜ Ä"), SparseTrigrams("äöü ä"));
    for (const std::string& term : SparseTrigrams("Hello WORLD, 北京天气预报")) {
        EXPECT_EQ(term.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), std::string::npos) << term;
        EXPECT_EQ(IndexCharacters(term).size(), 3u) << term;
    }
    // A lone byte is a character of its own; a broken sequence does not swallow what follows.
    EXPECT_EQ(IndexCharacters("a\xE4"
                              "bc")
                  .size(),
              4u);
    EXPECT_EQ(IndexCharacters("\xE4\xB8\xAD").size(), 1u);
    EXPECT_EQ(IndexCharacters("\xE4\xB8x").size(), 3u);
}

TEST(SparseTrigrams, KeepsAboutHalfOfALongTextsTrigrams) {
    std::mt19937 random(11);
    const std::string text = RandomText(random, 3000);
    const std::vector<std::string_view> chars = IndexCharacters(text);
    std::set<std::string> all;
    for (size_t i = 0; i + 3 <= chars.size(); ++i) {
        all.insert(std::string(chars[i]) + std::string(chars[i + 1]) + std::string(chars[i + 2]));
    }
    const size_t kept = SparseTrigrams(text).size();
    EXPECT_GT(kept, all.size() / 4);
    EXPECT_LT(kept, all.size() * 3 / 5);
}

// Through FTS5: the tokenizer is there on every connection, a quoted query string is one
// term folded like the texts, and the index finds every text containing a keyword.
TEST(SparseTrigrams, IndexFindsEveryTextContainingAKeyword) {
    TempDir dir{"db-sparse-trigrams"};
    CppSQLite3Connection db;
    db.Open(dir.PathOf("fts.db"));
    db.ExecuteUpdate(
        "CREATE VIRTUAL TABLE f USING fts5(body, tokenize='sparse_trigram', detail='none');");
    std::mt19937 random(3);
    std::vector<std::string> texts;
    db.ExecuteUpdate("BEGIN;");
    for (int id = 1; id <= 200; ++id) {
        texts.push_back(RandomText(random, 6 + id % 30));
        std::string quoted;
        for (char c : texts.back()) {
            quoted += c;
            if (c == '\'') {
                quoted += '\'';
            }
        }
        db.ExecuteUpdate("INSERT INTO f (rowid, body) VALUES (" + std::to_string(id) + ", '" +
                         quoted + "');");
    }
    db.ExecuteUpdate("COMMIT;");
    std::uniform_int_distribution<size_t> pickText(0, texts.size() - 1);
    for (int round = 0; round < 300; ++round) {
        const size_t id = pickText(random);
        const std::vector<std::string> keywords = Keywords(texts[id]);
        if (keywords.empty()) {
            continue;
        }
        const std::string keyword = Recased(
            random,
            keywords[std::uniform_int_distribution<size_t>(0, keywords.size() - 1)(random)]);
        std::string query;
        for (const std::string& term : SparseTrigrams(keyword)) {
            query += (query.empty() ? "\"" : " AND \"");
            for (char c : Recased(random, term)) {
                query += c == '\''  ? std::string("''")
                         : c == '"' ? std::string("\"\"")
                                    : std::string(1, c);
            }
            query += '"';
        }
        std::set<int> found;
        for (CppSQLite3Cursor row =
                 db.ExecuteQuery("SELECT rowid FROM f WHERE f MATCH '" + query + "';");
             !row.AtEnd(); row.NextRow()) {
            found.insert(row.GetInt(0));
        }
        EXPECT_EQ(found.count(static_cast<int>(id) + 1), 1u) << keyword << " -> " << query;
    }
    EXPECT_NO_THROW(db.ExecuteUpdate("INSERT INTO f (f) VALUES ('integrity-check');"));
}

}  // namespace
}  // namespace zirvo
