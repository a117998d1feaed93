#include "core/ebook/ebook_pages.h"

#include <libxml/HTMLparser.h>
#include <libxml/HTMLtree.h>
#include <libxml/xmlsave.h>

#include <array>
#include <map>
#include <memory>
#include <string_view>

#include "core/ebook/ebook_project.h"
#include "core/net/http_client.h"
#include "core/util/strings.h"
#include "core/util/xml_text.h"

namespace zirvo {
namespace {

// Elements dropped with everything inside them.
constexpr std::array<std::string_view, 24> kDroppedElements = {
    "script", "style", "iframe", "frame",  "frameset", "object",   "embed",  "applet",
    "form",   "input", "button", "select", "textarea", "meta",     "link",   "base",
    "svg",    "math",  "audio",  "video",  "source",   "template", "portal", "noscript"};

// Attributes that hold an address.
constexpr std::array<std::string_view, 9> kAddressAttributes = {
    "href", "src", "action", "formaction", "background", "lowsrc", "dynsrc", "poster", "data"};

bool IsDroppedElement(std::string_view name) {
    for (std::string_view dropped : kDroppedElements) {
        if (EqualsIgnoreCaseAscii(name, dropped)) {
            return true;
        }
    }
    return false;
}

bool IsAddressAttribute(std::string_view name) {
    for (std::string_view attribute : kAddressAttributes) {
        if (EqualsIgnoreCaseAscii(name, attribute)) {
            return true;
        }
    }
    return false;
}

// A web address, a local name of the book (relative, no scheme) or a fragment.
bool IsSafeAddress(const std::string& value) {
    std::string compact;
    for (char c : value) {
        if (static_cast<unsigned char>(c) > 0x20) {
            compact += c;
        }
    }
    const size_t colon = compact.find(':');
    const size_t slash = compact.find_first_of("/?#");
    if (colon == std::string::npos || (slash != std::string::npos && slash < colon)) {
        return true;  // relative: stays inside the book
    }
    return IsHttpUrl(compact) || StartsWith(ToLowerAscii(compact), "mailto:");
}

std::string_view Name(const xmlChar* name) {
    return name ? std::string_view(reinterpret_cast<const char*>(name)) : std::string_view();
}

void CleanAttributes(xmlNode* element) {
    xmlAttr* attribute = element->properties;
    while (attribute) {
        xmlAttr* next = attribute->next;
        const std::string_view name = Name(attribute->name);
        bool drop = StartsWith(ToLowerAscii(name), "on") || EqualsIgnoreCaseAscii(name, "srcset");
        if (!drop && (IsAddressAttribute(name) || EqualsIgnoreCaseAscii(name, "style"))) {
            xmlChar* value = xmlNodeGetContent(reinterpret_cast<xmlNode*>(attribute));
            const std::string text = value ? reinterpret_cast<const char*>(value) : "";
            xmlFree(value);
            if (EqualsIgnoreCaseAscii(name, "style")) {
                const std::string lower = ToLowerAscii(text);
                drop = lower.find("url(") != std::string::npos ||
                       lower.find("expression") != std::string::npos ||
                       lower.find("behavior") != std::string::npos;
            } else {
                drop = !IsSafeAddress(text);
            }
        }
        if (drop) {
            xmlRemoveProp(attribute);
        }
        attribute = next;
    }
}

void CleanChildren(xmlNode* parent) {
    xmlNode* child = parent->children;
    while (child) {
        xmlNode* next = child->next;
        if (child->type == XML_ELEMENT_NODE && IsDroppedElement(Name(child->name))) {
            xmlUnlinkNode(child);
            xmlFreeNode(child);
        } else if (child->type == XML_ELEMENT_NODE) {
            CleanAttributes(child);
            CleanChildren(child);
        } else if (child->type == XML_COMMENT_NODE || child->type == XML_PI_NODE) {
            // Old help viewers read conditional comments as markup.
            xmlUnlinkNode(child);
            xmlFreeNode(child);
        }
        child = next;
    }
}

xmlNode* FindBody(xmlNode* node) {
    for (; node; node = node->next) {
        if (node->type == XML_ELEMENT_NODE && EqualsIgnoreCaseAscii(Name(node->name), "body")) {
            return node;
        }
        if (xmlNode* inner = FindBody(node->children)) {
            return inner;
        }
    }
    return nullptr;
}

// Replaces every "$show_NAME$" of the template whose name `values` holds, in one pass.
std::string FillTemplate(const std::string& pageTemplate,
                         const std::map<std::string, std::string, std::less<>>& values) {
    std::string out;
    out.reserve(pageTemplate.size());
    size_t from = 0;
    while (true) {
        const size_t start = pageTemplate.find("$show_", from);
        const size_t end =
            start == std::string::npos ? std::string::npos : pageTemplate.find('$', start + 1);
        if (end == std::string::npos) {
            out.append(pageTemplate, from, std::string::npos);
            return out;
        }
        const std::string_view name(pageTemplate.data() + start, end + 1 - start);
        const auto found = values.find(name);
        out.append(pageTemplate, from, start - from);
        if (found != values.end()) {
            out += found->second;
            from = end + 1;
        } else {
            out += '$';
            from = start + 1;
        }
    }
}

}  // namespace

std::string EbookHtmlText(const std::string& text) {
    std::string out;
    AppendMarkupEscaped(out, EbookOneLine(text), MarkupQuotes::Both);
    return out;
}

std::string SafeEbookContent(const std::string& html) {
    if (Trim(html).empty()) {
        return {};
    }
    const int options = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                        HTML_PARSE_NONET | HTML_PARSE_NODEFDTD;
    // The wrapper keeps a content that starts with text or a head-only element in the body.
    const std::string wrapped = "<html><body>" + html + "</body></html>";
    std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
        htmlReadMemory(wrapped.data(), static_cast<int>(wrapped.size()), nullptr, "UTF-8", options),
        &xmlFreeDoc);
    xmlNode* body = doc ? FindBody(xmlDocGetRootElement(doc.get())) : nullptr;
    if (!body) {
        return EbookHtmlText(html);
    }
    CleanChildren(body);
    std::unique_ptr<xmlBuffer, decltype(&xmlBufferFree)> buffer(xmlBufferCreate(), &xmlBufferFree);
    xmlOutputBuffer* output = xmlOutputBufferCreateBuffer(buffer.get(), nullptr);
    if (!output) {
        return EbookHtmlText(html);
    }
    for (xmlNode* child = body->children; child; child = child->next) {
        htmlNodeDumpFormatOutput(output, doc.get(), child, "UTF-8", 0);
    }
    xmlOutputBufferClose(output);
    return std::string(reinterpret_cast<const char*>(xmlBufferContent(buffer.get())),
                       static_cast<size_t>(xmlBufferLength(buffer.get())));
}

