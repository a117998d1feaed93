#include "html_text.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace zirvo::cli {
namespace {

// Deeper nesting than this is flattened: a hostile body must not exhaust the stack.
constexpr int kMaxDepth = 200;

const char* const kBlocks[] = {"p",          "div", "h1",      "h2",        "h3",     "h4",
                               "h5",         "h6",  "ul",      "ol",        "table",  "tr",
                               "blockquote", "pre", "section", "article",   "header", "footer",
                               "dl",         "dt",  "dd",      "figure",    "hr",     "address",
                               "aside",      "nav", "main",    "figcaption"};
const char* const kSkipped[] = {"script", "style", "head", "title", "noscript", "template"};

template <size_t N>
bool OneOf(const char* name, const char* const (&list)[N]) {
    for (const char* entry : list) {
        if (std::strcmp(name, entry) == 0) {
            return true;
        }
    }
    return false;
}

const char* Name(const xmlNode* node) {
    return reinterpret_cast<const char*>(node->name);
}

std::string Attribute(xmlNode* node, const char* name) {
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    if (value == nullptr) {
        return std::string();
    }
    std::string text(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return text;
}

class CTextBuilder {
public:
    void Text(const char* text, bool preformatted) {
        for (const char* c = text; *c != '\0'; ++c) {
            const bool blank = *c == ' ' || *c == '\t' || *c == '\n' || *c == '\r';
            if (preformatted && *c == '\n') {
                LineBreak();
            } else if (blank && !preformatted) {
                m_pendingSpace = true;
            } else {
                if (m_pendingSpace && !m_out.empty() && m_out.back() != '\n') {
                    m_out += ' ';
                }
                m_pendingSpace = false;
                m_out += *c;
            }
        }
    }
    void Append(const std::string& text) {
        if (m_pendingSpace && !m_out.empty() && m_out.back() != '\n') {
            m_out += ' ';
        }
        m_pendingSpace = false;
        m_out += text;
    }
    void LineBreak() {
        while (!m_out.empty() && m_out.back() == ' ') {
            m_out.pop_back();
        }
        if (!m_out.empty() && m_out.back() != '\n') {
            m_out += '\n';
        }
        m_pendingSpace = false;
    }
    void Paragraph() {
        LineBreak();
        if (!m_out.empty() && (m_out.size() < 2 || m_out.compare(m_out.size() - 2, 2, "\n\n"))) {
            m_out += '\n';
        }
    }
    std::string Finish() {
        LineBreak();
        while (!m_out.empty() && m_out.back() == '\n') {
            m_out.pop_back();
        }
        return m_out;
    }

private:
    std::string m_out;
    bool m_pendingSpace = false;
};

void Walk(xmlNode* first, CTextBuilder& out, std::vector<std::string>& links, int depth,
          bool preformatted) {
    for (xmlNode* node = first; node != nullptr; node = node->next) {
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            if (node->content != nullptr) {
                out.Text(reinterpret_cast<const char*>(node->content), preformatted);
            }
            continue;
        }
        if (node->type != XML_ELEMENT_NODE || node->name == nullptr) {
            continue;
        }
        const char* name = Name(node);
        if (OneOf(name, kSkipped)) {
            continue;
        }
        if (std::strcmp(name, "br") == 0) {
            out.LineBreak();
            continue;
        }
        if (std::strcmp(name, "img") == 0) {
            const std::string alt = Attribute(node, "alt");
            if (!alt.empty()) {
                out.Append("[image: " + alt + "]");
            }
            continue;
        }
        const bool block = OneOf(name, kBlocks);
        if (block) {
            out.Paragraph();
        }
        if (std::strcmp(name, "li") == 0) {
            out.LineBreak();
            out.Append("* ");
        }
        if (depth < kMaxDepth) {
            Walk(node->children, out, links, depth + 1,
                 preformatted || std::strcmp(name, "pre") == 0);
        }
        if (std::strcmp(name, "a") == 0) {
            const std::string href = Attribute(node, "href");
            if (!href.empty() && href[0] != '#' && href.rfind("javascript:", 0) != 0) {
                links.push_back(href);
                out.Append("[" + std::to_string(links.size()) + "]");
            }
        }
        if (block) {
            out.Paragraph();
        }
    }
}

// Length of the UTF-8 sequence that starts with `lead`; 1 for a stray byte.
size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead < 0xF8) {
        return 4;
    }
    if (lead >= 0xE0) {
        return lead < 0xF0 ? 3 : 1;
    }
    return lead >= 0xC0 ? 2 : 1;
}

