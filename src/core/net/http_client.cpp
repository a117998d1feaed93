#include "core/net/http_client.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

#include "core/util/closing_flag.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Transfer {
    const HttpRequest* request = nullptr;
    std::string body;
    bool tooLarge = false;
};

size_t OnData(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    size_t bytes = size * count;
    if (transfer->body.size() + bytes > transfer->request->maxBytes) {
        transfer->tooLarge = true;
        return 0;  // makes curl stop with CURLE_WRITE_ERROR
    }
    transfer->body.append(data, bytes);
    return bytes;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* transfer = static_cast<Transfer*>(user);
    const auto* flag = transfer->request->abortFlag;
    return (IsClosing() || (flag && flag->load())) ? 1 : 0;
}

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

}  // namespace

bool IsHttpUrl(const std::string& url) {
    std::string lower = ToLowerAscii(url);
    size_t skip = 0;
    if (StartsWith(lower, "http://")) {
        skip = 7;
    } else if (StartsWith(lower, "https://")) {
        skip = 8;
    } else {
        return false;
    }
    return url.size() > skip && url[skip] != '/' &&
           url.find_first_of(" \t\r\n") == std::string::npos;
}

std::string CharsetOf(const std::string& contentType) {
    std::string lower = ToLowerAscii(contentType);
    size_t at = lower.find("charset=");
    if (at == std::string::npos) {
        return {};
    }
    std::string value = lower.substr(at + 8);
    size_t end = value.find_first_of("; \t");
    if (end != std::string::npos) {
        value.resize(end);
    }
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

HttpResponse CCurlHttpClient::Perform(const HttpRequest& request) {
    HttpResponse response;
    if (!IsHttpUrl(request.url)) {
        response.failure = HttpFailure::BadUrl;
        response.error = "not an http or https address: " + request.url;
        return response;
    }
    if (IsClosing() || (request.abortFlag && request.abortFlag->load())) {
        response.failure = HttpFailure::Aborted;
        response.error = "aborted";
        return response;
    }
    GlobalInit();
    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    if (!easy) {
        response.failure = HttpFailure::Network;
        response.error = "cannot start a transfer";
        return response;
    }
    CURL* h = easy.get();
    Transfer transfer;
    transfer.request = &request;
    char errorText[CURL_ERROR_SIZE] = {};

    curl_easy_setopt(h, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnData);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, request.connectTimeoutMs);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, request.totalTimeoutMs);
    if (request.stallTimeoutMs > 0) {
        curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, (request.stallTimeoutMs + 999) / 1000);
    }
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(request.maxBytes));
    if (request.followRedirects) {
        curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    }
    if (request.acceptCompressed) {
        curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "");
    }
    if (request.http10) {
        curl_easy_setopt(h, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
    }
    if (!request.userAgent.empty()) {
        curl_easy_setopt(h, CURLOPT_USERAGENT, request.userAgent.c_str());
    }
    // An empty proxy string also stops curl from taking one from the environment; an empty
    // exception list keeps NO_PROXY from the environment out of a chosen proxy's way.
    curl_easy_setopt(h, CURLOPT_PROXY, request.proxy.c_str());
    curl_easy_setopt(h, CURLOPT_NOPROXY, "");
    if (!request.caFile.empty()) {
        curl_easy_setopt(h, CURLOPT_CAINFO, request.caFile.c_str());
    }
    if (request.method == "POST") {
        curl_easy_setopt(h, CURLOPT_POST, 1L);
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, request.body.data());
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(request.body.size()));
    } else if (request.method != "GET") {
        curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, request.method.c_str());
    }
    std::unique_ptr<curl_slist, ListDeleter> headers;
    for (const auto& line : request.headers) {
        curl_slist* grown = curl_slist_append(headers.get(), line.c_str());
        if (grown == nullptr) {
            break;
        }
        headers.release();
        headers.reset(grown);
    }
    if (request.method == "POST") {
        // curl would otherwise add "Expect: 100-continue" to large bodies.
        curl_slist* grown = curl_slist_append(headers.get(), "Expect:");
        if (grown) {
            headers.release();
            headers.reset(grown);
        }
    }
    if (headers) {
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    }
    // Our own headers stay off the CONNECT of a tunnel; the proxy's credentials are curl's own,
    // which it sends to the proxy alone, never to the site at the end of the tunnel.
    curl_easy_setopt(h, CURLOPT_HEADEROPT, CURLHEADER_SEPARATE);
    if (!request.proxy.empty() && !request.proxyUserName.empty()) {
        curl_easy_setopt(h, CURLOPT_PROXYAUTH, CURLAUTH_BASIC);
        curl_easy_setopt(h, CURLOPT_PROXYUSERNAME, request.proxyUserName.c_str());
        curl_easy_setopt(h, CURLOPT_PROXYPASSWORD, request.proxyPassword.c_str());
    }

    CURLcode rc = curl_easy_perform(h);
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    response.status = static_cast<int>(status);
    char* contentType = nullptr;
    if (curl_easy_getinfo(h, CURLINFO_CONTENT_TYPE, &contentType) == CURLE_OK && contentType) {
        response.contentType = contentType;
    }
    char* effective = nullptr;
    if (curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective) {
        response.effectiveUrl = effective;
    }
    char* redirect = nullptr;
    if (curl_easy_getinfo(h, CURLINFO_REDIRECT_URL, &redirect) == CURLE_OK && redirect) {
        response.redirectUrl = redirect;
    }
    response.body = std::move(transfer.body);
    if (rc == CURLE_OK) {
        return response;
    }
    response.error = errorText[0] ? errorText : curl_easy_strerror(rc);
    if (transfer.tooLarge || rc == CURLE_FILESIZE_EXCEEDED) {
        response.failure = HttpFailure::TooLarge;
        response.error =
            "the answer is larger than " + std::to_string(request.maxBytes >> 20) + " MiB";
    } else if (rc == CURLE_ABORTED_BY_CALLBACK) {
        response.failure = HttpFailure::Aborted;
    } else if (rc == CURLE_OPERATION_TIMEDOUT) {
        response.failure = HttpFailure::Timeout;
    } else if (rc == CURLE_UNSUPPORTED_PROTOCOL || rc == CURLE_URL_MALFORMAT) {
        response.failure = HttpFailure::BadUrl;
    } else {
        response.failure = HttpFailure::Network;
    }
    response.body.clear();
    return response;
}

}  // namespace zirvo
