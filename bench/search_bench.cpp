// Keyword search over a big feed store: 1,000,000 items in 100 channels (ZIRVO_BENCH_ITEMS
// changes the count), made as the items of real feeds are (bench/search_corpus.py measures those
// of tests/data and the shared corpus): titles of 5 to 12 words, links naming the title, an
// author in two items of three, and HTML descriptions in seven of ten, as long as the corpus's
// are (from a few words to 18 KB, half of them under 460 bytes, 2 KB on average). The words are
// real English words (Debian's wamerican, /usr/share/dict/words), drawn with the skewed
// frequencies of real text over a fixed shuffled order; without the dictionary the bench warns
// and uses made-up words instead. The store is made once and kept under /tmp
// (zirvo-search-bench-N-v6) for later runs, since making it takes minutes; remove the folder to
// make it again.
//
// Printed when the store is made: its size, what the full-text index adds to it (bytes of its
// tables over the bytes of everything else), the same after the index's segments are merged
// into one ('optimize'); then the same items of made-up words (the vocabulary of earlier
// versions, whose trigrams are far more varied than real words') and what the index adds to
// them, for comparison (that store is removed again). Beside the store, in files of their own
// made once too, other indexes of the same items and their share: the sparse trigrams of schema
// version 8 (sparse-trigram.db: half the size of every trigram, but a keyword of five characters
// is one term in it), every trigram but the commonest of real feeds (rare-trigram.db,
// core/db/rare_trigrams.h), and the same of the titles alone (rare-title-trigram.db, for the
// searches of titles only).
//
// The benchmarks: the first page (50 results) and the whole result of a search for a five-letter
// word, through the store (its index), through the other two indexes (their queries: the terms
// they give for the keyword; the LIKE statement when none) and through the plain LIKE statement
// the index must match, titles only and with descriptions; and the first page of 40 more rare
// words, and of 80 keywords of three and four letters (their beginnings), one after another
// (counters "mean" and "slowest" in ms).
//
// Run a Release build: search_bench [--benchmark_filter=...] [--benchmark_repetitions=5]

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/db/rare_trigrams.h"
#include "core/db/sparse_trigrams.h"
#include "core/db/sqlite_connection.h"
#include "core/feeds/rss_store.h"
#include "core/feeds/search_index.h"
#include "core/feeds/search_index_build.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

constexpr int kChannels = 100;
constexpr int kPageSize = 50;
constexpr int kRowsPerStatement = 500;
constexpr unsigned kSeed = 20261208;
// The searched words: a common one (in about one title of ten) and a rare one of the long tail
// (picked from the vocabulary at rank kRareRank or after), both of five letters.
constexpr const char* kCommonWord = "water";
constexpr size_t kRareRank = 25000;
// How many more words of the long tail BM_SearchIndexedTail searches for, one after another.
constexpr size_t kTailWords = 40;
// Real English words (Debian's wamerican); without it the made-up words of earlier versions.
constexpr const char* kDictionary = "/usr/share/dict/words";

// What the items of the feeds in tests/data and the shared corpus give (bench/search_corpus.py
// measures them): a description in 70% of the items, an author in 65% (14 bytes), titles of
// about 8 words, links of about 80 bytes naming the title, and descriptions whose lengths
// spread as below, with one address (a link) per 43 words of text.
constexpr double kDescriptionShare = 0.70;
constexpr double kAuthorShare = 0.65;
// The lengths of the descriptions given, in bytes: the value at each tenth of them (and the
// 95th hundredth), smallest to largest.
constexpr std::array<std::pair<double, double>, 12> kDescriptionBytes = {{{0.0, 6},
                                                                          {0.1, 23},
                                                                          {0.2, 190},
                                                                          {0.3, 266},
                                                                          {0.4, 321},
                                                                          {0.5, 460},
                                                                          {0.6, 737},
                                                                          {0.7, 1049},
                                                                          {0.8, 2343},
                                                                          {0.9, 6345},
                                                                          {0.95, 11102},
                                                                          {1.0, 18419}}};

