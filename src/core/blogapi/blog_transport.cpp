#include "core/blogapi/blog_transport.h"

#include <algorithm>
#include <fstream>

#include "core/net/apply_proxy.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

constexpr int kNetworkFailure = 3001;
constexpr int kHttpFailure = 4002;
constexpr int kNetworkPlace = 2;

// The original servers only ever saw these exact lines; keep the double blank of the agent.
constexpr const char* kUserAgentLine = "User-Agent:  zirvo";

void WriteDiagnosticFile(const std::string& path, const std::string& body) {
    if (path.empty()) {
        return;
    }
    // Replaced, never appended: the file shows the last failed answer only.
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) {
        out.write(body.data(), static_cast<std::streamsize>(body.size()));
    }
}

void CutToMethodResponse(std::string& body, const std::string& encodeType) {
    size_t at = body.find("<methodResponse");
    if (at == std::string::npos) {
        return;
    }
    body = "<?xml version=\"1.0\" encoding=\"" + encodeType + "\"?>" + body.substr(at);
}

bool IsRedirectStatus(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool IsSecureUrl(const std::string& url) {
    return ToLowerAscii(url.substr(0, 8)) == "https://";
}

// Why a redirect from `from` to `to` may not be followed; empty when it may.
std::string RedirectRefusal(const std::string& from, const std::string& to, int redirects) {
    if (to.empty()) {
        return kTextRedirectWithoutAddress;
    }
    if (!IsHttpUrl(to)) {
        return kTextRedirectNotHttp;
    }
    if (IsSecureUrl(from) && !IsSecureUrl(to)) {
        // The request carries the blog password: it never leaves TLS once it was under it.
        return kTextRedirectDowngrade;
    }
    if (redirects >= kMaxXmlRpcRedirects) {
        return kTextTooManyRedirects;
    }
    return {};
}

}  // namespace

std::string EndpointMovedText(const std::string& address) {
    return std::string(kTextEndpointMovedPrefix) + address + kTextEndpointMovedSuffix;
}

bool BuildXmlRpcRequest(const ConnectionSettings& settings, TransportVariant variant,
                        const std::string& requestBody, HttpRequest& request) {
    EndpointParts parts = SplitEndpoint(settings.endpointUrl);
    if (parts.host.empty()) {
        return false;
    }
    bool secure = variant == TransportVariant::MsnSpaces || parts.secure;
    request = HttpRequest{};
    request.method = "POST";
    request.url = std::string(secure ? "https://" : "http://") +
                  HostWithPort(parts.host, ToInt(settings.port)) + parts.objectPath;
    request.http10 = true;
    request.followRedirects = false;
    request.acceptCompressed = false;
    request.body = requestBody;
    request.connectTimeoutMs = settings.connectTimeoutMs;
    request.totalTimeoutMs = settings.totalTimeoutMs;
    request.maxBytes = settings.maxAnswerBytes;
    request.caFile = settings.caFile;
    request.headers.push_back(kUserAgentLine);
    if (variant == TransportVariant::MsnSpaces) {
        request.headers.push_back("Content-Type: text/xml; charset=UTF-8");
        request.headers.push_back("Accept-Language: zh-cn");
    } else {
        request.headers.push_back("Content-Type: text/xml");
    }
    ApplyProxy(request, settings.proxy, settings.endpointUrl);
    return true;
}

int PostXmlOver(IHttpClient& http, CErrorMsgDialog& messages, const ConnectionSettings& settings,
                TransportVariant variant, const std::string& requestBody, std::string& responseBody,
                std::string* movedTo) {
    HttpRequest request;
    if (!BuildXmlRpcRequest(settings, variant, requestBody, request)) {
        messages.ShowById(kNetworkFailure);
        return 0;
    }
    const std::string firstUrl = request.url;
    HttpResponse response;
    // A blog that moved (typically to HTTPS) answers its old endpoint with a redirect. The
    // POST is repeated with its body at the new address, by the rules of RedirectRefusal.
    for (int redirects = 0;; ++redirects) {
        response = http.Perform(request);
        if (!response.Completed() || !IsRedirectStatus(response.status)) {
            break;
        }
        std::string refusal = RedirectRefusal(request.url, response.redirectUrl, redirects);
        if (!refusal.empty()) {
            std::string target = response.redirectUrl.empty() ? request.url : response.redirectUrl;
            messages.ShowText(kRedirectRefused, kNetworkPlace, kTextRedirectRefusedSummary,
                              refusal + "\r\n" + target);
            return 0;
        }
        request.url = response.redirectUrl;
    }
    if (response.failure == HttpFailure::Aborted) {
        return 0;
    }
    if (response.failure == HttpFailure::TooLarge) {
        messages.ShowText(kAnswerTooLarge, kNetworkPlace, kTextAnswerTooLargeSummary,
                          StrFormat(kTextAnswerTooLargeFormat,
                                    static_cast<unsigned long>(request.maxBytes >> 20)));
        return 0;
    }
    if (!response.Completed()) {
        messages.ShowById(kNetworkFailure);
        return 0;
    }
    if (movedTo != nullptr && request.url != firstUrl) {
        *movedTo = request.url;
    }
    bool httpError = response.status > 399;
    if (httpError) {
        messages.ShowById(kHttpFailure);
        if (settings.debugUse != 1) {
            return 0;
        }
    }
    // NUL bytes cannot be part of an XML answer; they are dropped rather than cutting the text.
    responseBody = std::move(response.body);
    responseBody.erase(std::remove(responseBody.begin(), responseBody.end(), '\0'),
                       responseBody.end());
    if (variant == TransportVariant::MsnSpaces) {
        CutToMethodResponse(responseBody, settings.encodeType);
    }
    if (!httpError) {
        return 1;
    }
    WriteDiagnosticFile(settings.debugPath, responseBody);
    return 0;
}

}  // namespace zirvo
