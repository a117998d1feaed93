#include "core/net/http_multi.h"

#include <curl/curl.h>

#include <algorithm>
#include <ctime>
#include <exception>

#include "core/net/curl_transfer.h"
#include "core/net/http_caching.h"
#include "core/util/closing_flag.h"
#include "core/util/strings.h"

namespace zirvo {

struct CHttpMulti::Job {
    const HttpRequest* request = nullptr;
    std::string host;
    std::unique_ptr<CCurlTransfer> transfer;
    HttpResponse response;
    bool done = false;
    // Its own, so that an answer wakes the one thread waiting for it and not every caller.
    std::condition_variable finished;
};

namespace {

using Clock = std::chrono::steady_clock;

constexpr long kIdleConnectionsPerFetch = 4;

CURLM* Multi(void* handle) {
    return static_cast<CURLM*>(handle);
}

bool Aborted(const HttpRequest& request) {
    return IsClosing() || (request.abortFlag != nullptr && request.abortFlag->load());
}

HttpResponse AbortedResponse() {
    HttpResponse response;
    response.failure = HttpFailure::Aborted;
    response.error = "已取消";
    return response;
}

}  // namespace

std::string HostKeyOf(const std::string& url) {
    const std::string lower = ToLowerAscii(url);
    const size_t scheme = lower.find("://");
    if (scheme == std::string::npos) {
        return {};
    }
    const size_t start = scheme + 3;
    const size_t end = lower.find_first_of("/?#", start);
    std::string authority = lower.substr(start, end == std::string::npos ? end : end - start);
    if (const size_t at = authority.rfind('@'); at != std::string::npos) {
        authority.erase(0, at + 1);
    }
    if (authority.empty()) {
        return {};
    }
    const size_t bracket = authority.rfind(']');
    const size_t colon = authority.rfind(':');
    if (colon == std::string::npos || (bracket != std::string::npos && colon < bracket)) {
        authority += lower.compare(0, scheme, "https") == 0 ? ":443" : ":80";
    }
    return lower.substr(0, scheme) + "://" + authority;
}

CHttpMulti::CHttpMulti(HttpMultiLimits limits) : m_limits(limits) {
    m_limits.inFlight = std::max(1, m_limits.inFlight);
    m_limits.perHost = std::max(1, m_limits.perHost);
    CurlGlobalInit();
    CURLM* multi = curl_multi_init();
    if (multi != nullptr) {
        curl_multi_setopt(multi, CURLMOPT_PIPELINING, CURLPIPE_MULTIPLEX);
        curl_multi_setopt(multi, CURLMOPT_MAX_HOST_CONNECTIONS,
                          static_cast<long>(m_limits.perHost));
        // NOTE: the limit in flight is kept by StartWaiting, not by a cap on open connections:
        // with one, a walk over more sites than that closed an idle connection to open each
        // next one (150 connects for 200 feeds on 16 sites). And a fixed cache: curl's own
        // follows the handles added at the moment, which come and go with each request.
        curl_multi_setopt(multi, CURLMOPT_MAXCONNECTS,
                          static_cast<long>(m_limits.inFlight) * kIdleConnectionsPerFetch);
        m_multi = multi;
        m_thread = std::thread([this] { Run(); });
    }
}

CHttpMulti::~CHttpMulti() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    if (m_multi != nullptr) {
        curl_multi_wakeup(Multi(m_multi));
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
    if (m_multi != nullptr) {
        curl_multi_cleanup(Multi(m_multi));
    }
}

HttpResponse CHttpMulti::Perform(const HttpRequest& request) {
    if (m_multi == nullptr) {
        // No multi handle to be had: one transfer at a time on the caller's thread.
        CCurlHttpClient single;
        return single.Perform(request);
    }
    Job job;
    job.request = &request;
    job.host = HostKeyOf(request.url);
    std::unique_lock lock(m_mutex);
    if (m_stop) {
        return AbortedResponse();
    }
    m_waiting.push_back(&job);
    lock.unlock();
    curl_multi_wakeup(Multi(m_multi));
    lock.lock();
    job.finished.wait(lock, [&job] { return job.done; });
    return std::move(job.response);
}

void CHttpMulti::Complete(Job& job, HttpResponse response) {
    job.response = std::move(response);
    job.transfer.reset();
    job.done = true;
    job.finished.notify_one();  // under m_mutex: the waiter cannot leave, nor the job go, before
}

void CHttpMulti::StartWaiting(void* multi) {
    const Clock::time_point now = Clock::now();
    for (auto it = m_waiting.begin(); it != m_waiting.end();) {
        Job& job = **it;
        if (m_stop || Aborted(*job.request)) {
            Complete(job, AbortedResponse());
            it = m_waiting.erase(it);
            continue;
        }
        if (m_inFlight >= m_limits.inFlight) {
            break;
        }
        const auto paused = m_pausedUntil.find(job.host);
        if (m_running[job.host] >= m_limits.perHost ||
            (paused != m_pausedUntil.end() && paused->second > now)) {
            ++it;
            continue;
        }
        job.transfer = std::make_unique<CCurlTransfer>(*job.request);
        if (!job.transfer->Ready() ||
            curl_multi_add_handle(Multi(multi), job.transfer->Handle()) != CURLM_OK) {
            HttpResponse response = job.transfer->Response();
            if (job.transfer->Ready()) {
                response.failure = HttpFailure::Network;
                response.error = "无法开始传输";
            }
            Complete(job, std::move(response));
            it = m_waiting.erase(it);
            continue;
        }
        curl_easy_setopt(job.transfer->Handle(), CURLOPT_PRIVATE, &job);
        ++m_running[job.host];
        ++m_inFlight;
        m_active.push_back(&job);
        it = m_waiting.erase(it);
    }
}

void CHttpMulti::Run() {
    CURLM* multi = Multi(m_multi);
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            StartWaiting(multi);
            if (m_stop && m_inFlight == 0) {
                break;
            }
        }
        int running = 0;
        curl_multi_perform(multi, &running);
        int left = 0;
        bool finished = false;
        while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
            if (message->msg != CURLMSG_DONE) {
                continue;
            }
            CURL* easy = message->easy_handle;
            const CURLcode rc = message->data.result;
            Job* job = nullptr;
            curl_easy_getinfo(easy, CURLINFO_PRIVATE, &job);
            curl_multi_remove_handle(multi, easy);
            if (job == nullptr) {
                continue;
            }
            HttpResponse response = job->transfer->Finish(rc);
            std::lock_guard lock(m_mutex);
            if (response.status == 429 || response.status == 503) {
                long long pause = RetryAfterSeconds(response.retryAfter, std::time(nullptr));
                pause =
                    std::min(pause < 0 ? kDefaultHostPauseSeconds : pause, kMaxHostPauseSeconds);
                m_pausedUntil[job->host] = Clock::now() + std::chrono::seconds(pause);
            }
            --m_running[job->host];
            --m_inFlight;
            m_active.erase(std::remove(m_active.begin(), m_active.end(), job), m_active.end());
            Complete(*job, std::move(response));
            finished = true;
        }
        {
            std::lock_guard lock(m_mutex);
            if (m_stop) {
                break;  // the owner is going away: what still runs is aborted below
            }
        }
        if (finished) {
            // A slot came free: a waiting request takes it now, not after the next answer of
            // another transfer (or the poll's time-out) has woken the loop.
            continue;
        }
        // Waits for network activity, a new request (curl_multi_wakeup) or 100 ms, so that
        // abort flags and paused hosts are looked at again soon.
        curl_multi_poll(multi, nullptr, 0, 100, nullptr);
    }
    // Whatever is left ends as aborted.
    std::lock_guard lock(m_mutex);
    for (Job* job : m_active) {
        curl_multi_remove_handle(multi, job->transfer->Handle());
        Complete(*job, AbortedResponse());
    }
    m_active.clear();
    m_inFlight = 0;
    for (Job* job : m_waiting) {
        Complete(*job, AbortedResponse());
    }
    m_waiting.clear();
}

}  // namespace zirvo