int ItemCount() {
    const char* text = std::getenv("ZIRVO_BENCH_ITEMS");
    const int count = text != nullptr ? std::atoi(text) : 0;
    return count > 0 ? count : 1000000;
}

// The commonest words of English (and a few Chinese ones), the head of every vocabulary.
std::vector<std::string> CommonWords() {
    return {"the",    "of",      "and",     "to",     "in",      "a",       "is",      "that",
            "for",    "it",      "as",      "was",    "with",    "be",      "by",      "on",
            "not",    "he",      "this",    "are",    "or",      "his",     "from",    "at",
            "which",  "but",     "have",    "an",     "had",     "they",    "you",     "were",
            "their",  "one",     "all",     "we",     "can",     "her",     "has",     "there",
            "been",   "if",      "more",    "when",   "will",    "would",   "who",     "so",
            "no",     "new",     "people",  "time",   "year",    "world",   "state",   "water",
            "house",  "game",    "music",   "light",  "power",   "story",   "point",   "group",
            "market", "company", "system",  "school", "family",  "report",  "service", "program",
            "city",   "news",    "release", "update", "version", "feature", "design",  "open",
            "source", "project", "data",    "server", "browser", "linux",   "video",   "photo",
            "北京",   "上海",    "天气",    "新闻",   "博客",    "软件",    "开源",    "发布"};
}

// The dictionary's words of ASCII letters (names too: feeds are full of them), in a fixed
// shuffled order so that how often a word comes does not follow the alphabet. Empty without
// the dictionary.
std::vector<std::string> DictionaryWords(const std::set<std::string>& common) {
    std::vector<std::string> words;
    std::ifstream file(kDictionary);
    for (std::string word; std::getline(file, word);) {
        const bool letters = !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        });
        if (letters && common.count(word) == 0) {
            words.push_back(word);
        }
    }
    std::mt19937 random(kSeed);
    for (size_t i = words.size(); i > 1; --i) {
        std::swap(words[i - 1], words[random() % i]);
    }
    return words;
}

// Words of letters drawn one by one with English letter frequencies: their trigrams are far
// more varied than real words' (the vocabulary of earlier versions, kept for comparison).
std::vector<std::string> MadeUpWords(std::set<std::string>& seen) {
    std::mt19937 random(kSeed);
    const std::string letters = "etaoinshrdlcumwfgypbvkjxqz";
    const std::vector<double> weights = {12,  9,   8,   7.5, 7,   6.3, 6.3, 6,  6,
                                         4.3, 4,   2.8, 2.8, 2.4, 2.4, 2.2, 2,  2,
                                         1.9, 1.5, 1,   0.8, 0.2, 0.2, 0.1, 0.1};
    std::discrete_distribution<size_t> letter(weights.begin(), weights.end());
    std::uniform_int_distribution<int> length(4, 10);
    std::vector<std::string> words;
    while (words.size() + seen.size() < 30000) {
        std::string word;
        for (int n = length(random); n > 0; --n) {
            word += letters[letter(random)];
        }
        if (seen.insert(word).second) {
            words.push_back(word);
        }
    }
    return words;
}

// Common words first (the most frequent), then the long tail.
std::vector<std::string> Vocabulary(bool realWords) {
    std::vector<std::string> words = CommonWords();
    std::set<std::string> seen(words.begin(), words.end());
    const std::vector<std::string> tail = realWords ? DictionaryWords(seen) : MadeUpWords(seen);
    words.insert(words.end(), tail.begin(), tail.end());
    return words;
}

bool HaveDictionary() {
    std::ifstream file(kDictionary);
    return file.good();
}

