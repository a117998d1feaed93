#include "core/net/http_client.h"

#include "core/net/curl_transfer.h"
#include "core/util/strings.h"

namespace zirvo {

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
    CCurlTransfer transfer(request);
    if (!transfer.Ready()) {
        return transfer.Response();
    }
    return transfer.Finish(curl_easy_perform(transfer.Handle()));
}

}  // namespace zirvo