char32_t Decode(const std::string& text, size_t at, size_t length) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[at + i]); };
    switch (length) {
        case 2:
            return ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
        case 3:
            return ((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
        case 4:
            return ((byte(0) & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6) |
                   (byte(3) & 0x3F);
        default:
            return byte(0);
    }
}

bool IsWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

struct Unit {
    std::string text;
    int width = 0;
    bool space = false;
};

// Words, blanks and single wide characters (a line may break before and after each of those).
std::vector<Unit> Units(const std::string& line) {
    std::vector<Unit> units;
    bool inWord = false;  // the last unit is a word that the next narrow character continues
    for (size_t i = 0; i < line.size();) {
        size_t length = SequenceLength(static_cast<unsigned char>(line[i]));
        if (i + length > line.size()) {
            length = 1;
        }
        const char32_t c = Decode(line, i, length);
        const std::string piece = line.substr(i, length);
        i += length;
        if (c == ' ') {
            units.push_back(Unit{" ", 1, true});
            inWord = false;
        } else if (IsWide(c)) {
            units.push_back(Unit{piece, 2, false});
            inWord = false;
        } else if (inWord) {
            units.back().text += piece;
            units.back().width += 1;
        } else {
            units.push_back(Unit{piece, 1, false});
            inWord = true;
        }
    }
    return units;
}

void WrapLine(const std::string& line, int width, std::string& out) {
    std::string current;
    int currentWidth = 0;
    bool pendingSpace = false;
    const auto flush = [&] {
        out += current + "\n";
        current.clear();
        currentWidth = 0;
        pendingSpace = false;
    };
    for (const Unit& unit : Units(line)) {
        if (unit.space) {
            pendingSpace = !current.empty();
            continue;
        }
        const int needed = unit.width + (pendingSpace ? 1 : 0);
        if (currentWidth + needed > width && !current.empty()) {
            flush();
        }
        if (pendingSpace && !current.empty()) {
            current += ' ';
            currentWidth += 1;
        }
        pendingSpace = false;
        if (unit.width <= width) {
            current += unit.text;
            currentWidth += unit.width;
            continue;
        }
        // A word longer than a line is cut at character boundaries.
        for (size_t i = 0; i < unit.text.size();) {
            size_t length = SequenceLength(static_cast<unsigned char>(unit.text[i]));
            length = std::min(length, unit.text.size() - i);
            if (currentWidth + 1 > width) {
                flush();
            }
            current += unit.text.substr(i, length);
            currentWidth += 1;
            i += length;
        }
    }
    out += current + "\n";
}

}  // namespace

std::string CutToColumns(const std::string& text, size_t columns) {
    size_t used = 0;
    for (size_t i = 0; i < text.size();) {
        size_t length =
            std::min(SequenceLength(static_cast<unsigned char>(text[i])), text.size() - i);
        const size_t width = IsWide(Decode(text, i, length)) ? 2 : 1;
        if (used + width > columns) {
            return text.substr(0, i);
        }
        used += width;
        i += length;
    }
    return text;
}

std::string WrapText(const std::string& text, int width) {
    std::string out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        WrapLine(text.substr(start, end - start), width < 10 ? 10 : width, out);
        start = end + 1;
    }
    if (!out.empty()) {
        out.pop_back();
    }
    return out;
}

PlainText HtmlToPlainText(const std::string& html, int width) {
    PlainText result;
    if (html.empty()) {
        return result;
    }
    const int options =
        HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET;
    std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
        htmlReadMemory(html.data(), static_cast<int>(html.size()), nullptr, "UTF-8", options),
        &xmlFreeDoc);
    if (!doc) {
        result.text = WrapText(html, width);
        return result;
    }
    CTextBuilder out;
    Walk(xmlDocGetRootElement(doc.get()), out, result.links, 0, false);
    result.text = WrapText(out.Finish(), width);
    return result;
}

}  // namespace zirvo::cli
