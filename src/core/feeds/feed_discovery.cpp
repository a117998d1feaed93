#include "core/feeds/feed_discovery.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <limits>
#include <memory>

#include "core/feeds/feed_links.h"
#include "core/feeds/feed_markup.h"
#include "core/util/strings.h"
#include "core/util/text_codec.h"
#include "core/util/xml_document.h"

namespace zirvo {
namespace {

struct DocFree {
    void operator()(xmlDoc* doc) const noexcept { xmlFreeDoc(doc); }
};

std::string AttributeOf(const xmlNode* node, const char* name) {
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    if (value == nullptr) {
        return {};
    }
    std::string text(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return text;
}

bool IsNamed(const xmlNode* node, const char* name) {
    return node->type == XML_ELEMENT_NODE &&
           EqualsIgnoreCaseAscii(reinterpret_cast<const char*>(node->name), name);
}

bool IsFeedType(const std::string& type) {
    return type == "application/rss+xml" || type == "application/atom+xml" ||
           type == "application/feed+json";
}

bool HasToken(const std::string& list, std::string_view token) {
    std::string word;
    for (char c : list + " ") {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f') {
            if (EqualsIgnoreCaseAscii(word, token)) {
                return true;
            }
            word.clear();
        } else {
            word += c;
        }
    }
    return false;
}

// The next node in document order, without recursion.
const xmlNode* Next(const xmlNode* node) {
    if (node->type == XML_ELEMENT_NODE && node->children != nullptr) {
        return node->children;
    }
    while (node != nullptr && node->next == nullptr) {
        node = node->parent;
        if (node != nullptr && node->type != XML_ELEMENT_NODE) {
            return nullptr;
        }
    }
    return node != nullptr ? node->next : nullptr;
}

// Without the fragment, for comparing an address with the page's own.
std::string WithoutFragment(const std::string& url) {
    return url.substr(0, url.find('#'));
}

}  // namespace

std::vector<DiscoveredFeed> DiscoverFeeds(std::string_view html, const std::string& pageUrl) {
    std::vector<DiscoveredFeed> found;
    if (html.empty() || html.size() > static_cast<size_t>(std::numeric_limits<int>::max())) {
        return found;
    }
    EnsureXmlLibraryReady();
    // UTF-8 pages often say nothing of their encoding; others name theirs in a meta element.
    const char* encoding = IsWellFormedUtf8(html) ? "UTF-8" : nullptr;
    std::unique_ptr<xmlDoc, DocFree> doc(htmlReadMemory(
        html.data(), static_cast<int>(html.size()), nullptr, encoding,
        HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_RECOVER));
    if (doc == nullptr || xmlDocGetRootElement(doc.get()) == nullptr) {
        return found;
    }
    std::string base = pageUrl;
    const std::string self = WithoutFragment(pageUrl);
    for (const xmlNode* node = xmlDocGetRootElement(doc.get()); node != nullptr;
         node = Next(node)) {
        if (IsNamed(node, "base")) {
            std::string href = AttributeOf(node, "href");
            if (!href.empty() && base == pageUrl) {
                std::string resolved = ResolveUrl(pageUrl, href);
                if (IsWebLink(resolved)) {
                    base = resolved;  // the first base element counts
                }
            }
            continue;
        }
        if (!IsNamed(node, "link") || !HasToken(AttributeOf(node, "rel"), "alternate")) {
            continue;
        }
        std::string type = ToLowerAscii(Trim(AttributeOf(node, "type")));
        type = Trim(type.substr(0, type.find(';')));
        if (!IsFeedType(type)) {
            continue;
        }
        std::string url = ResolveUrl(base, AttributeOf(node, "href"));
        if (!IsWebLink(url) || WithoutFragment(url) == self) {
            continue;
        }
        bool known = false;
        for (const DiscoveredFeed& feed : found) {
            known = known || feed.url == url;
        }
        if (known) {
            continue;
        }
        found.push_back(
            {url, CutToUtf8Bytes(HtmlAsPlainText(AttributeOf(node, "title")), 1024), type});
        if (found.size() >= kMaxDiscoveredFeeds) {
            break;
        }
    }
    return found;
}

}  // namespace zirvo
