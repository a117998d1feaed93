// Reading feeds: the item walk over generated RSS 2.0 documents of growing size, in UTF-8 and
// through the GB2312 conversion.

#include <benchmark/benchmark.h>

#include <string>

#include "core/feeds/feed_parser.h"
#include "core/util/text_codec.h"

namespace {

std::string GeneratedFeed(int items, const char* encoding) {
    std::string xml = std::string("<?xml version=\"1.0\" encoding=\"") + encoding +
                      "\"?><rss version=\"2.0\"><channel><title>频道</title>";
    for (int i = 0; i < items; ++i) {
        std::string n = std::to_string(i);
        xml += "<item><title>第 " + n + " 条新闻 &amp; more</title><link>http://127.0.0.1/item/" +
               n +
               "</link><pubDate>Tue, 03 Jan 2006 08:00:00 GMT</pubDate><author>作者</author>"
               "<description><![CDATA[<p>" +
               std::string(400, 'x') + "</p>]]></description></item>";
    }
    return xml + "</channel></rss>";
}

void ParseUtf8(benchmark::State& state) {
    std::string feed = GeneratedFeed(static_cast<int>(state.range(0)), "UTF-8");
    for (auto _ : state) {
        std::vector<zirvo::RssItem> items;
        std::string error;
        zirvo::ParseFeedItems(feed, "", items, error);
        benchmark::DoNotOptimize(items.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(feed.size()));
}
BENCHMARK(ParseUtf8)->Arg(50)->Arg(500)->Arg(5000);

void ParseGb2312(benchmark::State& state) {
    std::string feed =
        zirvo::Utf8ToGb18030(GeneratedFeed(static_cast<int>(state.range(0)), "gb2312"));
    for (auto _ : state) {
        std::vector<zirvo::RssItem> items;
        std::string error;
        zirvo::ParseFeedItems(feed, "", items, error);
        benchmark::DoNotOptimize(items.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(ParseGb2312)->Arg(50)->Arg(500);

}  // namespace

BENCHMARK_MAIN();