class CItemMaker {
public:
    explicit CItemMaker(bool realWords) : m_random(kSeed + 1), m_words(Vocabulary(realWords)) {
        // Zipf-like: word k is about 1/k as frequent as the first.
        std::vector<double> weights;
        for (size_t k = 0; k < m_words.size(); ++k) {
            weights.push_back(1.0 / static_cast<double>(k + 1));
        }
        m_pick = std::discrete_distribution<size_t>(weights.begin(), weights.end());
        std::vector<double> bounds;
        std::vector<double> shares;
        for (const auto& [share, bytes] : kDescriptionBytes) {
            bounds.push_back(bytes);
        }
        // Between two measured points the lengths spread evenly.
        for (size_t k = 1; k < kDescriptionBytes.size(); ++k) {
            shares.push_back(kDescriptionBytes[k].first - kDescriptionBytes[k - 1].first);
        }
        m_descriptionBytes = std::piecewise_constant_distribution<double>(
            bounds.begin(), bounds.end(), shares.begin());
    }

    std::string Title() { return Text(m_titleWords(m_random)); }

    // An item's or a paragraph's address: site, date, the first words of its title.
    std::string Link(int channel, int item, const std::string& title) {
        std::string slug;
        size_t words = 0;
        for (char c : title) {
            if (c == ' ') {
                if (++words == 6) {
                    break;
                }
                slug += '-';
            } else {
                slug += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            }
        }
        return StrFormat("http://www.site%d.example.com/%d/%02d/%s-%d.html", channel,
                         2000 + item % 20, 1 + item % 12, slug.c_str(), item);
    }

    std::string Author(int channel) {
        return m_share(m_random) < kAuthorShare ? StrFormat("Author Name %d", channel) : "";
    }

    // Paragraphs of text with an emphasised word and a link each, up to a length the corpus's
    // descriptions have; none for 30% of the items.
    std::string Description(int channel, int item) {
        if (m_share(m_random) >= kDescriptionShare) {
            return {};
        }
        const auto target = static_cast<size_t>(m_descriptionBytes(m_random));
        std::string text;
        for (int paragraph = 0; text.size() < target; ++paragraph) {
            text += "<p>";
            const int words = m_paragraphWords(m_random);
            for (int w = 0; w < words && text.size() < target; ++w) {
                text += w == 0 ? "" : " ";
                text += w == 2 ? "<strong>" + Any() + "</strong>" : Any();
            }
            if (text.size() < target) {
                const std::string anchor = Text(3);
                text += " <a href=\"" + Link(channel, item * 100 + paragraph, anchor) + "\">" +
                        anchor + "</a>.";
            }
            text += "</p>\n";
        }
        return text;
    }

private:
    std::string Text(int count) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += i == 0 ? "" : " ";
            text += Any();
        }
        return text;
    }

    const std::string& Any() { return m_words[m_pick(m_random)]; }

    std::mt19937 m_random;
    std::vector<std::string> m_words;
    std::discrete_distribution<size_t> m_pick;
    std::piecewise_constant_distribution<double> m_descriptionBytes;
    std::uniform_real_distribution<double> m_share{0.0, 1.0};
    std::uniform_int_distribution<int> m_titleWords{5, 12};
    std::uniform_int_distribution<int> m_paragraphWords{20, 66};
};

long long Scalar(CppSQLite3Connection& db, const std::string& sql) {
    CppSQLite3Cursor row = db.ExecuteQuery(sql);
    return row.AtEnd() ? 0 : std::atoll(row.GetText(0).c_str());
}

