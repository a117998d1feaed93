#include "core/net/url_escape.h"

#include <curl/curl.h>

#include <climits>
#include <memory>
#include <new>

namespace zirvo {
namespace {

struct CurlFree {
    void operator()(char* p) const { curl_free(p); }
};

int CurlLength(std::string_view text) {
    // curl takes an int; no URL part of ours comes near it, and a longer one is refused whole
    // rather than cut.
    if (text.size() > static_cast<size_t>(INT_MAX)) {
        throw std::bad_alloc();
    }
    return static_cast<int>(text.size());
}

}  // namespace

std::string PercentEncode(std::string_view bytes) {
    if (bytes.empty()) {
        return {};
    }
    // libcurl ignores the handle of its escape functions; none is needed.
    std::unique_ptr<char, CurlFree> out(curl_easy_escape(nullptr, bytes.data(), CurlLength(bytes)));
    if (!out) {
        throw std::bad_alloc();
    }
    return std::string(out.get());
}

std::string PercentDecode(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    int length = 0;
    std::unique_ptr<char, CurlFree> out(
        curl_easy_unescape(nullptr, text.data(), CurlLength(text), &length));
    if (!out) {
        throw std::bad_alloc();
    }
    return std::string(out.get(), static_cast<size_t>(length));
}

}  // namespace zirvo
