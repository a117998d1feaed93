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
    }
    return "?";
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
        m_result.error = "aborted";
        return false;
    }
    if (response.status == 304) {
        if (!conditional) {
            m_result.failure = FeedFailure::BadAnswer;
            m_result.error =
                "the server answered 304 Not Modified to a request that sent no validator";
            return false;
        }
        m_result.notModified = true;
    }
    return true;
}

bool CFeedFetcher::Load(const HttpResponse& response, CXmlDocument& doc) {
    std::string error;
    FeedParseError parsed =
        LoadFeedDocument(response.body, CharsetOf(response.contentType), doc, error);
    if (parsed == FeedParseError::None) {
        return true;
    }
    m_result.failure = FromParse(parsed);
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
    CXmlDocument doc;
    if (!Load(response, doc)) {
        return false;
    }
    if (ReadFeedItems(doc, items) == 0) {
        m_result.failure = FeedFailure::NoItems;
        m_result.error = DescribeMissingItems(doc);
        if (response.status >= 400) {
            m_result.error = StrFormat("HTTP %d: ", response.status) + m_result.error;
        }
        return false;
    }
    return true;
}

bool CFeedFetcher::FetchChannelTitle(const std::string& url, std::string& title) {
    title.clear();
    HttpResponse response;
    if (!Get(url, response)) {
        return false;
    }
    CXmlDocument doc;
    if (!Load(response, doc)) {
        return false;
    }
    title = ReadChannelTitle(doc);
    if (title.empty()) {
        m_result.failure = FeedFailure::NoItems;
        m_result.error = "the answer has no /rss/channel/title";
        return false;
    }
    return true;
}

bool FetchFeed(const std::string& url, std::vector<RssItem>& items) {
    CFeedFetcher fetcher;
    return fetcher.FetchFeed(url, items);
}

}  // namespace zirvo