void MakeStore(const std::string& root, int items, bool realWords) {
    std::filesystem::create_directories(root + "/Storage");
    {
        CRssStore store(root);
        if (!store.Open()) {
            std::fprintf(stderr, "open: %s\n", store.GetLastError().c_str());
            std::exit(1);
        }
        int id = 0;
        for (int channel = 1; channel <= kChannels; ++channel) {
            store.AddFeed(StrFormat("http://site%d.example.com/feed.xml", channel), id);
        }
    }
    CItemMaker maker(realWords);
    CppSQLite3Connection db;
    db.Open(root + "/Storage/rss.db");
    db.ExecuteUpdate("BEGIN;");
    std::string sql;
    for (int i = 1; i <= items; ++i) {
        const int channel = i % kChannels + 1;
        const std::string title = maker.Title();
        const std::string description = maker.Description(channel, i);
        sql += sql.empty() ? "INSERT INTO rss_data (item_feedid, item_new, item_read, item_link, "
                             "item_title, item_author, item_description, item_pubDate) VALUES "
                           : ",";
        sql += StrFormat("(%d, 0, 1, '%s', '%s', '%s', '%s', '2006-01-05 08:30:00')", channel,
                         CSQLiteStore::Quoted(maker.Link(channel, i, title)).c_str(),
                         CSQLiteStore::Quoted(title).c_str(),
                         CSQLiteStore::Quoted(maker.Author(channel)).c_str(),
                         CSQLiteStore::Quoted(description).c_str());
        if (i % kRowsPerStatement == 0 || i == items) {
            db.ExecuteUpdate(sql + ";");
            sql.clear();
        }
        if (i % 100000 == 0) {
            db.ExecuteUpdate("COMMIT; BEGIN;");
            std::fprintf(stderr, "made %d items\n", i);
        }
    }
    db.ExecuteUpdate("COMMIT;");
    db.ExecuteUpdate("PRAGMA wal_checkpoint(TRUNCATE);");
}

// Every distinct trigram of `keyword`, the terms of FTS5's own trigram tokenizer.
std::vector<std::string> EveryTrigram(std::string_view keyword) {
    const std::vector<std::string_view> chars = IndexCharacters(keyword);
    std::vector<std::string> trigrams;
    for (size_t i = 0; i + 3 <= chars.size(); ++i) {
        std::string trigram =
            std::string(chars[i]) + std::string(chars[i + 1]) + std::string(chars[i + 2]);
        if (std::find(trigrams.begin(), trigrams.end(), trigram) == trigrams.end()) {
            trigrams.push_back(std::move(trigram));
        }
    }
    return trigrams;
}

// The indexes the store's is compared with, each over the same items in a file of its own next
// to the store: every trigram (the index of schema version 9), the sparse trigrams of version 8
// (half of every trigram: a keyword of five characters is one term in it), and every trigram
// but the commonest of real feeds (core/db/rare_trigrams.h, the index of version 10) of titles
// and descriptions and of the titles alone.
struct CAlternative {
    const char* name;
    const char* file;
    const char* tokenizer;
    std::vector<std::string> (*terms)(std::string_view);
    bool titlesOnly;
};
const std::array<CAlternative, 4> kAlternatives = {{
    {"every trigram", "every-trigram.db", "trigram", EveryTrigram, false},
    {"sparse trigrams", "sparse-trigram.db", kSparseTrigramTokenizer, SparseTrigrams, false},
    {"rare trigrams", "rare-trigram.db", kRareTrigramTokenizer, RareTrigrams, false},
    {"rare trigrams of the titles", "rare-title-trigram.db", kRareTrigramTokenizer, RareTrigrams,
     true},
}};

std::string AlternativeFile(const std::string& root, const CAlternative& alternative) {
    return root + "/" + alternative.file;
}

// Bytes of the store that are not its full-text index.
long long RestOfStore(CppSQLite3Connection& db) {
    return Scalar(db, "SELECT SUM(pgsize) FROM dbstat WHERE name NOT LIKE 'rss_%fts%';");
}

// What the full-text index adds to the store at `root`, as received and merged.
void ReportSizes(const std::string& root, const char* words) {
    CppSQLite3Connection db;
    db.Open(root + "/Storage/rss.db");
    auto report = [&](const char* when) {
        const long long total = Scalar(db, "SELECT SUM(pgsize) FROM dbstat;");
        const long long index =
            Scalar(db, "SELECT SUM(pgsize) FROM dbstat WHERE name LIKE 'rss_%fts%';");
        const long long rest = total - index;
        std::fprintf(stderr,
                     "%s, %s: store %.1f MB, full-text index %.1f MB = %.1f%% of the rest (%.1f "
                     "MB)\n",
                     words, when, static_cast<double>(total) / 1e6,
                     static_cast<double>(index) / 1e6,
                     100.0 * static_cast<double>(index) / static_cast<double>(rest),
                     static_cast<double>(rest) / 1e6);
    };
    report("as received");
    db.ExecuteUpdate("INSERT INTO rss_fts (rss_fts) VALUES ('optimize');");
    db.ExecuteUpdate("PRAGMA wal_checkpoint(TRUNCATE);");
    db.ExecuteUpdate("VACUUM;");
    report("index merged");
}

