#include "core/feeds/feed_links.h"

#include <libxml/tree.h>
#include <libxml/uri.h>

#include "core/util/strings.h"

namespace zirvo {
namespace {

std::string TakeChars(xmlChar* chars) {
    if (chars == nullptr) {
        return {};
    }
    std::string text(reinterpret_cast<const char*>(chars));
    xmlFree(chars);
    return text;
}

const xmlChar* X(const std::string& text) {
    return reinterpret_cast<const xmlChar*>(text.c_str());
}

// RFC 3986: ALPHA *( ALPHA / DIGIT / "+" / "-" / "." ) ":"
bool HasScheme(std::string_view text) {
    size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0) {
        return false;
    }
    auto alpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!alpha(text[0])) {
        return false;
    }
    for (size_t i = 1; i < colon; ++i) {
        char c = text[i];
        if (!alpha(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string ResolveUrl(std::string_view base, std::string_view reference) {
    std::string ref = Trim(reference);
    std::string from = Trim(base);
    // An absolute address stays exactly as written: it is the identity of stored items. No
    // address stays none (RFC 3986 would make it the base itself).
    if (ref.empty() || HasScheme(ref) || from.empty() || ref.find('\0') != std::string::npos ||
        from.find('\0') != std::string::npos) {
        return ref;
    }
    std::string resolved = TakeChars(xmlBuildURI(X(ref), X(from)));
    return resolved.empty() ? ref : resolved;
}

bool IsWebLink(std::string_view url) {
    std::string lower = ToLowerAscii(url.substr(0, 8));
    size_t hostStart = 0;
    if (StartsWith(lower, "http://")) {
        hostStart = 7;
    } else if (StartsWith(lower, "https://")) {
        hostStart = 8;
    } else {
        return false;
    }
    return url.size() > hostStart && url[hostStart] != '/';
}

std::string InertUnlessWeb(std::string url) {
    if (url.empty() || IsWebLink(url)) {
        return url;
    }
    return std::string(kInertLinkPrefix) + url;
}

std::string XmlBaseOf(const XmlNode& node, const std::string& documentUrl) {
    std::string chain;
    if (node && node.Raw()->doc != nullptr) {
        chain = TakeChars(xmlNodeGetBase(node.Raw()->doc, node.Raw()));
    }
    if (chain.empty()) {
        return documentUrl;
    }
    return ResolveUrl(documentUrl, chain);
}

}  // namespace zirvo
