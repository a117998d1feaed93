#pragma once
// One HTTP exchange over libcurl, behind a small interface so that the feed fetcher and the
// blog clients can be driven against loopback servers in tests.
//
// Every request uses its own easy handle: connect time-out 30 s, whole transfer 120 s, the
// answer capped (32 MiB by default), TLS certificates and host names verified. Only http and
// https addresses are accepted: a feed or blog address must never read local files. A transfer
// stops at once when the process-wide closing flag or the request's own abort flag is set.
//
// Threading: CCurlHttpClient is stateless; any thread, concurrently.

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

namespace zirvo {

struct HttpRequest {
    std::string method = "GET";  // "GET" or "POST"
    std::string url;
    std::vector<std::string> headers;  // "Name: value" lines, sent in this order
    std::string body;                  // POST body
    bool http10 = false;               // speak HTTP/1.0 instead of 1.1
    bool followRedirects = true;
    bool acceptCompressed = true;  // Accept-Encoding for every method curl knows
    std::string userAgent;
    std::string proxy;  // "host:port"; empty: no proxy (and none from the env)
    // Basic credentials for the proxy alone (curl sends them on a plain request to the proxy
    // and on the CONNECT of a tunnel, never to the site); empty user name: none. Set by
    // ApplyProxy (apply_proxy.h).
    std::string proxyUserName;
    std::string proxyPassword;
    // A PEM bundle trusted instead of the system's certificates; empty: the system's.
    std::string caFile;
    long connectTimeoutMs = 30000;
    long totalTimeoutMs = 120000;
    // A transfer that receives nothing for this long ends as a Timeout; 0: only the total
    // time-out applies. Whole seconds (curl's low-speed limit).
    long stallTimeoutMs = 0;
    size_t maxBytes = 32u << 20;
    const std::atomic<bool>* abortFlag = nullptr;
};

// The longest caching header value an HttpResponse keeps.
inline constexpr size_t kMaxKeptHeaderBytes = 4096;

enum class HttpFailure {
    None,     // the exchange completed; look at the status
    BadUrl,   // not an http or https address
    Network,  // name resolution, connection, TLS, broken transfer
    Timeout,
    TooLarge,  // the answer passed maxBytes
    Aborted,   // closing flag or abort flag
};

struct HttpResponse {
    HttpFailure failure = HttpFailure::None;
    int status = 0;
    std::string body;
    std::string contentType;   // as the server sent it, e.g. "text/xml; charset=gb2312"
    std::string effectiveUrl;  // after redirects
    // Where a redirect answer (3xx with a Location) points, resolved against the request's
    // address; filled also when redirects are not followed, so that a caller can follow them
    // by its own rules.
    std::string redirectUrl;
    std::string error;  // a readable cause when failure != None
    // Caching headers of the last answer (the one after redirects), as sent; a value longer
    // than kMaxKeptHeaderBytes is dropped (left empty) rather than cut.
    std::string etag;
    std::string lastModified;
    std::string cacheControl;
    std::string retryAfter;

    bool Completed() const { return failure == HttpFailure::None; }
};

class IHttpClient {
public:
    virtual ~IHttpClient() = default;
    virtual HttpResponse Perform(const HttpRequest& request) = 0;
    // The most exchanges the client runs at once however many threads call Perform; 0 when
    // each call runs at once.
    virtual int InFlightLimit() const { return 0; }
};

class CCurlHttpClient : public IHttpClient {
public:
    HttpResponse Perform(const HttpRequest& request) override;
};

// True for addresses that start with "http://" or "https://" (any letter case) and name a host.
bool IsHttpUrl(const std::string& url);

// The charset parameter of a Content-Type value, lower-cased; empty when absent.
std::string CharsetOf(const std::string& contentType);

}  // namespace zirvo