// Makes the compared index of the store's items unless it is there, and tells its size.
void MakeAlternative(const std::string& root, const CAlternative& alternative) {
    const std::string file = AlternativeFile(root, alternative);
    if (std::filesystem::exists(file)) {
        return;
    }
    const std::string part = file + ".part";
    std::error_code ec;
    std::filesystem::remove(part, ec);
    CppSQLite3Connection db;
    db.Open(root + "/Storage/rss.db");
    db.ExecuteUpdate("ATTACH '" + part + "' AS other;");
    const char* columns = alternative.titlesOnly ? "item_title" : "item_title, item_description";
    db.ExecuteUpdate(
        StrFormat("CREATE VIRTUAL TABLE other.trigrams USING fts5(%s, content='', tokenize='%s', "
                  "detail='none', columnsize=0);",
                  columns, alternative.tokenizer));
    db.ExecuteUpdate(
        StrFormat("INSERT INTO other.trigrams (rowid, %s) SELECT item_id, %s FROM rss_data;",
                  columns, columns));
    db.ExecuteUpdate("INSERT INTO other.trigrams (trigrams) VALUES ('optimize');");
    db.ExecuteUpdate("VACUUM other;");
    db.ExecuteUpdate("DETACH other;");
    std::filesystem::rename(part, file);
    const auto size = static_cast<double>(std::filesystem::file_size(file));
    const auto rest = static_cast<double>(RestOfStore(db));
    std::fprintf(stderr, "%s, merged: index %.1f MB = %.1f%% of the rest\n", alternative.name,
                 size / 1e6, 100.0 * size / rest);
}

// The query of a compared index: the terms it gives for the keyword (at most
// kMaxQueryTrigrams, spread over the keyword); empty when it gives none.
std::string AlternativeQuery(const CAlternative& alternative, const std::string& keyword) {
    const std::vector<std::string> terms = alternative.terms(keyword);
    const size_t count = std::min(terms.size(), kMaxQueryTrigrams);
    std::string query;
    for (size_t k = 0; k < count; ++k) {
        std::string quoted;
        for (char c : terms[count == 1 ? 0 : k * (terms.size() - 1) / (count - 1)]) {
            quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        }
        query += (query.empty() ? "\"" : " AND \"") + quoted + "\"";
    }
    return query;
}

