// The index's terms without the commonest trigrams: every keyword gives only terms that every
// text containing it gives too (letter case of ASCII aside), whatever the text holds; keywords of
// five characters or more always give some; the index they make finds exactly those texts; and
// real text gives fewer terms than it has trigrams.

#include "core/db/rare_trigrams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/db/sparse_trigrams.h"
#include "core/db/sqlite_connection.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

using test::TempDir;

// Pieces of text as feeds hold them: common words and markup (whose trigrams are in the table),
// rarer words in both cases, digits, CJK, an emoji, a combining accent, and bytes that are not
// UTF-8 (a lone lead byte, a lone continuation byte).
const std::vector<std::string> kPieces = {
    "the",   "ent",       " com",     "ing",  "<a href=\"https://www.",
    "\">",   "</a>",      " ",        "tion", "Water",
    "WATER", "2026",      "北京",     "天气", "😀",
    "é",     "e\xCC\x81", "\xE4",     "\x80", "'",
    "\"",    "&amp;",     "Zebra",    "q",    "Q",
    "ab",    "\t",        "\xF0\x9F", "ÄÖÜ",  "x",
    "ſ",     "img src=\""};

std::string RandomText(std::mt19937& random, int pieces) {
    std::uniform_int_distribution<size_t> pick(0, kPieces.size() - 1);
    std::string text;
    for (int i = 0; i < pieces; ++i) {
        text += kPieces[pick(random)];
    }
    return text;
}

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

// Every substring of `least` to 9 characters, cut where the index cuts characters.
std::vector<std::string> Keywords(const std::string& text, size_t least) {
    const std::vector<std::string_view> chars = IndexCharacters(text);
    std::vector<std::string> keywords;
    for (size_t first = 0; first < chars.size(); ++first) {
        for (size_t count = least; count <= 9 && first + count <= chars.size(); ++count) {
            std::string keyword;
            for (size_t c = first; c < first + count; ++c) {
                keyword += chars[c];
            }
            keywords.push_back(keyword);
        }
    }
    return keywords;
}

TEST(RareTrigrams, EveryPieceOfATextGivesOnlyWhatTheTextGives) {
    std::mt19937 random(7);
    size_t shortWithout = 0;
    for (int round = 0; round < 300; ++round) {
        const std::string text = RandomText(random, 2 + round % 40);
        const std::vector<std::string> given = RareTrigrams(text);
        const std::set<std::string> textTerms(given.begin(), given.end());
        for (const std::string& piece : Keywords(text, 3)) {
            const std::string keyword = Recased(random, piece);
            const std::vector<std::string> terms = RareTrigrams(keyword);
            if (IndexCharacters(keyword).size() >= 5) {
                ASSERT_FALSE(terms.empty()) << keyword;
            } else if (terms.empty()) {
                ++shortWithout;
            }
            for (const std::string& term : terms) {
                ASSERT_TRUE(textTerms.count(term) == 1)
                    << "keyword '" << keyword << "' gives '" << term << "', text '" << text
                    << "' does not";
            }
        }
    }
    // Short keywords of table trigrams only are there in such texts: the search reads them
    // without the index.
    EXPECT_GT(shortWithout, 0u);
}

TEST(RareTrigrams, LeavesOutTheTableButKeepsEveryOtherTrigram) {
    EXPECT_TRUE(IsCommonTrigram("the"));
    EXPECT_TRUE(IsCommonTrigram("ing"));
    EXPECT_TRUE(IsCommonTrigram("://"));
    EXPECT_FALSE(IsCommonTrigram("THE"));  // the table is folded, and so are the terms
    EXPECT_FALSE(IsCommonTrigram("zqx"));
    EXPECT_TRUE(RareTrigrams("").empty());
    EXPECT_TRUE(RareTrigrams("ab").empty());
    EXPECT_TRUE(RareTrigrams("the").empty());
    EXPECT_TRUE(RareTrigrams("THE").empty());
    EXPECT_EQ(RareTrigrams("zqx"), std::vector<std::string>{"zqx"});
    EXPECT_EQ(RareTrigrams("Zebra"), RareTrigrams("zEBRA"));
    // LIKE tells Ä from ä: so does the index.
    EXPECT_NE(RareTrigrams("ÄÖÜ"), RareTrigrams("äöü"));
    // A run of three table trigrams keeps one of them, the same wherever the run is.
    const std::string run = "<a href=\"https://www.";
    for (size_t i = 0; i + 5 <= run.size(); ++i) {
        const std::string keyword = run.substr(i, 5);
        std::vector<std::string> all;
        for (size_t k = 0; k < 3; ++k) {
            all.push_back(keyword.substr(k, 3));
        }
        if (IsCommonTrigram(all[0]) && IsCommonTrigram(all[1]) && IsCommonTrigram(all[2])) {
            const std::vector<std::string> terms = RareTrigrams(keyword);
            ASSERT_EQ(terms.size(), 1u) << keyword;
            EXPECT_NE(std::find(all.begin(), all.end(), terms[0]), all.end()) << keyword;
        }
    }
    for (const std::string& term : RareTrigrams("Hello WORLD, 北京天气预报")) {
        EXPECT_EQ(term.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), std::string::npos) << term;
        EXPECT_EQ(IndexCharacters(term).size(), 3u) << term;
    }
}

