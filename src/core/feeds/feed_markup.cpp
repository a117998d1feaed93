#include "core/feeds/feed_markup.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <cstring>
#include <limits>
#include <memory>

#include "core/util/strings.h"
#include "core/util/xml_text.h"

namespace zirvo {
namespace {

bool IsBlankChar(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string CollapseBlanks(std::string_view text) {
    std::string out;
    bool blank = false;
    for (char c : text) {
        if (IsBlankChar(c)) {
            blank = true;
            continue;
        }
        if (blank && !out.empty()) {
            out += ' ';
        }
        blank = false;
        out += c;
    }
    return out;
}

const char* Chars(const xmlChar* text) {
    return reinterpret_cast<const char*>(text);
}

bool IsDroppedElement(const char* name) {
    for (const char* dropped : {"script", "style", "iframe", "frame", "frameset", "object", "embed",
                                "applet", "base", "meta", "link", "form"}) {
        if (std::strcmp(name, dropped) == 0) {
            return true;
        }
    }
    return false;
}

bool IsVoidElement(const char* name) {
    for (const char* empty : {"br", "hr", "img", "input", "col", "area", "source", "wbr"}) {
        if (std::strcmp(name, empty) == 0) {
            return true;
        }
    }
    return false;
}

// NOTE: bounded by the document's own depth, which the XML parser already caps (256 levels
// without XML_PARSE_HUGE).
void WriteMarkup(std::string& out, const xmlNode* node) {
    for (; node != nullptr; node = node->next) {
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            if (node->content != nullptr) {
                AppendMarkupEscaped(out, Chars(node->content), MarkupQuotes::None);
            }
            continue;
        }
        if (node->type != XML_ELEMENT_NODE) {
            continue;
        }
        const char* name = Chars(node->name);
        if (IsDroppedElement(name)) {
            continue;
        }
        out += '<';
        out += name;
        for (const xmlAttr* attr = node->properties; attr != nullptr; attr = attr->next) {
            std::string attrName = ToLowerAscii(Chars(attr->name));
            if (StartsWith(attrName, "on")) {
                continue;
            }
            xmlChar* raw = xmlNodeListGetString(node->doc, attr->children, 1);
            std::string value = raw != nullptr ? Chars(raw) : "";
            xmlFree(raw);
            if (StartsWith(ToLowerAscii(Trim(value)), "javascript:")) {
                continue;
            }
            out += ' ';
            out += Chars(attr->name);
            out += "=\"";
            AppendMarkupEscaped(out, value, MarkupQuotes::Double);
            out += '"';
        }
        if (node->children == nullptr && IsVoidElement(name)) {
            out += " />";
            continue;
        }
        out += '>';
        WriteMarkup(out, node->children);
        out += "</";
        out += name;
        out += '>';
    }
}

struct HtmlDocFree {
    void operator()(xmlDoc* doc) const noexcept { xmlFreeDoc(doc); }
};

}  // namespace

std::string PlainTextAsHtml(std::string_view text) {
    std::string escaped;
    AppendMarkupEscaped(escaped, text, MarkupQuotes::None);
    std::string out;
    out.reserve(escaped.size());
    for (size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] == '\r') {
            continue;
        }
        if (escaped[i] == '\n') {
            out += "<br />";
        } else {
            out += escaped[i];
        }
    }
    return out;
}

std::string HtmlAsPlainText(std::string_view html) {
    if (html.find_first_of("<&") == std::string_view::npos) {
        return CollapseBlanks(html);
    }
    if (html.size() > static_cast<size_t>(std::numeric_limits<int>::max())) {
        return {};
    }
    EnsureXmlLibraryReady();
    std::string wrapped = "<html><body>" + std::string(html) + "</body></html>";
    std::unique_ptr<xmlDoc, HtmlDocFree> doc(htmlReadMemory(
        wrapped.data(), static_cast<int>(wrapped.size()), nullptr, "UTF-8",
        HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_RECOVER));
    if (doc == nullptr || xmlDocGetRootElement(doc.get()) == nullptr) {
        return CollapseBlanks(html);
    }
    // The text nodes in document order, without what scripts and style sheets hold; walked
    // without recursion, whatever the depth of the markup.
    std::string text;
    const xmlNode* node = xmlDocGetRootElement(doc.get());
    while (node != nullptr) {
        bool skip = node->type == XML_ELEMENT_NODE && IsDroppedElement(Chars(node->name));
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            if (node->content != nullptr) {
                text += Chars(node->content);
            }
        } else if (node->type == XML_ELEMENT_NODE && !skip && node->children != nullptr) {
            node = node->children;
            continue;
        }
        while (node != nullptr && node->next == nullptr) {
            node = node->parent;
            if (node != nullptr && node->type == XML_HTML_DOCUMENT_NODE) {
                node = nullptr;
            }
        }
        if (node != nullptr) {
            node = node->next;
        }
    }
    return CollapseBlanks(text);
}

std::string XhtmlInnerMarkup(const XmlNode& container) {
    std::string out;
    if (container) {
        WriteMarkup(out, container.Raw()->children);
    }
    return out;
}

}  // namespace zirvo