class CBenchData {
public:
    CBenchData() : m_items(ItemCount()) {
        const bool realWords = HaveDictionary();
        if (!realWords) {
            std::fprintf(stderr,
                         "warning: no %s (Debian: apt-get install wamerican); the items are made "
                         "of made-up words, whose trigrams are far more varied than real ones'\n",
                         kDictionary);
        }
        m_root = StrFormat("/tmp/zirvo-search-bench-%d-v6%s", m_items, realWords ? "" : "-made-up");
        const std::string done = m_root + "/complete";
        if (!std::filesystem::exists(done)) {
            std::error_code ec;
            std::filesystem::remove_all(m_root, ec);
            std::fprintf(stderr, "making %d items under %s (once)\n", m_items, m_root.c_str());
            MakeStore(m_root, m_items, realWords);
            ReportSizes(m_root, realWords ? "real words" : "made-up words");
            if (realWords) {
                // The same items of made-up words beside them, as earlier versions made them.
                const std::string other = m_root + "/made-up";
                MakeStore(other, m_items, false);
                ReportSizes(other, "made-up words");
                std::filesystem::remove_all(other, ec);
            }
            std::FILE* marker = std::fopen(done.c_str(), "w");
            if (marker != nullptr) {
                std::fclose(marker);
            }
        }
        for (const CAlternative& alternative : kAlternatives) {
            MakeAlternative(m_root, alternative);
        }
        UpgradeStore();
        const std::vector<std::string> words = Vocabulary(realWords);
        for (size_t k = kRareRank; k < words.size(); ++k) {
            if (words[k].size() == 5) {
                if (m_rareWord.empty()) {
                    m_rareWord = words[k];
                } else if (m_tailWords.size() < kTailWords) {
                    m_tailWords.push_back(words[k]);
                    for (size_t length : {3, 4}) {
                        m_shortKeywords.push_back(words[k].substr(0, length));
                    }
                }
            }
        }
        CppSQLite3Connection db;
        db.Open(m_root + "/Storage/rss.db");
        std::fprintf(stderr, "%lld items\n", Scalar(db, "SELECT COUNT(*) FROM rss_data;"));
        for (const std::string& word : {std::string(kCommonWord), m_rareWord}) {
            std::fprintf(
                stderr, "'%s' in %lld titles, %lld items\n", word.c_str(),
                Scalar(db,
                       StrFormat("SELECT COUNT(*) FROM rss_data WHERE item_title LIKE '%%%s%%';",
                                 word.c_str())),
                Scalar(db, StrFormat("SELECT COUNT(*) FROM rss_data WHERE item_title LIKE '%%%s%%' "
                                     "OR item_description LIKE '%%%s%%';",
                                     word.c_str(), word.c_str())));
        }
    }

