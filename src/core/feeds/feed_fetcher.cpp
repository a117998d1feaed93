#include "core/feeds/feed_fetcher.h"

#include <ctime>

#include "core/config/proxy.h"
#include "core/net/apply_proxy.h"
#include "core/net/http_caching.h"
#include "core/util/closing_flag.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

FeedFailure FromHttp(HttpFailure failure) {
    switch (failure) {
        case HttpFailure::None:
            return FeedFailure::None;
        case HttpFailure::BadUrl:
            return FeedFailure::BadUrl;
        case HttpFailure::Network:
            return FeedFailure::Network;
        case HttpFailure::Timeout:
            return FeedFailure::Timeout;
        case HttpFailure::TooLarge:
            return FeedFailure::TooLarge;
        case HttpFailure::Aborted:
            return FeedFailure::Aborted;
    }
    return FeedFailure::Network;
}

FeedFailure FromParse(FeedParseError error) {
    switch (error) {
        case FeedParseError::None:
            return FeedFailure::None;
        case FeedParseError::Empty:
            return FeedFailure::Empty;
        case FeedParseError::NotXml:
            return FeedFailure::NotXml;
        case FeedParseError::Html:
            return FeedFailure::Html;
        case FeedParseError::NoItems:
            return FeedFailure::NoItems;
        case FeedParseError::NotJson:
            return FeedFailure::NotJson;
        case FeedParseError::TooLarge:
            return FeedFailure::TooLarge;
    }
    return FeedFailure::NotXml;
}

// The validators and the delay an answer gives, bounded as http_caching.h says.
void ReadCaching(const HttpResponse& response, FeedFetchResult& result) {
    if (IsKeepableValidator(response.etag)) {
        result.validators.etag = response.etag;
    }
    if (IsKeepableValidator(response.lastModified)) {
        result.validators.lastModified = response.lastModified;
    }
    result.siteBusy = response.status == 429 || response.status == 503;
    if (result.siteBusy) {
        result.deferSeconds = RetryAfterSeconds(response.retryAfter, std::time(nullptr));
    } else if (response.status == 200 || response.status == 304) {
        result.deferSeconds = MaxAgeSeconds(response.cacheControl);
    }
}

}  // namespace

const char* FeedFailureName(FeedFailure failure) {
    switch (failure) {
        case FeedFailure::None:
            return "ok";
        case FeedFailure::BadUrl:
            return "bad address";
        case FeedFailure::Network:
            return "network";
        case FeedFailure::Timeout:
            return "time-out";
        case FeedFailure::TooLarge:
            return "too large";
        case FeedFailure::Aborted:
            return "aborted";
        case FeedFailure::Empty:
            return "empty";
        case FeedFailure::NotXml:
            return "not XML";
        case FeedFailure::Html:
            return "HTML";
        case FeedFailure::NoItems:
            return "no items";
        case FeedFailure::BadAnswer:
            return "bad answer";
        case FeedFailure::NotJson:
            return "not JSON";
    }
    return "?";
}

const char* FeedFailureText(FeedFailure failure) {
    switch (failure) {
        case FeedFailure::None:
            return "成功";
        case FeedFailure::BadUrl:
            return "地址无效";
        case FeedFailure::Network:
            return "网络错误";
        case FeedFailure::Timeout:
            return "连接超时";
        case FeedFailure::TooLarge:
            return "返回的内容过大";
        case FeedFailure::Aborted:
            return "已取消";
        case FeedFailure::Empty:
            return "服务器返回的内容为空";
        case FeedFailure::NotXml:
            return "返回的内容不是XML";
        case FeedFailure::Html:
            return "服务器返回的是网页，不是RSS频道";
        case FeedFailure::NoItems:
            return "频道中没有条目";
        case FeedFailure::BadAnswer:
            return "服务器的答复有误";
        case FeedFailure::NotJson:
            return "返回的内容不是JSON";
    }
    return "未知错误";
}

CFeedFetcher::CFeedFetcher(IHttpClient* http) : m_http(http) {
    if (m_http == nullptr) {
        m_ownClient = std::make_unique<CCurlHttpClient>();
        m_http = m_ownClient.get();
    }
}

void CFeedFetcher::SetProxy(const ProxySettings& proxy) {
    m_proxy = proxy;
    m_hasProxy = true;
}

bool CFeedFetcher::Get(const std::string& url, HttpResponse& response, const FeedValidators& sent) {
    m_result = FeedFetchResult();
    HttpRequest request;
    request.method = "GET";
    request.url = url;
    request.userAgent = kFeedUserAgent;
    request.followRedirects = true;
    request.acceptCompressed = true;
    request.abortFlag = m_abortFlag;
    // A feed that sends nothing for this long holds a worker for no use.
    request.stallTimeoutMs = kFeedStallTimeoutMs;
    // Only what could have been stored goes back: a validator is never a way to inject headers.
    const bool conditional =
        IsKeepableValidator(sent.etag) || IsKeepableValidator(sent.lastModified);
    if (IsKeepableValidator(sent.etag)) {
        request.headers.push_back("If-None-Match: " + sent.etag);
    }
    if (IsKeepableValidator(sent.lastModified)) {
        request.headers.push_back("If-Modified-Since: " + sent.lastModified);
    }
    ApplyProxy(request, m_hasProxy ? m_proxy : ProcessProxy(), url);
    response = m_http->Perform(request);
    m_result.httpStatus = response.status;
    m_result.finalUrl = response.effectiveUrl;
    ReadCaching(response, m_result);
    if (!response.Completed()) {
        m_result.failure = FromHttp(response.failure);
        m_result.error = response.error;
        return false;
    }
    if (IsClosing() || (m_abortFlag && m_abortFlag->load())) {
        m_result.failure = FeedFailure::Aborted;
        m_result.error = "已取消";
        return false;
    }
    if (response.status == 304) {
        if (!conditional) {
            m_result.failure = FeedFailure::BadAnswer;
            m_result.error = "服务器对一个未带验证信息的请求答复了304 Not Modified";
            return false;
        }
        m_result.notModified = true;
    }
    return true;
}

