#pragma once
// Many HTTP exchanges at once on one thread with a curl multi handle: a limit on transfers in
// flight overall and per host (scheme, host and port of the address asked for), connections
// kept and reused, and HTTP/2 multiplexing where a TLS server offers it (several requests to
// one site become streams of one connection).
//
// Perform() hands a request to the engine and blocks the calling thread until its answer is
// in, so any number of threads can fetch through one engine; requests wait their turn in the
// order they came. A site that answers 429 or 503 is left alone for the time its Retry-After
// names (kDefaultHostPauseSeconds without one), at most kMaxHostPauseSeconds: its waiting
// requests start after that, the others go on. A waiting request whose abort flag (or the
// process-wide closing flag) is set ends as Aborted without being sent; a running one aborts
// as with CCurlHttpClient.
//
// Threading: Perform from any thread, concurrently. The engine's own thread runs every transfer
// and is joined by the destructor, which aborts what is still running or waiting; no Perform
// may still be running by then.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/net/http_client.h"

namespace zirvo {

inline constexpr int kDefaultFetchesInFlight = 16;
inline constexpr int kDefaultFetchesPerHost = 2;
inline constexpr long long kDefaultHostPauseSeconds = 5;
inline constexpr long long kMaxHostPauseSeconds = 30;

struct HttpMultiLimits {
    int inFlight = kDefaultFetchesInFlight;  // at least 1
    int perHost = kDefaultFetchesPerHost;    // at least 1
};

// "scheme://host:port" of an address, lower-cased, the port made explicit; empty when the
// address names no host.
std::string HostKeyOf(const std::string& url);

class CHttpMulti : public IHttpClient {
public:
    explicit CHttpMulti(HttpMultiLimits limits = {});
    CHttpMulti(const CHttpMulti&) = delete;
    CHttpMulti& operator=(const CHttpMulti&) = delete;
    ~CHttpMulti() override;

    HttpResponse Perform(const HttpRequest& request) override;
    int InFlightLimit() const override { return m_limits.inFlight; }

    const HttpMultiLimits& Limits() const { return m_limits; }

private:
    struct Job;

    void Run();
    // Under m_mutex: starts what the limits allow; ends waiting jobs that were aborted.
    void StartWaiting(void* multi);
    void Complete(Job& job, HttpResponse response);

    HttpMultiLimits m_limits;
    std::mutex m_mutex;
    std::deque<Job*> m_waiting;
    std::vector<Job*> m_active;            // added to the multi handle
    std::map<std::string, int> m_running;  // per host key
    std::map<std::string, std::chrono::steady_clock::time_point> m_pausedUntil;
    int m_inFlight = 0;
    bool m_stop = false;
    void* m_multi = nullptr;  // CURLM*, kept out of this header
    std::thread m_thread;
};

}  // namespace zirvo
