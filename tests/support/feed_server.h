#pragma once
// The loopback feed site of the tests (tests/support/feed_server.py) in its own process:
// test feeds, redirects, slow and stalled answers, error statuses, truncated, huge, HTML and
// gzip answers, a feed that grows on every request, generated feeds, bodies a test stores with
// Put, and the record of every request the client made (with its User-Agent).
//
// Threading: the object belongs to the thread that made it; the server answers any thread.

#include <string>
#include <vector>

#include "support/loopback_process.h"

namespace zirvo::test {

struct RecordedRequest {
    std::string method;
    std::string path;  // with the query
    std::string userAgent;
    std::string acceptEncoding;
    std::string proxyAuthorization;  // as a proxy receives it
    std::string ifNoneMatch;
    std::string ifModifiedSince;
    std::string host;
    std::string referer;
    std::string cookie;
};

class CFeedServer {
public:
    // Serves `dir` under /corpus/ and /gzip/ (the feeds written for the tests, tests/data/feeds,
    // by default). Throws std::runtime_error when the server cannot be started.
    explicit CFeedServer(const std::string& dir = DefaultFeedsDir());

    static std::string DefaultFeedsDir();
    static std::string ScriptPath();

    int Port() const { return m_process.Port(); }
    // "http://127.0.0.1:PORT" + path.
    std::string Url(const std::string& path) const { return m_process.Url(path); }

    // Stores `body` under `path`: later GETs of the path serve it with `contentType`.
    bool Put(const std::string& path, const std::string& body,
             const std::string& contentType = "text/xml");
    // Forgets a stored body.
    bool Remove(const std::string& path);
    // The requests made so far (routes starting with "/_" excepted), oldest first.
    std::vector<RecordedRequest> Requests() const;
    // The recorded requests whose path starts with `prefix`.
    std::vector<RecordedRequest> RequestsFor(const std::string& prefix) const;
    // Forgets the recorded requests and the counters of /changing.
    bool Reset();
    // The most requests the site answered at once since the start or the last Reset: overall,
    // and for the busiest Host (a client's host and port); and the connections it accepted.
    struct InFlightStats {
        int overall = 0;
        int perHost = 0;
        int connections = 0;
    };
    InFlightStats InFlight() const;

private:
    CLoopbackProcess m_process;
};

}  // namespace zirvo::test
