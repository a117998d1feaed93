#include "core/views/article_document.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/util/strings.h"

namespace zirvo {

namespace {

bool AllowedCodePoint(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// Length of the UTF-8 sequence at `i` and its code point; 0 when the bytes are not UTF-8.
size_t DecodeUtf8(const std::string& text, size_t i, char32_t& c) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char lead = byte(i);
    size_t length = 0;
    if (lead < 0x80) {
        c = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        c = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[length] || (c >= 0xD800 && c <= 0xDFFF)) {
        return 0;  // overlong forms and surrogates are not UTF-8
    }
    return length;
}

std::string EscapeElementText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : XmlSafeText(text)) {
        switch (ch) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += ch;
        }
    }
    return out;
}

// The skin name goes into a quoted pseudo-attribute of the processing instruction.
std::string EscapeHref(const std::string& name) {
    std::string out;
    for (char ch : XmlSafeText(name)) {
        switch (ch) {
            case '"':
                out += "%22";
                break;
            case '<':
                out += "%3C";
                break;
            case '>':
                out += "%3E";
                break;
            case '?':
                out += "%3F";
                break;
            case '&':
                out += "&amp;";
                break;
            default:
                out += ch;
        }
    }
    return out;
}

std::string DocumentHead(const std::string& skinName) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
           "<?xml-stylesheet type=\"text/xsl\" href=\"" +
           EscapeHref(skinName) + ".xsl\"?>";
}

std::string Element(const char* name, const std::string& text) {
    return std::string("<") + name + ">" + CdataSection(text) + "</" + name + ">";
}

}  // namespace

std::string XmlSafeText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        char32_t c = 0;
        size_t length = DecodeUtf8(text, i, c);
        if (length == 0) {
            ++i;
            continue;
        }
        if (AllowedCodePoint(c)) {
            out.append(text, i, length);
        }
        i += length;
    }
    return out;
}

std::string CdataSection(const std::string& text) {
    std::string safe = XmlSafeText(text);
    ReplaceAll(safe, "]]>", "]]]]><![CDATA[>");
    return "<![CDATA[" + safe + "]]>";
}

std::string BuildItemDocument(const RssItem& item, const std::string& skinName) {
    return DocumentHead(skinName) + "<rss><channel><item>" + Element("link", item.link) +
           Element("title", item.title) + Element("author", item.author) + "<pubDate>" +
           EscapeElementText(item.date) + "</pubDate>" + Element("description", item.description) +
           "</item></channel></rss>";
}

std::string BuildPageDocument(const std::vector<RssItem>& items, const std::string& skinName) {
    std::string out = DocumentHead(skinName) + "<rss><channel>";
    for (const RssItem& item : items) {
        out += "<item>" + Element("link", item.link) + Element("title", item.title) + "<pubDate>" +
               EscapeElementText(item.date) + "</pubDate>" +
               Element("description", item.description) + "</item>";
    }
    out += "</channel></rss>";
    return out;
}

bool WriteArticleDocument(const std::string& path, const std::string& document,
                          std::string& error) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        error = "cannot write " + path;
        return false;
    }
    file.write(document.data(), static_cast<std::streamsize>(document.size()));
    file.close();
    if (!file) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

std::vector<std::string> ListSkins(const std::string& skinFolder) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(skinFolder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& path = it->path();
        std::error_code typeError;
        if (path.extension() == ".xsl" && it->is_regular_file(typeError)) {
            names.push_back(path.stem().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace zirvo
