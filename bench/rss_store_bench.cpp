// Speed of the feed store's hot statements on a large database. Channel 1 holds 100,000 items,
// all unread (the worst case for the unread page and count); channel 2 holds 100,000 items of
// which 1% are unread (a reader who keeps up); channel 3 holds the default 200 items. Items
// carry 600-byte descriptions and links that share a long prefix, as real feeds' do. The merge
// benchmarks run the receive pipeline's SaveReceivedItems with a 100-item feed.
//
// Run a Release build: rss_store_bench [--benchmark_filter=...]

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/db/sqlite_connection.h"
#include "core/feeds/rss_store.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

constexpr int kChannelItems = 100000;
constexpr int kBigChannel = 1;    // 100,000 items, all unread
constexpr int kReadChannel = 2;   // 100,000 items, 1% unread
constexpr int kSmallChannel = 3;  // 200 items, storage type 2 with 200
constexpr int kSmallItems = 200;
constexpr int kPageSize = 50;

// A data root with the two full channels, made once for the whole run and removed at exit.
class CBenchData {
public:
    CBenchData() {
        char pattern[] = "/tmp/zirvo-bench-XXXXXX";
        if (!::mkdtemp(pattern)) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        m_root = pattern;
        std::filesystem::create_directories(m_root + "/Storage");
        CRssStore store(m_root);
        if (!store.Open()) {
            std::fprintf(stderr, "open: %s\n", store.GetLastError().c_str());
            std::exit(1);
        }
        int id = 0;
        store.AddFeed("http://example.com/big/feed.xml", id);
        store.AddFeed("http://example.org/other/rss", id);
        store.AddFeed("http://example.net/small/atom", id);
        CppSQLite3Connection db;
        db.Open(m_root + "/Storage/rss.db");
        struct Fill {
            int channel;
            int items;
            const char* read;  // SQL for the read flag of item i
        };
        for (const Fill& fill : {Fill{kBigChannel, kChannelItems, "0"},
                                 Fill{kReadChannel, kChannelItems, "i % 100 != 0"},
                                 Fill{kSmallChannel, kSmallItems, "0"}}) {
            db.ExecuteUpdate(StrFormat(
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %d) "
                "INSERT INTO rss_data (item_feedid, item_new, item_read, item_link, item_title, "
                "item_author, item_description, item_pubDate) SELECT %d, 0, %s, "
                "'http://www.example.com/weblog/archives/2006/01/entry-' || %d || '-' || i || "
                "'.html', 'Entry number ' || i || ' of the weblog', 'Author Name', "
                "hex(randomblob(300)), '2006-01-05 08:30:00' FROM n;",
                fill.items, fill.channel, fill.read, fill.channel));
        }
        db.ExecuteUpdate("PRAGMA wal_checkpoint(TRUNCATE);");
    }

    ~CBenchData() {
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }

    const std::string& Root() const { return m_root; }

    // The channel's newest `count` items, as an unchanged feed lists them.
    std::vector<RssItem> NewestItems(int channel, int count) {
        CRssStore store(m_root);
        store.Open();
        std::vector<RssItem> items;
        int total = 0;
        store.ListItems(channel, kAllItems, true, items, total, count, 0);
        return items;
    }

private:
    std::string m_root;
};

CBenchData& Data() {
    static CBenchData data;
    return data;
}

std::vector<RssItem> FreshFeed(int round) {
    std::vector<RssItem> items;
    for (int i = 0; i < 100; ++i) {
        RssItem item;
        item.link =
            StrFormat("http://www.example.com/weblog/archives/2007/new-%d-%d.html", round, i);
        item.title = StrFormat("Fresh entry %d of round %d", i, round);
        item.author = "Author Name";
        item.description = std::string(600, 'd');
        item.date = "2007-02-03 10:20:30";
        items.push_back(item);
    }
    return items;
}