    // A store made by an earlier version gets the current index as a user's would: the upgrade,
    // then the build on the items (timed).
    void UpgradeStore() {
        CRssStore store(m_root);
        if (!store.Open()) {
            std::fprintf(stderr, "open: %s\n", store.GetLastError().c_str());
            std::exit(1);
        }
        SearchIndexBuild build;
        if (!store.GetSearchIndexBuild(build) || !build.pending) {
            return;
        }
        std::fprintf(stderr, "building the store's index after its upgrade\n");
        const auto start = std::chrono::steady_clock::now();
        bool stopped = false;
        if (!BuildSearchIndex(store, nullptr, nullptr, stopped)) {
            std::fprintf(stderr, "build: %s\n", store.GetLastError().c_str());
            std::exit(1);
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        CppSQLite3Connection db;
        db.Open(m_root + "/Storage/rss.db");
        db.ExecuteUpdate("PRAGMA wal_checkpoint(TRUNCATE);");
        const long long index =
            Scalar(db, "SELECT SUM(pgsize) FROM dbstat WHERE name LIKE 'rss_%fts%';");
        const long long rest = RestOfStore(db);
        std::fprintf(stderr, "index built in %.0f s: %.1f MB = %.1f%% of the rest (%.1f MB)\n",
                     took.count(), static_cast<double>(index) / 1e6,
                     100.0 * static_cast<double>(index) / static_cast<double>(rest),
                     static_cast<double>(rest) / 1e6);
    }

    // 0: the common word, 1: the rare one.
    std::string Keyword(int64_t which) const { return which == 0 ? kCommonWord : m_rareWord; }
    // More five-letter words of the long tail, after the rare one.
    const std::vector<std::string>& TailWords() const { return m_tailWords; }
    // Keywords of three and four letters: the first letters of those words.
    const std::vector<std::string>& ShortKeywords() const { return m_shortKeywords; }
    const std::string& Root() const { return m_root; }

private:
    int m_items;
    std::string m_root;
    std::string m_rareWord;
    std::vector<std::string> m_tailWords;
    std::vector<std::string> m_shortKeywords;
};

CBenchData& Data() {
    static CBenchData data;
    return data;
}

// Arguments: descriptions too (0 or 1), results wanted (0: all), the common (0) or rare (1) word.
void BM_SearchIndexed(benchmark::State& state) {
    CRssStore store(Data().Root());
    store.Open();
    const bool body = state.range(0) != 0;
    const int limit = state.range(1) > 0 ? static_cast<int>(state.range(1)) : -1;
    const std::string keyword = Data().Keyword(state.range(2));
    size_t found = 0;
    for (auto _ : state) {
        std::vector<RssItem> items;
        if (!store.SearchItemsPage(keyword, {}, true, body, 0, limit, items)) {
            state.SkipWithError(store.GetLastError().c_str());
        }
        found = items.size();
    }
    state.counters["results"] = static_cast<double>(found);
}

// The first page of each of `keywords` in turn: counters "mean" and "slowest" in ms.
template <typename Search>
void TimeEach(benchmark::State& state, const std::vector<std::string>& keywords, Search&& search) {
    double slowest = 0;
    double total = 0;
    size_t searches = 0;
    for (auto _ : state) {
        for (const std::string& keyword : keywords) {
            const auto start = std::chrono::steady_clock::now();
            search(keyword);
            const std::chrono::duration<double, std::milli> took =
                std::chrono::steady_clock::now() - start;
            slowest = std::max(slowest, took.count());
            total += took.count();
            ++searches;
        }
    }
    state.counters["mean"] = total / static_cast<double>(std::max<size_t>(searches, 1));
    state.counters["slowest"] = slowest;
    state.counters["keywords"] = static_cast<double>(keywords.size());
}

const std::vector<std::string>& KeywordSet(int64_t which) {
    return which == 0 ? Data().TailWords() : Data().ShortKeywords();
}

// The first page of kTailWords more rare words (0), or of the keywords of three and four
// letters (1), one after another, through the store.
void BM_SearchIndexedEach(benchmark::State& state) {
    CRssStore store(Data().Root());
    store.Open();
    const bool body = state.range(0) != 0;
    TimeEach(state, KeywordSet(state.range(1)), [&](const std::string& keyword) {
        std::vector<RssItem> items;
        if (!store.SearchItemsPage(keyword, {}, true, body, 0, kPageSize, items)) {
            state.SkipWithError(store.GetLastError().c_str());
        }
    });
}

// The statement the index must agree with, as SearchItems ran it before it.
std::string LikeStatement(const std::string& keyword, bool body, const std::string& page) {
    return body ? StrFormat(
                      "SELECT * FROM [rss_data] WHERE item_title LIKE '%%%s%%' OR "
                      "item_description LIKE '%%%s%%' ORDER BY item_id DESC%s;",
                      keyword.c_str(), keyword.c_str(), page.c_str())
                : StrFormat(
                      "SELECT * FROM [rss_data] WHERE item_title LIKE '%%%s%%' ORDER BY "
                      "item_id DESC%s;",
                      keyword.c_str(), page.c_str());
}

void BM_SearchLike(benchmark::State& state) {
    CppSQLite3Connection db;
    db.Open(Data().Root() + "/Storage/rss.db");
    const bool body = state.range(0) != 0;
    const std::string page =
        state.range(1) > 0 ? StrFormat(" LIMIT %d", static_cast<int>(state.range(1))) : "";
    const std::string sql = LikeStatement(Data().Keyword(state.range(2)), body, page);
    size_t found = 0;
    for (auto _ : state) {
        found = 0;
        for (CppSQLite3Cursor row = db.ExecuteQuery(sql); !row.AtEnd(); row.NextRow()) {
            benchmark::DoNotOptimize(row.GetText("item_description"));
            ++found;
        }
    }
    state.counters["results"] = static_cast<double>(found);
}

// The search through a compared index (the LIKE statement when it gives no terms); `page` is
// " LIMIT n" or empty.
std::string AlternativeStatement(const CAlternative& alternative, const std::string& keyword,
                                 bool body, const std::string& page) {
    const std::string query = AlternativeQuery(alternative, keyword);
    if (query.empty()) {
        return LikeStatement(keyword, body, page);
    }
    std::string test = StrFormat("rss_data.item_title LIKE '%%%s%%'", keyword.c_str());
    if (body) {
        test = StrFormat("(%s OR rss_data.item_description LIKE '%%%s%%')", test.c_str(),
                         keyword.c_str());
    }
    return StrFormat(
        "SELECT rss_data.* FROM other.trigrams JOIN rss_data ON rss_data.item_id = trigrams.rowid "
        "WHERE trigrams MATCH '%s' AND %s ORDER BY trigrams.rowid DESC%s;",
        CSQLiteStore::Quoted(query).c_str(), test.c_str(), page.c_str());
}

size_t CountRows(CppSQLite3Connection& db, const std::string& sql) {
    size_t found = 0;
    for (CppSQLite3Cursor row = db.ExecuteQuery(sql); !row.AtEnd(); row.NextRow()) {
        benchmark::DoNotOptimize(row.GetText("item_description"));
        ++found;
    }
    return found;
}

void AttachAlternative(CppSQLite3Connection& db, const CAlternative& alternative) {
    db.Open(Data().Root() + "/Storage/rss.db");
    db.ExecuteUpdate("ATTACH '" + AlternativeFile(Data().Root(), alternative) + "' AS other;");
}

// The searches of BM_SearchIndexed through a compared index (0: every trigram, 1: sparse, 2:
// rare trigrams, 3: rare trigrams of the titles).
void BM_SearchOther(benchmark::State& state) {
    const CAlternative& alternative = kAlternatives[static_cast<size_t>(state.range(0))];
    CppSQLite3Connection db;
    AttachAlternative(db, alternative);
    const std::string page =
        state.range(2) > 0 ? StrFormat(" LIMIT %d", static_cast<int>(state.range(2))) : "";
    const std::string sql = AlternativeStatement(alternative, Data().Keyword(state.range(3)),
                                                 state.range(1) != 0, page);
    size_t found = 0;
    for (auto _ : state) {
        found = CountRows(db, sql);
    }
    state.counters["results"] = static_cast<double>(found);
}

// The searches of BM_SearchIndexedEach through a compared index.
void BM_SearchOtherEach(benchmark::State& state) {
    const CAlternative& alternative = kAlternatives[static_cast<size_t>(state.range(0))];
    CppSQLite3Connection db;
    AttachAlternative(db, alternative);
    const bool body = state.range(1) != 0;
    TimeEach(state, KeywordSet(state.range(2)), [&](const std::string& keyword) {
        CountRows(db, AlternativeStatement(alternative, keyword, body,
                                           StrFormat(" LIMIT %d", kPageSize)));
    });
}

BENCHMARK(BM_SearchIndexed)
    ->ArgNames({"description", "limit", "rare"})
    ->ArgsProduct({{0, 1}, {kPageSize, 0}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchIndexedEach)
    ->ArgNames({"description", "short"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
// The index of the titles alone answers the searches of titles only.
void OtherArguments(benchmark::internal::Benchmark* bench, bool limits) {
    for (int64_t index = 0; index < static_cast<int64_t>(kAlternatives.size()); ++index) {
        for (int64_t body = 0;
             body <= (kAlternatives[static_cast<size_t>(index)].titlesOnly ? 0 : 1); ++body) {
            for (int64_t last : {0, 1}) {
                if (limits) {
                    bench->Args({index, body, kPageSize, last});
                    bench->Args({index, body, 0, last});
                } else {
                    bench->Args({index, body, last});
                }
            }
        }
    }
}

BENCHMARK(BM_SearchOther)
    ->ArgNames({"other_index", "description", "limit", "rare"})
    ->Apply([](benchmark::internal::Benchmark* bench) { OtherArguments(bench, true); })
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchOtherEach)
    ->ArgNames({"other_index", "description", "short"})
    ->Apply([](benchmark::internal::Benchmark* bench) { OtherArguments(bench, false); })
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchLike)
    ->ArgNames({"description", "limit", "rare"})
    ->ArgsProduct({{0, 1}, {kPageSize, 0}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zirvo

BENCHMARK_MAIN();
