#include "core/search/news_search.h"

#include "core/net/url_escape.h"
#include "core/subscriptions/channel_checks.h"
#include "core/util/strings.h"
#include "core/util/text_codec.h"

namespace zirvo {
namespace {

constexpr const char* kServiceQuery = "/ns?word=%s&ie=gb2312&cl=2&rn=%d&ct=0&tn=newsrss&class=0";

// Scheme and host of an http(s) address ("http://news.example:8080").
std::string SchemeAndHost(const std::string& address) {
    const size_t hostStart = address.find("//") + 2;
    const size_t hostEnd = address.find_first_of("/?#", hostStart);
    return address.substr(0, hostEnd);
}

// Fills "%s", "%d" and "%%" of `pattern`; other "%" sequences stay as written. The values are
// never used as a format, so a "%" inside them is harmless.
std::string FillTemplate(const std::string& pattern, const std::string& word,
                         const std::string& count) {
    std::string out;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size()) {
            const char next = pattern[i + 1];
            if (next == 's' || next == 'd' || next == '%') {
                out += next == 's' ? word : next == 'd' ? count : std::string("%");
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

}  // namespace

std::string BuildNewsSearchUrl(const std::string& serviceAddress, const std::string& keyword,
                               bool titleOnly, const std::string& resultCount) {
    long long count = 0;
    if (!IsWebAddress(serviceAddress) || !ParseInt(resultCount, count) || count <= 0) {
        return {};
    }
    std::string word = titleOnly ? "title%3A" : "";
    word += PercentEncode(Utf8ToGb18030(keyword));
    const std::string pattern = serviceAddress.find("%s") != std::string::npos
                                    ? serviceAddress
                                    : SchemeAndHost(serviceAddress) + kServiceQuery;
    return FillTemplate(pattern, word, StrFormat("%lld", count));
}

bool ReadNewsSearchAddress(CAppConfig& config, std::string& address) {
    if (!config.ReadAppValue("rss/newssearchurl", address)) {
        return false;
    }
    address = Trim(address);
    return true;
}

bool StageNewsResults(CRssStore& store, std::vector<RssItem> items, const std::string& keyword,
                      SearchResult& result, CErrorMsgDialog& messages) {
    result = SearchResult();
    if (items.empty() || !store.StageItems(kNewsChannelId, items)) {
        messages.ShowMessageBox(kNoSearchResults);
        return false;
    }
    for (RssItem& item : items) {
        item.channelId = kNewsChannelId;
    }
    result.items = std::move(items);
    result.fromStaging = true;
    ApplyHeading(result, NewsSearchHeading(static_cast<int>(result.items.size()), keyword));
    return true;
}

bool SearchNews(const FeedFetcher& fetch, CRssStore& store, const std::string& serviceAddress,
                const std::string& keyword, bool titleOnly, const std::string& resultCount,
                SearchResult& result, CErrorMsgDialog& messages) {
    result = SearchResult();
    const std::string url = BuildNewsSearchUrl(serviceAddress, keyword, titleOnly, resultCount);
    std::vector<RssItem> items;
    if (url.empty() || !fetch || !fetch(url, items)) {
        messages.ShowMessageBox(kNoSearchResults);
        return false;
    }
    return StageNewsResults(store, std::move(items), keyword, result, messages);
}

}  // namespace zirvo