bool CFeedFetcher::Parse(const std::string& url, const HttpResponse& response, ParsedFeed& parsed) {
    FeedReadOptions options;
    options.documentUrl = response.effectiveUrl.empty() ? url : response.effectiveUrl;
    options.maxItems = m_maxItems;
    std::string error;
    FeedParseError result =
        ParseFeed(response.body, CharsetOf(response.contentType), options, parsed, error);
    if (result == FeedParseError::None) {
        return true;
    }
    m_result.failure = FromParse(result);
    m_result.error = error;
    if (response.status >= 400) {
        m_result.error = StrFormat("HTTP %d: ", response.status) + m_result.error;
    }
    return false;
}

bool CFeedFetcher::FetchFeed(const std::string& url, std::vector<RssItem>& items,
                             const FeedValidators& sent) {
    items.clear();
    HttpResponse response;
    if (!Get(url, response, sent)) {
        return false;
    }
    if (m_result.notModified) {
        return true;
    }
    ParsedFeed parsed;
    bool ok = Parse(url, response, parsed);
    items = std::move(parsed.items);
    m_channel = std::move(parsed.channel);
    m_format = parsed.format;
    return ok;
}

bool CFeedFetcher::FetchChannelInfo(const std::string& url, FeedChannelInfo& info) {
    info = FeedChannelInfo();
    HttpResponse response;
    if (!Get(url, response)) {
        return false;
    }
    ParsedFeed parsed;
    // The channel is all that is wanted; a feed without items still names itself.
    Parse(url, response, parsed);
    if (parsed.format == FeedFormat::Unknown) {
        if (m_result.failure == FeedFailure::None) {
            m_result.failure = FeedFailure::NoItems;
            m_result.error = "返回的内容不是RSS频道";
        }
        return false;
    }
    m_result.failure = FeedFailure::None;
    m_result.error.clear();
    info = std::move(parsed.channel);
    if (info.title.empty()) {
        m_result.failure = FeedFailure::NoItems;
        m_result.error = "频道没有标题";
        return false;
    }
    return true;
}

bool CFeedFetcher::LookUpFeed(const std::string& url, FeedLookup& lookup) {
    lookup = FeedLookup();
    HttpResponse response;
    if (!Get(url, response)) {
        return false;
    }
    ParsedFeed parsed;
    Parse(url, response, parsed);
    if (parsed.format != FeedFormat::Unknown) {
        // A feed, with or without items: subscribing to it is the user's call.
        m_result.failure = FeedFailure::None;
        m_result.error.clear();
        lookup.feedUrl = url;
        lookup.channel = std::move(parsed.channel);
        return true;
    }
    // A web page, or markup that is not XML at all: what it links to may be a feed.
    if (m_result.failure != FeedFailure::Html && m_result.failure != FeedFailure::NotXml) {
        return false;
    }
    const std::string page = response.effectiveUrl.empty() ? url : response.effectiveUrl;
    lookup.candidates = DiscoverFeeds(response.body, page);
    if (lookup.candidates.empty()) {
        if (m_result.failure == FeedFailure::Html) {
            m_result.error = "该网页没有指明任何RSS频道";
        }
        return false;
    }
    if (lookup.candidates.size() > 1) {
        m_result.failure = FeedFailure::None;
        m_result.error.clear();
        return true;
    }
    const DiscoveredFeed only = lookup.candidates.front();
    HttpResponse second;
    ParsedFeed feed;
    if (Get(only.url, second)) {
        Parse(only.url, second, feed);
    }
    if (feed.format == FeedFormat::Unknown) {
        if (m_result.failure == FeedFailure::None) {
            m_result.failure = FeedFailure::NoItems;
        }
        m_result.error = "无法读取该网页指明的频道（" + only.url + "）：" +
                         (m_result.error.empty() ? "不是RSS频道" : m_result.error);
        return false;
    }
    FeedChannelInfo info = std::move(feed.channel);
    m_result.failure = FeedFailure::None;
    m_result.error.clear();
    lookup.feedUrl = only.url;
    lookup.channel = std::move(info);
    if (lookup.channel.title.empty()) {
        lookup.channel.title = only.title;
    }
    if (lookup.channel.homePage.empty()) {
        lookup.channel.homePage = page;
    }
    return true;
}

bool CFeedFetcher::FetchChannelTitle(const std::string& url, std::string& title) {
    FeedChannelInfo info;
    bool ok = FetchChannelInfo(url, info);
    title = std::move(info.title);
    return ok;
}

bool FetchFeed(const std::string& url, std::vector<RssItem>& items) {
    CFeedFetcher fetcher;
    return fetcher.FetchFeed(url, items);
}

}  // namespace zirvo
