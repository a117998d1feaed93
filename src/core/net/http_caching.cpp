#include "core/net/http_caching.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>

#include "core/util/strings.h"

namespace zirvo {
namespace {

// Digits only, at most 18 of them (anything longer is capped anyway); -1 otherwise.
long long Seconds(const std::string& text) {
    if (text.empty()) {
        return -1;
    }
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return -1;
        }
        if (value < kMaxDeferSeconds * 10) {
            value = value * 10 + (c - '0');
        }
    }
    return std::min(value, kMaxDeferSeconds);
}

}  // namespace

bool IsKeepableValidator(const std::string& value) {
    if (value.empty() || value.size() > kMaxValidatorBytes) {
        return false;
    }
    return std::all_of(value.begin(), value.end(), [](char c) { return c >= 0x20 && c < 0x7f; });
}

long long MaxAgeSeconds(const std::string& cacheControl) {
    const std::string lower = ToLowerAscii(cacheControl);
    if (lower.find("no-store") != std::string::npos) {
        return -1;
    }
    size_t at = 0;
    while ((at = lower.find("max-age", at)) != std::string::npos) {
        // "s-maxage" is for shared caches, not for us.
        const bool whole =
            at == 0 || lower[at - 1] == ' ' || lower[at - 1] == ',' || lower[at - 1] == '\t';
        at += 7;
        if (!whole) {
            continue;
        }
        size_t pos = at;
        while (pos < lower.size() && lower[pos] == ' ') {
            ++pos;
        }
        if (pos >= lower.size() || lower[pos] != '=') {
            continue;
        }
        ++pos;
        while (pos < lower.size() && lower[pos] == ' ') {
            ++pos;
        }
        if (pos < lower.size() && lower[pos] == '"') {
            ++pos;
        }
        size_t end = pos;
        while (end < lower.size() && std::isdigit(static_cast<unsigned char>(lower[end]))) {
            ++end;
        }
        return Seconds(lower.substr(pos, end - pos));
    }
    return -1;
}

long long ParseHttpDate(const std::string& text) {
    if (text.empty() || text.size() > 64) {
        return -1;
    }
    const time_t parsed = curl_getdate(text.c_str(), nullptr);
    return parsed < 0 ? -1 : static_cast<long long>(parsed);
}

long long RetryAfterSeconds(const std::string& retryAfter, std::time_t now) {
    std::string value = retryAfter;
    while (!value.empty() && value.back() == ' ') {
        value.pop_back();
    }
    if (long long seconds = Seconds(value); seconds >= 0) {
        return seconds;
    }
    const long long when = ParseHttpDate(value);
    if (when < 0) {
        return -1;
    }
    return std::clamp(when - static_cast<long long>(now), 0LL, kMaxDeferSeconds);
}

}  // namespace zirvo
