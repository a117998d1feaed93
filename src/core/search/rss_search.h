#pragma once
// Search over the feed store: by keyword in the current channel or folder of the channel tree,
// or in all channels; the news service's side is in news_search.h. The results come back as
// one group whose caption (the heading) states the count and the scope; every result carries
// the heading as its group text, and the list shows them as one page.
//
// Threading: the window thread (the tree's owner); the store belongs to that thread.

#include <string>
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

// Local search, scope 0 or 1. Scope 0 searches the tree's current node: a channel (bound first)
// or every channel below a folder at any depth; without a current node nothing happens (false,
// no message). No rows, or a store failure: "没有符合条件的搜索结果!" and false. `fullText`
// searches descriptions as well as titles.
bool SearchLocal(CChannelTree& tree, CRssStore& store, int scope, const std::string& keyword,
                 bool fullText, SearchResult& result, CErrorMsgDialog& messages);

}  // namespace zirvo