TEST(RareTrigrams, EnglishTextGivesFewerTermsThanItHasTrigrams) {
    const std::string text =
        "<p>The committee presented its report on the water supply of the city, with a "
        "recommendation that the new treatment plant be <a href=\"https://www.example.com/"
        "report.html\">opened in the spring</a>.</p><p><img src=\"https://www.example.com/"
        "plant.jpg\" alt=\"\" /></p>";
    const std::vector<std::string_view> chars = IndexCharacters(text);
    std::set<std::string> all;
    for (size_t i = 0; i + 3 <= chars.size(); ++i) {
        std::string trigram;
        for (size_t c = i; c < i + 3; ++c) {
            for (char byte : chars[c]) {
                trigram += static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte);
            }
        }
        all.insert(trigram);
    }
    const size_t given = RareTrigrams(text).size();
    EXPECT_LT(given, all.size() * 4 / 5);
    EXPECT_GT(given, all.size() / 4);
}

// Through FTS5: the tokenizer is there on every connection, a quoted query string is one term
// folded like the texts, and the index finds every text containing a keyword.
TEST(RareTrigrams, IndexFindsEveryTextContainingAKeyword) {
    TempDir dir{"db-rare-trigrams"};
    CppSQLite3Connection db;
    db.Open(dir.PathOf("fts.db"));
    db.ExecuteUpdate(
        "CREATE VIRTUAL TABLE f USING fts5(body, tokenize='rare_trigram', detail='none');");
    std::mt19937 random(3);
    std::vector<std::string> texts;
    db.ExecuteUpdate("BEGIN;");
    for (int id = 1; id <= 200; ++id) {
        texts.push_back(RandomText(random, 4 + id % 30));
        std::string quoted;
        for (char c : texts.back()) {
            quoted += c == '\'' ? std::string("''") : std::string(1, c);
        }
        db.ExecuteUpdate("INSERT INTO f (rowid, body) VALUES (" + std::to_string(id) + ", '" +
                         quoted + "');");
    }
    db.ExecuteUpdate("COMMIT;");
    std::uniform_int_distribution<size_t> pickText(0, texts.size() - 1);
    int searched = 0;
    for (int round = 0; round < 300; ++round) {
        const size_t id = pickText(random);
        const std::vector<std::string> keywords = Keywords(texts[id], 3);
        if (keywords.empty()) {
            continue;
        }
        const std::string keyword = Recased(
            random,
            keywords[std::uniform_int_distribution<size_t>(0, keywords.size() - 1)(random)]);
        std::string query;
        for (const std::string& term : RareTrigrams(keyword)) {
            query += (query.empty() ? "\"" : " AND \"");
            for (char c : Recased(random, term)) {
                query += c == '\''  ? std::string("''")
                         : c == '"' ? std::string("\"\"")
                                    : std::string(1, c);
            }
            query += '"';
        }
        if (query.empty()) {
            continue;
        }
        ++searched;
        std::set<int> found;
        for (CppSQLite3Cursor row =
                 db.ExecuteQuery("SELECT rowid FROM f WHERE f MATCH '" + query + "';");
             !row.AtEnd(); row.NextRow()) {
            found.insert(row.GetInt(0));
        }
        EXPECT_EQ(found.count(static_cast<int>(id) + 1), 1u) << keyword << " -> " << query;
    }
    EXPECT_GT(searched, 200);
    EXPECT_NO_THROW(db.ExecuteUpdate("INSERT INTO f (f) VALUES ('integrity-check');"));
}

}  // namespace
}  // namespace zirvo
