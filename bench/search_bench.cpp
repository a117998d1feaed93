// Keyword search over a big feed store: 1,000,000 items in 100 channels (ZIRVO_BENCH_ITEMS
// changes the count), with titles of 5 to 12 words and HTML descriptions of one to 24
// paragraphs (a summary, part of an article or all of it) drawn from a vocabulary with the
// skewed word frequencies of real text, about 1.4 KB per item as real feeds give. The store is
// made once and kept under /tmp (zirvo-search-bench-N-v5) for later runs, since making it takes
// minutes; remove the folder to make it again.
//
// Printed when the store is made: its size, what the full-text index adds to it (bytes of its
// tables over the bytes of everything else), the same after the index's segments are merged
// into one ('optimize'), and beside it what an index of the sparse trigrams of the same items
// adds (core/db/sparse_trigrams.h, schema version 8's index: half the size, but a keyword of
// five characters is one term in it; kept in a file of its own next to the store,
// sparse-trigram.db, for the comparison benchmarks).
//
// The benchmarks: the first page (50 results) and the whole result of a search for a five-letter
// word, through the store (the index), through the index of sparse trigrams (its query: the
// trigrams it keeps for the keyword) and through the plain LIKE statement the index must match,
// titles only and with descriptions; and the first page of 40 more rare words through both
// indexes.
//
// Run a Release build: search_bench [--benchmark_filter=...] [--benchmark_repetitions=5]

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/db/sparse_trigrams.h"
#include "core/db/sqlite_connection.h"
#include "core/feeds/rss_store.h"
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

int ItemCount() {
    const char* text = std::getenv("ZIRVO_BENCH_ITEMS");
    const int count = text != nullptr ? std::atoi(text) : 0;
    return count > 0 ? count : 1000000;
}

