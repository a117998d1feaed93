#pragma once
// One curl easy handle set up for an HttpRequest, and the HttpResponse made from its end: the
// part shared by the one-at-a-time client (http_client.h) and the multi engine (http_multi.h).
//
// The request must outlive the transfer. The handle aborts (through its progress callback)
// when the process-wide closing flag or the request's abort flag is set.
//
// Threading: a transfer belongs to one thread at a time.

#include <curl/curl.h>

#include <memory>
#include <string>

#include "core/net/http_client.h"

namespace zirvo {

class CCurlTransfer {
public:
    explicit CCurlTransfer(const HttpRequest& request);
    CCurlTransfer(const CCurlTransfer&) = delete;
    CCurlTransfer& operator=(const CCurlTransfer&) = delete;
    ~CCurlTransfer();

    // False (with Response() telling why) when the request cannot be sent at all: not an http
    // address, aborted before the start, no handle to be had.
    bool Ready() const { return m_ready; }
    CURL* Handle() const { return m_easy; }
    // The answer after curl ended the transfer with `rc`.
    HttpResponse Finish(CURLcode rc);
    // The answer of a transfer that was never started (Ready() false).
    const HttpResponse& Response() const { return m_response; }

    // For curl's callbacks.
    size_t OnData(const char* data, size_t bytes);
    size_t OnHeader(const char* data, size_t bytes);
    bool ShouldAbort() const;

private:
    void Setup();

    const HttpRequest& m_request;
    CURL* m_easy = nullptr;
    curl_slist* m_headers = nullptr;
    bool m_ready = false;
    bool m_tooLarge = false;
    std::string m_body;
    HttpResponse m_response;
    char m_errorText[CURL_ERROR_SIZE] = {};
};

// curl_global_init, once per process.
void CurlGlobalInit();

}  // namespace zirvo
