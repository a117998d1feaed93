#include "core/net/curl_transfer.h"

#include <mutex>

#include "core/util/closing_flag.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

size_t DataCallback(char* data, size_t size, size_t count, void* user) {
    return static_cast<CCurlTransfer*>(user)->OnData(data, size * count);
}

size_t HeaderCallback(char* data, size_t size, size_t count, void* user) {
    return static_cast<CCurlTransfer*>(user)->OnHeader(data, size * count);
}

int ProgressCallback(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<CCurlTransfer*>(user)->ShouldAbort() ? 1 : 0;
}

std::string Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                             text.back() == '\n')) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

// What a failed transfer tells the user: the kind in the interface's words, then curl's own
// detail (host names, certificate reasons) for whoever has to mend it.
std::string DescribeCurlFailure(CURLcode rc, const char* detail) {
    const char* kind = "网络错误";
    switch (rc) {
        case CURLE_COULDNT_RESOLVE_HOST:
            kind = "无法解析主机名";
            break;
        case CURLE_COULDNT_RESOLVE_PROXY:
            kind = "无法解析代理服务器";
            break;
        case CURLE_COULDNT_CONNECT:
            kind = "无法连接到服务器";
            break;
        case CURLE_OPERATION_TIMEDOUT:
            kind = "连接超时";
            break;
        case CURLE_SSL_CONNECT_ERROR:
            kind = "安全连接(SSL)失败";
            break;
        case CURLE_PEER_FAILED_VERIFICATION:
            kind = "服务器证书验证失败";
            break;
        case CURLE_TOO_MANY_REDIRECTS:
            kind = "重定向次数过多";
            break;
        case CURLE_GOT_NOTHING:
            kind = "服务器没有返回任何内容";
            break;
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_PARTIAL_FILE:
            kind = "传输中断";
            break;
        case CURLE_UNSUPPORTED_PROTOCOL:
            kind = "不支持的协议";
            break;
        case CURLE_URL_MALFORMAT:
            kind = "地址格式错误";
            break;
        case CURLE_ABORTED_BY_CALLBACK:
            kind = "已取消";
            break;
        default:
            break;
    }
    std::string text = kind;
    if (detail != nullptr && detail[0] != '\0') {
        text += std::string("（") + detail + "）";
    }
    return text;
}

}  // namespace

void CurlGlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

CCurlTransfer::CCurlTransfer(const HttpRequest& request) : m_request(request) {
    if (!IsHttpUrl(request.url)) {
        m_response.failure = HttpFailure::BadUrl;
        m_response.error = "不是http或https地址：" + request.url;
        return;
    }
    if (ShouldAbort()) {
        m_response.failure = HttpFailure::Aborted;
        m_response.error = "已取消";
        return;
    }
    CurlGlobalInit();
    m_easy = curl_easy_init();
    if (m_easy == nullptr) {
        m_response.failure = HttpFailure::Network;
        m_response.error = "无法开始传输";
        return;
    }
    Setup();
    m_ready = true;
}

CCurlTransfer::~CCurlTransfer() {
    if (m_easy != nullptr) {
        curl_easy_cleanup(m_easy);
    }
    curl_slist_free_all(m_headers);
}

bool CCurlTransfer::ShouldAbort() const {
    return IsClosing() || (m_request.abortFlag != nullptr && m_request.abortFlag->load());
}

size_t CCurlTransfer::OnData(const char* data, size_t bytes) {
    if (m_body.size() + bytes > m_request.maxBytes) {
        m_tooLarge = true;
        return 0;  // makes curl stop with CURLE_WRITE_ERROR
    }
    m_body.append(data, bytes);
    return bytes;
}

size_t CCurlTransfer::OnHeader(const char* data, size_t bytes) {
    std::string_view line(data, bytes);
    if (StartsWith(line, "HTTP/")) {
        // A new answer (after a redirect or an interim 1xx): only the last one's headers count.
        m_response.etag.clear();
        m_response.lastModified.clear();
        m_response.cacheControl.clear();
        m_response.retryAfter.clear();
        return bytes;
    }
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
        return bytes;
    }
    const std::string name = ToLowerAscii(std::string(line.substr(0, colon)));
    std::string* target = nullptr;
    if (name == "etag") {
        target = &m_response.etag;
    } else if (name == "last-modified") {
        target = &m_response.lastModified;
    } else if (name == "cache-control") {
        target = &m_response.cacheControl;
    } else if (name == "retry-after") {
        target = &m_response.retryAfter;
    }
    if (target != nullptr) {
        std::string value = Trimmed(line.substr(colon + 1));
        *target = value.size() <= kMaxKeptHeaderBytes ? std::move(value) : std::string();
    }
    return bytes;
}

void CCurlTransfer::Setup() {
    CURL* h = m_easy;
    const HttpRequest& request = m_request;
    curl_easy_setopt(h, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, m_errorText);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, DataCallback);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, HeaderCallback);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, ProgressCallback);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
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
    } else {
        // HTTP/2 where a TLS server offers it; a multi handle then runs several requests to one
        // site as streams of one connection. Waiting for that connection only pays where it
        // can be HTTP/2: a plain http site would have its requests queue behind the first.
        curl_easy_setopt(h, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_2TLS);
        if (StartsWith(ToLowerAscii(request.url), "https:")) {
            curl_easy_setopt(h, CURLOPT_PIPEWAIT, 1L);
        }
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
    auto append = [this](const char* line) {
        if (curl_slist* grown = curl_slist_append(m_headers, line)) {
            m_headers = grown;
        }
    };
    for (const auto& line : request.headers) {
        append(line.c_str());
    }
    if (request.method == "POST") {
        // curl would otherwise add "Expect: 100-continue" to large bodies.
        append("Expect:");
    }
    if (m_headers != nullptr) {
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, m_headers);
    }
    // Our own headers stay off the CONNECT of a tunnel; the proxy's credentials are curl's own,
    // which it sends to the proxy alone, never to the site at the end of the tunnel.
    curl_easy_setopt(h, CURLOPT_HEADEROPT, CURLHEADER_SEPARATE);
    if (!request.proxy.empty() && !request.proxyUserName.empty()) {
        curl_easy_setopt(h, CURLOPT_PROXYAUTH, CURLAUTH_BASIC);
        curl_easy_setopt(h, CURLOPT_PROXYUSERNAME, request.proxyUserName.c_str());
        curl_easy_setopt(h, CURLOPT_PROXYPASSWORD, request.proxyPassword.c_str());
    }
}

HttpResponse CCurlTransfer::Finish(CURLcode rc) {
    HttpResponse response = std::move(m_response);
    CURL* h = m_easy;
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
    response.body = std::move(m_body);
    if (rc == CURLE_OK) {
        return response;
    }
    response.error = DescribeCurlFailure(rc, m_errorText[0] ? m_errorText : curl_easy_strerror(rc));
    if (m_tooLarge || rc == CURLE_FILESIZE_EXCEEDED) {
        response.failure = HttpFailure::TooLarge;
        response.error =
            "返回的内容超过了 " + std::to_string(m_request.maxBytes >> 20) + " MiB 的上限";
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