// Common words first (the most frequent), then made-up words for the long tail.
std::vector<std::string> Vocabulary(std::mt19937& random) {
    std::vector<std::string> words = {
        "the",    "of",      "and",     "to",     "in",      "a",       "is",      "that",
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
    // Letters with English frequencies, so that made-up words share the usual trigrams.
    const std::string letters = "etaoinshrdlcumwfgypbvkjxqz";
    const std::vector<double> weights = {12,  9,   8,   7.5, 7,   6.3, 6.3, 6,  6,
                                         4.3, 4,   2.8, 2.8, 2.4, 2.4, 2.2, 2,  2,
                                         1.9, 1.5, 1,   0.8, 0.2, 0.2, 0.1, 0.1};
    std::discrete_distribution<size_t> letter(weights.begin(), weights.end());
    std::uniform_int_distribution<int> length(4, 10);
    std::set<std::string> seen(words.begin(), words.end());
    while (words.size() < 30000) {
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

class CWords {
public:
    explicit CWords(std::mt19937& random) : m_random(random), m_words(Vocabulary(random)) {
        // Zipf-like: word k is about 1/k as frequent as the first.
        std::vector<double> weights;
        for (size_t k = 0; k < m_words.size(); ++k) {
            weights.push_back(1.0 / static_cast<double>(k + 1));
        }
        m_pick = std::discrete_distribution<size_t>(weights.begin(), weights.end());
    }

    std::string Text(int count) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            if (i > 0) {
                text += ' ';
            }
            text += m_words[m_pick(m_random)];
        }
        return text;
    }

    const std::string& Any() { return m_words[m_pick(m_random)]; }

private:
    std::mt19937& m_random;
    std::vector<std::string> m_words;
    std::discrete_distribution<size_t> m_pick;
};

long long Scalar(CppSQLite3Connection& db, const std::string& sql) {
    CppSQLite3Cursor row = db.ExecuteQuery(sql);
    return row.AtEnd() ? 0 : std::atoll(row.GetText(0).c_str());
}

void MakeStore(const std::string& root, int items) {
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
    std::mt19937 random(kSeed);
    CWords words(random);
    std::uniform_int_distribution<int> titleWords(5, 12);
    // Feeds give a summary of a paragraph or two, or a part of the article, or all of it: half,
    // a third and a sixth of the items, about 1.4 KB of description on average, as the items of
    // the feeds in tests/data and the shared corpus have.
    std::discrete_distribution<int> kind({3, 2, 1});
    std::uniform_int_distribution<int> summary(1, 2);
    std::uniform_int_distribution<int> part(3, 6);
    std::uniform_int_distribution<int> whole(10, 24);
    std::uniform_int_distribution<int> paragraphWords(15, 40);
    CppSQLite3Connection db;
    db.Open(root + "/Storage/rss.db");
    db.ExecuteUpdate("BEGIN;");
    std::string sql;
    for (int i = 1; i <= items; ++i) {
        const int channel = i % kChannels + 1;
        std::string description;
        const int k = kind(random);
        for (int p = k == 0 ? summary(random) : k == 1 ? part(random) : whole(random); p > 0; --p) {
            description += "<p>" + words.Text(paragraphWords(random)) +
                           StrFormat(". <a href=\"http://site%d.example.com/%d/", channel, i) +
                           words.Any() + ".html\">" + words.Any() + "</a></p>";
        }
        std::string title = words.Text(titleWords(random));
        sql += sql.empty() ? "INSERT INTO rss_data (item_feedid, item_new, item_read, item_link, "
                             "item_title, item_author, item_description, item_pubDate) VALUES "
                           : ",";
        sql += StrFormat(
            "(%d, 0, 1, 'http://site%d.example.com/archives/2006/01/entry-%d.html', '%s', "
            "'Author Name', '%s', '2006-01-05 08:30:00')",
            channel, channel, i, CSQLiteStore::Quoted(title).c_str(),
            CSQLiteStore::Quoted(description).c_str());
        if (i % kRowsPerStatement == 0 || i == items) {
            db.ExecuteUpdate(sql + ";");
            sql.clear();
        }
        if (i % 50000 == 0) {
            db.ExecuteUpdate("COMMIT; BEGIN;");
            std::fprintf(stderr, "made %d items\n", i);
        }
    }
    db.ExecuteUpdate("COMMIT;");
    db.ExecuteUpdate("PRAGMA wal_checkpoint(TRUNCATE);");
}

std::string SparseFile(const std::string& root) {
    return root + "/sparse-trigram.db";
}

void ReportSizes(const std::string& root) {
    CppSQLite3Connection db;
    db.Open(root + "/Storage/rss.db");
    long long rest = 0;
    auto report = [&](const char* when) {
        const long long total = Scalar(db, "SELECT SUM(pgsize) FROM dbstat;");
        const long long index =
            Scalar(db, "SELECT SUM(pgsize) FROM dbstat WHERE name LIKE 'rss_fts%';");
        rest = total - index;
        std::fprintf(stderr,
                     "%s: store %.1f MB, full-text index %.1f MB = %.1f%% of the rest (%.1f MB)\n",
                     when, static_cast<double>(total) / 1e6, static_cast<double>(index) / 1e6,
                     100.0 * static_cast<double>(index) / static_cast<double>(rest),
                     static_cast<double>(rest) / 1e6);
    };
    report("as received");
    db.ExecuteUpdate("INSERT INTO rss_fts (rss_fts) VALUES ('optimize');");
    db.ExecuteUpdate("PRAGMA wal_checkpoint(TRUNCATE);");
    db.ExecuteUpdate("VACUUM;");
    report("index merged");

    // The same items with the sparse trigrams, in a file of its own.
    db.ExecuteUpdate("ATTACH '" + SparseFile(root) + "' AS sparse;");
    db.ExecuteUpdate(
        "CREATE VIRTUAL TABLE sparse.trigrams USING fts5(item_title, item_description, "
        "content='', tokenize='sparse_trigram', detail='none', columnsize=0);");
    db.ExecuteUpdate(
        "INSERT INTO sparse.trigrams (rowid, item_title, item_description) SELECT item_id, "
        "item_title, item_description FROM rss_data;");
    db.ExecuteUpdate("INSERT INTO sparse.trigrams (trigrams) VALUES ('optimize');");
    db.ExecuteUpdate("VACUUM sparse;");
    db.ExecuteUpdate("DETACH sparse;");
    const auto sparse = static_cast<long long>(std::filesystem::file_size(SparseFile(root)));
    std::fprintf(stderr, "sparse trigrams, merged: index %.1f MB = %.1f%% of the rest\n",
                 static_cast<double>(sparse) / 1e6,
                 100.0 * static_cast<double>(sparse) / static_cast<double>(rest));
}

// The query of the index of sparse trigrams: the trigrams it keeps for the keyword.
std::string SparseQuery(const std::string& keyword) {
    std::string query;
    for (const std::string& term : SparseTrigrams(keyword)) {
        query += (query.empty() ? "\"" : " AND \"") + term + "\"";
    }
    return query;
}
class CBenchData {
public:
    CBenchData() : m_items(ItemCount()) {
        m_root = StrFormat("/tmp/zirvo-search-bench-%d-v5", m_items);
        const std::string done = m_root + "/complete";
        if (!std::filesystem::exists(done)) {
            std::error_code ec;
            std::filesystem::remove_all(m_root, ec);
            std::fprintf(stderr, "making %d items under %s (once)\n", m_items, m_root.c_str());
            MakeStore(m_root, m_items);
            ReportSizes(m_root);
            std::FILE* marker = std::fopen(done.c_str(), "w");
            if (marker != nullptr) {
                std::fclose(marker);
            }
        }
        std::mt19937 random(kSeed);
        const std::vector<std::string> words = Vocabulary(random);
        for (size_t k = kRareRank; k < words.size(); ++k) {
            if (words[k].size() == 5) {
                if (m_rareWord.empty()) {
                    m_rareWord = words[k];
                } else if (m_tailWords.size() < kTailWords) {
                    m_tailWords.push_back(words[k]);
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

    // 0: the common word, 1: the rare one.
    std::string Keyword(int64_t which) const { return which == 0 ? kCommonWord : m_rareWord; }
    // More five-letter words of the long tail, after the rare one.
    const std::vector<std::string>& TailWords() const { return m_tailWords; }
    const std::string& Root() const { return m_root; }

private:
    int m_items;
    std::string m_root;
    std::string m_rareWord;
    std::vector<std::string> m_tailWords;
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

// The first page of each of kTailWords more rare words in turn: how the index does on words
// whose one kept trigram is a common one. Time per word; "slowest" in ms.
void BM_SearchIndexedTail(benchmark::State& state) {
    CRssStore store(Data().Root());
    store.Open();
    const bool body = state.range(0) != 0;
    double slowest = 0;
    for (auto _ : state) {
        for (const std::string& word : Data().TailWords()) {
            const auto start = std::chrono::steady_clock::now();
            std::vector<RssItem> items;
            if (!store.SearchItemsPage(word, {}, true, body, 0, kPageSize, items)) {
                state.SkipWithError(store.GetLastError().c_str());
            }
            const std::chrono::duration<double, std::milli> took =
                std::chrono::steady_clock::now() - start;
            slowest = std::max(slowest, took.count());
        }
    }
    state.counters["slowest"] = slowest;
    state.counters["words"] = static_cast<double>(Data().TailWords().size());
}

// The statements the index must agree with, as SearchItems ran them before it.
void BM_SearchLike(benchmark::State& state) {
    CppSQLite3Connection db;
    db.Open(Data().Root() + "/Storage/rss.db");
    const bool body = state.range(0) != 0;
    const std::string page =
        state.range(1) > 0 ? StrFormat(" LIMIT %d", static_cast<int>(state.range(1))) : "";
    const std::string keyword = Data().Keyword(state.range(2));
    const std::string sql =
        body ? StrFormat(
                   "SELECT * FROM [rss_data] WHERE item_title LIKE '%%%s%%' OR "
                   "item_description LIKE '%%%s%%' ORDER BY item_id DESC%s;",
                   keyword.c_str(), keyword.c_str(), page.c_str())
             : StrFormat(
                   "SELECT * FROM [rss_data] WHERE item_title LIKE '%%%s%%' ORDER BY "
                   "item_id DESC%s;",
                   keyword.c_str(), page.c_str());
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

// The search through the index of sparse trigrams; `page` is " LIMIT n"
// or empty.
std::string SparseStatement(const std::string& keyword, bool body, const std::string& page) {
    std::string test = StrFormat("rss_data.item_title LIKE '%%%s%%'", keyword.c_str());
    if (body) {
        test = StrFormat("(%s OR rss_data.item_description LIKE '%%%s%%')", test.c_str(),
                         keyword.c_str());
    }
    return StrFormat(
        "SELECT rss_data.* FROM sparse.trigrams JOIN rss_data ON rss_data.item_id = "
        "trigrams.rowid WHERE trigrams MATCH '%s' AND %s ORDER BY trigrams.rowid DESC%s;",
        SparseQuery(keyword).c_str(), test.c_str(), page.c_str());
}

size_t CountRows(CppSQLite3Connection& db, const std::string& sql) {
    size_t found = 0;
    for (CppSQLite3Cursor row = db.ExecuteQuery(sql); !row.AtEnd(); row.NextRow()) {
        benchmark::DoNotOptimize(row.GetText("item_description"));
        ++found;
    }
    return found;
}

// The same searches through the index of sparse trigrams.
void BM_SearchSparse(benchmark::State& state) {
    CppSQLite3Connection db;
    db.Open(Data().Root() + "/Storage/rss.db");
    db.ExecuteUpdate("ATTACH '" + SparseFile(Data().Root()) + "' AS sparse;");
    const std::string page =
        state.range(1) > 0 ? StrFormat(" LIMIT %d", static_cast<int>(state.range(1))) : "";
    const std::string sql =
        SparseStatement(Data().Keyword(state.range(2)), state.range(0) != 0, page);
    size_t found = 0;
    for (auto _ : state) {
        found = CountRows(db, sql);
    }
    state.counters["results"] = static_cast<double>(found);
}

void BM_SearchSparseTail(benchmark::State& state) {
    CppSQLite3Connection db;
    db.Open(Data().Root() + "/Storage/rss.db");
    db.ExecuteUpdate("ATTACH '" + SparseFile(Data().Root()) + "' AS sparse;");
    double slowest = 0;
    for (auto _ : state) {
        for (const std::string& word : Data().TailWords()) {
            const auto start = std::chrono::steady_clock::now();
            CountRows(
                db, SparseStatement(word, state.range(0) != 0, StrFormat(" LIMIT %d", kPageSize)));
            const std::chrono::duration<double, std::milli> took =
                std::chrono::steady_clock::now() - start;
            slowest = std::max(slowest, took.count());
        }
    }
    state.counters["slowest"] = slowest;
    state.counters["words"] = static_cast<double>(Data().TailWords().size());
}

BENCHMARK(BM_SearchIndexed)
    ->ArgNames({"description", "limit", "rare"})
    ->ArgsProduct({{0, 1}, {kPageSize, 0}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchIndexedTail)
    ->ArgNames({"description"})
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchSparse)
    ->ArgNames({"description", "limit", "rare"})
    ->ArgsProduct({{0, 1}, {kPageSize, 0}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchSparseTail)
    ->ArgNames({"description"})
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchLike)
    ->ArgNames({"description", "limit", "rare"})
    ->ArgsProduct({{0, 1}, {kPageSize, 0}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zirvo

BENCHMARK_MAIN();