void Check(benchmark::State& state, bool ok, CRssStore& store) {
    if (!ok) {
        state.SkipWithError(store.GetLastError().c_str());
    }
}

// Arguments: channel, storage type, storage count.
void BM_MergeUnchangedFeed(benchmark::State& state) {
    CRssStore store(Data().Root());
    store.Open();
    const int channel = static_cast<int>(state.range(0));
    const std::vector<RssItem> feed = Data().NewestItems(channel, 100);
    for (auto _ : state) {
        Check(state,
              store.SaveReceivedItems(channel, feed, static_cast<int>(state.range(1)),
                                      static_cast<int>(state.range(2))),
              store);
    }
}

void BM_MergeFeedWithNewItems(benchmark::State& state) {
    CRssStore store(Data().Root());
    store.Open();
    const int channel = static_cast<int>(state.range(0));
    static int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<RssItem> feed = FreshFeed(round++);
        state.ResumeTiming();
        Check(state,
              store.SaveReceivedItems(channel, feed, static_cast<int>(state.range(1)),
                                      static_cast<int>(state.range(2))),
              store);
    }
}

void BM_ListUnreadPage(benchmark::State& state) {
    CRssStore store(Data().Root());
    store.Open();
    const int channel = static_cast<int>(state.range(0));
    const int page = static_cast<int>(state.range(1));
    for (auto _ : state) {
        std::vector<RssItem> items;
        int total = 0;
        Check(state,
              store.ListItems(channel, kUnreadItems, false, items, total, kPageSize,
                              page * kPageSize),
              store);
        if (items.size() != static_cast<size_t>(kPageSize)) {
            state.SkipWithError("short page");
        }
        benchmark::DoNotOptimize(items.data());
    }
}

void BM_CountUnread(benchmark::State& state) {
    CRssStore store(Data().Root());
    store.Open();
    const int channel = static_cast<int>(state.range(0));
    for (auto _ : state) {
        int n = 0;
        Check(state, store.CountUnread(channel, n), store);
        benchmark::DoNotOptimize(n);
    }
}

void BM_SearchAllChannels(benchmark::State& state) {
    CRssStore store(Data().Root());
    store.Open();
    const bool alsoDescription = state.range(0) != 0;
    for (auto _ : state) {
        std::vector<RssItem> items;
        Check(state, store.SearchItems("number 4242 ", items, {}, true, alsoDescription), store);
        benchmark::DoNotOptimize(items.data());
    }
}

// Channel 1's unread filter holds 100,000 items, channel 2's 1,000 (20 pages).
BENCHMARK(BM_ListUnreadPage)
    ->ArgNames({"channel", "page"})
    ->Args({kBigChannel, 0})
    ->Args({kBigChannel, 1000})
    ->Args({kReadChannel, 0})
    ->Args({kReadChannel, 19})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountUnread)
    ->ArgName("channel")
    ->Arg(kBigChannel)
    ->Arg(kReadChannel)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchAllChannels)
    ->ArgName("description")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

// The merges run last: they add items, which the reads above must not see.
// Channel 1 with storage type 3 keeps everything; with type 2 and 100,000 it keeps its size,
// so every receive of new items also trims the oldest. Channel 3 is the everyday case.
BENCHMARK(BM_MergeUnchangedFeed)
    ->ArgNames({"channel", "type", "keep"})
    ->Args({kBigChannel, 3, 0})
    ->Args({kBigChannel, 2, kChannelItems})
    ->Args({kSmallChannel, 2, kSmallItems})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MergeFeedWithNewItems)
    ->ArgNames({"channel", "type", "keep"})
    ->Args({kBigChannel, 3, 0})
    ->Args({kBigChannel, 2, kChannelItems})
    ->Args({kSmallChannel, 2, kSmallItems})
    ->Unit(benchmark::kMillisecond);
}  // namespace
}  // namespace zirvo

BENCHMARK_MAIN();
