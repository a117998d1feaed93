#include "core/search/rss_search.h"

#include <optional>

#include "core/subscriptions/channel_binding.h"
#include "core/util/strings.h"

namespace zirvo {

bool ScopeFromText(const std::string& text, int& scope) {
    if (text == "本地-当前频道") {
        scope = kSearchCurrentChannel;
    } else if (text == "本地-所有频道") {
        scope = kSearchAllChannels;
    } else if (text == "百度新闻搜索") {
        scope = kSearchNewsService;
    } else {
        return false;
    }
    return true;
}

std::string ResultCountFromText(const std::string& text) {
    for (const char* count : {"100", "50", "20", "10"}) {
        if (text == StrFormat("获取%s条搜索结果", count)) {
            return count;
        }
    }
    return "10";
}

FieldCheck CheckSearchKeyword(const std::string& keyword) {
    if (keyword.empty()) {
        return FieldCheck::Fail(kEnterSearchKeyword, DialogField::Title);
    }
    return FieldCheck::Pass();
}

std::string LocalSearchHeading(int count, const std::string& keyword,
                               const std::string& pathCaption) {
    return StrFormat("有 %d 项符合关键字 \"%s\" 的结果, 在 \"%s\" 中", count, keyword.c_str(),
                     pathCaption.c_str());
}

std::string AllChannelsSearchHeading(int count, const std::string& keyword) {
    return StrFormat("有 %d 项符合关键字 \"%s\" 的结果, 在全部频道中", count, keyword.c_str());
}

std::string NewsSearchHeading(int count, const std::string& keyword) {
    return StrFormat("有 %d 项符合关键字 \"%s\" 的结果, 在百度新闻搜索中", count, keyword.c_str());
}

void ApplyHeading(SearchResult& result, const std::string& heading) {
    result.heading = heading;
    for (RssItem& item : result.items) {
        item.group = heading;
    }
}

bool PrepareLocalSearch(const CChannelTree& tree, int scope, const std::string& keyword,
                        bool fullText, LocalSearchRequest& request) {
    request = LocalSearchRequest();
    request.scope = scope;
    request.keyword = keyword;
    request.fullText = fullText;
    if (scope == kSearchAllChannels) {
        return true;
    }
    const NodeId current = tree.Current();
    if (scope != kSearchCurrentChannel || current == kNoNode || !tree.Exists(current)) {
        return false;
    }
    for (NodeId id : tree.SubtreeChannels(current)) {
        if (const std::optional<ChannelNode> node = tree.Node(id)) {
            request.channels.emplace_back(node->feedId, node->feedUrl);
        }
    }
    request.pathCaption = tree.PathCaption(current);
    return true;
}

bool RunLocalSearch(CRssStore& store, const LocalSearchRequest& request, SearchResult& result,
                    std::string& error) {
    result = SearchResult();
    error.clear();
    const bool allChannels = request.scope == kSearchAllChannels;
    FeedIdList feeds;
    for (const auto& [bound, url] : request.channels) {
        int feedId = bound;
        bool found = bound != 0;
        if (!found && !store.FindFeedId(url, feedId, found)) {
            error = store.GetLastError();
            return false;
        }
        if (found && feedId != 0) {
            feeds.emplace_back(feeds.size(), feedId);
        }
    }
    if (!allChannels && feeds.empty()) {
        return false;
    }
    if (!store.SearchItems(request.keyword, result.items, feeds, allChannels, request.fullText)) {
        error = store.GetLastError();
        result.items.clear();
        return false;
    }
    if (result.items.empty()) {
        return false;
    }
    const int count = static_cast<int>(result.items.size());
    ApplyHeading(result, allChannels
                             ? AllChannelsSearchHeading(count, request.keyword)
                             : LocalSearchHeading(count, request.keyword, request.pathCaption));
    return true;
}

bool SearchLocal(CChannelTree& tree, CRssStore& store, int scope, const std::string& keyword,
                 bool fullText, SearchResult& result, CErrorMsgDialog& messages) {
    result = SearchResult();
    FeedIdList feeds;
    NodeId current = kNoNode;
    if (scope == kSearchCurrentChannel) {
        current = tree.Current();
        if (current == kNoNode) {
            return false;
        }
        // Channels never opened this session are unbound; their rows are found by URL.
        BindSubtree(tree, current, store, feeds);
    } else if (scope != kSearchAllChannels) {
        return false;
    }
    const bool allChannels = scope == kSearchAllChannels;
    if (!store.SearchItems(keyword, result.items, feeds, allChannels, fullText) ||
        result.items.empty()) {
        result.items.clear();
        messages.ShowMessageBox(kNoSearchResults);
        return false;
    }
    const int count = static_cast<int>(result.items.size());
    ApplyHeading(result, allChannels
                             ? AllChannelsSearchHeading(count, keyword)
                             : LocalSearchHeading(count, keyword, tree.PathCaption(current)));
    return true;
}

}  // namespace zirvo
