#pragma once
// Search over the feed store: by keyword in the current channel or folder of the channel tree,
// or in all channels; the news service's side is in news_search.h. The results come back as
// one group whose caption (the heading) states the count and the scope; every result carries
// the heading as its group text, and the list shows them as one page.
//
// Threading: the window thread (the tree's owner); the store belongs to that thread.

#include <string>
#include <utility>
#include <vector>

#include "core/config/error_msg_dialog.h"
#include "core/feeds/rss_store.h"
#include "core/subscriptions/channel_checks.h"
#include "core/subscriptions/channel_tree.h"

namespace zirvo {

// Scope codes of the search panel.
enum SearchScope : int {
    kSearchCurrentChannel = 0,  // "本地-当前频道"
    kSearchAllChannels = 1,     // "本地-所有频道"
    kSearchNewsService = 3,     // "百度新闻搜索"
};

inline constexpr const char* kEnterSearchKeyword = "请输入要搜索的关键字";
inline constexpr const char* kNoSearchResults = "没有符合条件的搜索结果!";

struct SearchResult {
    std::vector<RssItem> items;  // newest first; each item's group text is the heading
    std::string heading;
    bool fromStaging = false;  // the items' ids name rows of the staging table (news results)
};

// The scope named by the panel's drop-down text; false for any other text.
bool ScopeFromText(const std::string& text, int& scope);
// "获取10条搜索结果" and its siblings give "10", "20", "50", "100"; anything else "10".
std::string ResultCountFromText(const std::string& text);
// An empty keyword is refused with "请输入要搜索的关键字" (focus on the search text).
FieldCheck CheckSearchKeyword(const std::string& keyword);

std::string LocalSearchHeading(int count, const std::string& keyword,
                               const std::string& pathCaption);
std::string AllChannelsSearchHeading(int count, const std::string& keyword);
std::string NewsSearchHeading(int count, const std::string& keyword);

// Fills every item's group text with `heading`.
void ApplyHeading(SearchResult& result, const std::string& heading);

// What a local search needs from the tree, copied on the tree owner's thread so that the query
// can run on a worker with a store of its own.
struct LocalSearchRequest {
    int scope = kSearchAllChannels;
    std::string keyword;
    bool fullText = true;
    // Scope 0: the channels searched, as (bound feed_id or 0, address).
    std::vector<std::pair<int, std::string>> channels;
    std::string pathCaption;  // scope 0: the current node's "A → B" path
};

// Scope 0 copies the current node's channels (every depth below a folder) and its path; scope
// 1 needs nothing. False, with nothing to search, when scope 0 has no current node or the
// scope is not a local one.
bool PrepareLocalSearch(const CChannelTree& tree, int scope, const std::string& keyword,
                        bool fullText, LocalSearchRequest& request);
// Runs a prepared search on `store` (any thread's own). Unbound channels are looked up by
// address, never added: a channel without a row has no items. True with at least one row and
// the heading applied; false without rows (`error` empty) or on a store failure (`error` set).
bool RunLocalSearch(CRssStore& store, const LocalSearchRequest& request, SearchResult& result,
                    std::string& error);

// Local search, scope 0 or 1. Scope 0 searches the tree's current node: a channel (bound first)
// or every channel below a folder at any depth; without a current node nothing happens (false,
// no message). No rows, or a store failure: "没有符合条件的搜索结果!" and false. `fullText`
// searches descriptions as well as titles.
bool SearchLocal(CChannelTree& tree, CRssStore& store, int scope, const std::string& keyword,
                 bool fullText, SearchResult& result, CErrorMsgDialog& messages);

}  // namespace zirvo
