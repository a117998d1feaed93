#pragma once
// The news search service: an HTTP address (config/appConfig.xml, /app/rss/newssearchurl) that
// answers a GET with an RSS 2.0 feed of news matching a keyword.
//
// The configured address is a template: "%s" takes the keyword, "%d" the number of results
// wanted (10, 20, 50 or 100), "%%" stands for "%"; any other "%" sequence is kept as written. An
// address without "%s" names only the service, and the query is built after its scheme and host:
//   /ns?word=KEYWORD&ie=gb2312&cl=2&rn=COUNT&ct=0&tn=newsrss&class=0
// The keyword is sent in GB2312 (its GB18030 bytes, as `ie=gb2312` declares), percent-encoded so
// that a blank, "&", "#" or "%" in it cannot break the query; a title-only search prefixes it
// with "title%3A".
//
// The results are staged in the feed store under channel id 0 (rsstemp_data), so that the list,
// the article page and the favourites can read them by id.
//
// Threading: the window thread; the fetch runs synchronously on it.

#include <functional>
#include <string>
#include <vector>

#include "core/config/app_config.h"
#include "core/config/error_msg_dialog.h"
#include "core/feeds/rss_store.h"
#include "core/search/rss_search.h"

namespace zirvo {

inline constexpr int kNewsChannelId = 0;

// The request address for `keyword`. Empty when the service address is not an http(s)
// address or the count is not a positive number.
std::string BuildNewsSearchUrl(const std::string& serviceAddress, const std::string& keyword,
                               bool titleOnly, const std::string& resultCount);

// The service address from the configuration (message 7000/7001 through `config` on failure).
bool ReadNewsSearchAddress(CAppConfig& config, std::string& address);

// Stages the parsed answer under channel id 0 and fills `result` (ids of the staging table,
// heading "有 N 项符合关键字 ... 在百度新闻搜索中"). No items or a store failure:
// "没有符合条件的搜索结果!" and false.
bool StageNewsResults(CRssStore& store, std::vector<RssItem> items, const std::string& keyword,
                      SearchResult& result, CErrorMsgDialog& messages);

// Fetches `url` and parses its RSS items; false when the fetch or the parse failed. The programs
// pass zirvo::FetchFeed (core/feeds/feed_fetcher.h).
using FeedFetcher = std::function<bool(const std::string& url, std::vector<RssItem>& items)>;

// The whole news search: request address, fetch, staging. A failed fetch, an answer without
// items, or an unusable service address: "没有符合条件的搜索结果!" and false.
bool SearchNews(const FeedFetcher& fetch, CRssStore& store, const std::string& serviceAddress,
                const std::string& keyword, bool titleOnly, const std::string& resultCount,
                SearchResult& result, CErrorMsgDialog& messages);

}  // namespace zirvo