std::string EbookAppLink(const std::string& site, const std::string& appTitle) {
    if (!IsHttpUrl(site)) {
        return EbookHtmlText(appTitle);
    }
    std::string address = site;
    while (!address.empty() && address.back() == '/') {
        address.pop_back();
    }
    return "<a href=\"" + EbookHtmlText(address) + "/\" target=\"_blank\">" +
           EbookHtmlText(appTitle) + "</a>";
}

std::string FillEbookTitlePage(const std::string& pageTemplate, const std::string& appLink,
                               const std::string& description, size_t articleCount,
                               std::time_t buildTime) {
    std::tm local{};
    localtime_r(&buildTime, &local);
    char date[32] = {};
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:00", &local);
    std::string descriptionHtml;
    for (const std::string& line : Split(description, '\n')) {
        if (!descriptionHtml.empty()) {
            descriptionHtml += "<br>";
        }
        descriptionHtml += EbookHtmlText(line);
    }
    return FillTemplate(pageTemplate, {{"$show_appname$", appLink},
                                       {"$show_description$", descriptionHtml},
                                       {"$show_totalarticlenum$", StrFormat("%zu", articleCount)},
                                       {"$show_builddate$", date}});
}

std::string FillEbookArticlePage(const std::string& pageTemplate, const EbookArticle& article) {
    const std::string link = IsHttpUrl(article.link) ? article.link : kEbookDefaultLink;
    return FillTemplate(pageTemplate, {{"$show_title$", EbookHtmlText(article.title)},
                                       {"$show_link$", EbookHtmlText(link)},
                                       {"$show_date$", EbookHtmlText(article.date)},
                                       {"$show_author$", EbookHtmlText(article.author)},
                                       {"$show_category$", EbookHtmlText(article.category)},
                                       {"$show_content$", SafeEbookContent(article.content)}});
}

}  // namespace zirvo
