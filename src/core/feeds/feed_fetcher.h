#pragma once
// Fetching a channel's feed: one synchronous HTTP GET and the item walk of feed_parser.h.
//
// The request carries the fixed User-Agent kFeedUserAgent, follows redirects, accepts
// compressed transfer, and has the client's limits (connect 30 s, whole transfer 120 s,
// 32 MiB). It goes through the proxy of the process-wide record (proxy.h) when that is on and
// the local-address rule does not exempt the host; a proxy user name adds Basic proxy
// authorisation. The transfer stops at once when the process-wide closing flag or the
// fetcher's own abort flag is set. The HTTP status is not looked at: any answer that parses as
// a feed of a known format is read (the status only helps to explain a failure), with one
// exception: given the validators of the last answer (ETag, Last-Modified), the request is
// conditional (If-None-Match, If-Modified-Since) and a 304 answer means the feed has not
// changed. A 304 to a request that sent no validator is a failure. The result carries the
// answer's own validators (only keepable ones, http_caching.h) and how long the site asks to be
// left alone (Cache-Control max-age, or Retry-After on 429 and 503).
//
// Threading: one CFeedFetcher per thread (it keeps the result of its last fetch); the free
// functions may be called from any thread.

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "core/config/app_config.h"
#include "core/feeds/feed_discovery.h"
#include "core/feeds/feed_parser.h"
#include "core/feeds/rss_item.h"
#include "core/net/http_client.h"

namespace zirvo {

// The fixed product token sent as User-Agent with every feed request.
inline constexpr char kFeedUserAgent[] = "reader.zirvo.local";
// A feed that sends nothing for this long is dropped (a Timeout failure), well before the
// whole-transfer limit.
inline constexpr long kFeedStallTimeoutMs = 30000;

// Catalogue number of "the items of an RSS document cannot be read", for the front ends that
// report a failed read by number (the receive pipeline itself shows no message).
inline constexpr int kMsgFeedItemsUnreadable = 5001;

// What an address given for a subscription leads to.
struct FeedLookup {
    std::string feedUrl;      // the feed to subscribe; empty when a page names several
    FeedChannelInfo channel;  // that feed's title and home page (a page's address when the
                              // feed names none)
    std::vector<DiscoveredFeed> candidates;  // the feeds a web page names, in its order
};

enum class FeedFailure {
    None,
    BadUrl,   // not an http or https address
    Network,  // name resolution, connection, broken transfer
    Timeout,
    TooLarge,   // the answer passed the size cap
    Aborted,    // closing flag or abort flag
    Empty,      // the answer has no body
    NotXml,     // not well-formed XML
    Html,       // an HTML page instead of a feed
    NoItems,    // a document without an item to store
    BadAnswer,  // an answer HTTP does not allow here (304 to an unconditional request)
    NotJson,    // JSON that is not well-formed or nests too deep
};

// What a conditional request sends back: the validators of the last answer that was stored.
struct FeedValidators {
    std::string etag;
    std::string lastModified;

    bool Empty() const { return etag.empty() && lastModified.empty(); }
};

struct FeedFetchResult {
    FeedFailure failure = FeedFailure::None;
    int httpStatus = 0;         // 0 when no answer arrived
    std::string finalUrl;       // after redirects
    std::string error;          // readable cause when failure != None
    bool notModified = false;   // a 304 to a conditional request: nothing to read
    FeedValidators validators;  // the answer's keepable validators (empty when none)
    // Seconds the site asks to be left alone (max-age on a success; Retry-After on 429 or
    // 503), at most kMaxDeferSeconds; -1 when it asks nothing.
    long long deferSeconds = -1;
    bool siteBusy = false;  // the answer was 429 or 503

    bool Ok() const { return failure == FeedFailure::None; }
};

// A readable name of the failure kind ("network", "not XML", ...).
const char* FeedFailureName(FeedFailure failure);
// The same kind in the interface's words, for a failure that came without its own message.
const char* FeedFailureText(FeedFailure failure);

class CFeedFetcher {
public:
    // `http` null: the fetcher uses a CCurlHttpClient of its own.
    explicit CFeedFetcher(IHttpClient* http = nullptr);

    // A flag that aborts the transfer in flight (besides the process-wide closing flag).
    void SetAbortFlag(const std::atomic<bool>* abortFlag) { m_abortFlag = abortFlag; }
    // Uses `proxy` instead of the process-wide record.
    void SetProxy(const ProxySettings& proxy);
    // The most items read from one answer (the first in document order).
    void SetMaxItems(size_t maxItems) { m_maxItems = maxItems; }

    // GET `url` and read its items into `items` (cleared first). False when the fetch or the
    // read fails, when no item was read, or when the closing flag is set once the answer is in.
    // With validators the GET is conditional: a 304 gives true, no items and
    // LastResult().notModified.
    bool FetchFeed(const std::string& url, std::vector<RssItem>& items,
                   const FeedValidators& sent = {});
    // GET `url` and read the feed's title and home page (any format; a feed without items
    // will do). False when the answer is not a feed or names no title.
    bool FetchChannelInfo(const std::string& url, FeedChannelInfo& info);
    // FetchChannelInfo's title.
    bool FetchChannelTitle(const std::string& url, std::string& title);
    // The address of a subscription to be: a feed gives itself and its channel; a web page
    // its feed links (feed_discovery.h): one is read for its channel, several are listed in
    // `candidates` with `feedUrl` left empty. A page behind a page's link is not followed
    // further. False when the address is neither a feed nor a page naming one (the failure
    // says why).
    bool LookUpFeed(const std::string& url, FeedLookup& lookup);

    const FeedFetchResult& LastResult() const { return m_result; }
    // What the last FetchFeed read about the channel, and its format.
    const FeedChannelInfo& LastChannel() const { return m_channel; }
    FeedFormat LastFormat() const { return m_format; }

private:
    // The GET; false with m_result filled when no answer arrived.
    bool Get(const std::string& url, HttpResponse& response, const FeedValidators& sent = {});
    bool Parse(const std::string& url, const HttpResponse& response, ParsedFeed& parsed);

    std::unique_ptr<IHttpClient> m_ownClient;
    IHttpClient* m_http;
    const std::atomic<bool>* m_abortFlag = nullptr;
    bool m_hasProxy = false;
    ProxySettings m_proxy;
    size_t m_maxItems = kDefaultMaxFeedItems;
    FeedFetchResult m_result;
    FeedChannelInfo m_channel;
    FeedFormat m_format = FeedFormat::Unknown;
};

// FetchFeed on a fetcher of its own.
bool FetchFeed(const std::string& url, std::vector<RssItem>& items);

}  // namespace zirvo
