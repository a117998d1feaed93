#include "core/views/article_document.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/util/files.h"
#include "core/util/strings.h"
#include "core/util/text_codec.h"
#include "core/util/xml_text.h"

namespace zirvo {

namespace {

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

std::string Element(const char* name, const std::string& text) {
    return std::string("<") + name + ">" + CdataSection(text) + "</" + name + ">";
}

// Attribute text: what XmlTextContent escapes, and the quote.
std::string AttributeText(const std::string& text) {
    std::string out = XmlTextContent(text);
    ReplaceAll(out, "\"", "&quot;");
    return out;
}

// RSS 2.0's own form, one element per enclosure; only web addresses ever reach the store.
std::string Enclosures(const RssItem& item) {
    std::string out;
    for (const Enclosure& enclosure : item.enclosures) {
        out += "<enclosure url=\"" + AttributeText(enclosure.url) + "\" type=\"" +
               AttributeText(enclosure.type) + "\" length=\"" + std::to_string(enclosure.length) +
               "\"/>";
    }
    return out;
}

}  // namespace

std::string DocumentHead(const std::string& skinName) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
           "<?xml-stylesheet type=\"text/xsl\" href=\"" +
           EscapeHref(skinName) + ".xsl\"?>";
}

std::string XmlSafeText(const std::string& text) {
    return SanitizeXmlText(text);
}

std::string CdataSection(const std::string& text) {
    return XmlCDataSection(text);
}

std::string BuildItemDocument(const RssItem& item, const std::string& skinName) {
    return DocumentHead(skinName) + "<rss><channel><item>" + Element("link", item.link) +
           Element("title", item.title) + Element("author", item.author) + "<pubDate>" +
           XmlTextContent(item.date) + "</pubDate>" + Element("description", item.description) +
           Enclosures(item) + "</item></channel></rss>";
}

namespace {

std::string CutDescription(const std::string& text, size_t maxBytes) {
    if (text.size() <= maxBytes) {
        return text;
    }
    size_t cut = maxBytes;
    // Never inside a UTF-8 sequence...
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    // ...nor inside a tag, where the note would become part of an attribute.
    const size_t open = text.rfind('<', cut == 0 ? 0 : cut - 1);
    const size_t close = text.rfind('>', cut == 0 ? 0 : cut - 1);
    if (open != std::string::npos && (close == std::string::npos || close < open)) {
        cut = open;
    }
    return text.substr(0, cut) + kCutDescriptionNote;
}

}  // namespace

std::string BuildPageDocument(const std::vector<RssItem>& items, const std::string& skinName,
                              const PageDocumentLimits& limits) {
    std::string out = DocumentHead(skinName) + "<rss><channel>";
    for (const RssItem& item : items) {
        out += "<item>" + Element("link", item.link) + Element("title", item.title) + "<pubDate>" +
               XmlTextContent(item.date) + "</pubDate>";
        if (out.size() < limits.maxTotalBytes) {
            const size_t room =
                std::min(limits.maxDescriptionBytes, limits.maxTotalBytes - out.size());
            out += Element("description", CutDescription(item.description, room));
        } else {
            out += "<description></description>";
        }
        out += "</item>";
    }
    out += "</channel></rss>";
    return out;
}

bool WriteArticleDocumentIfChanged(const std::string& path, const std::string& document,
                                   std::string& error, bool* written) {
    if (written != nullptr) {
        *written = false;
    }
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec && size == document.size() && std::filesystem::is_regular_file(path, ec)) {
        std::string current;
        if (ReadFileBytes(path, current, document.size() + 1) && current == document) {
            return true;
        }
    }
    if (!WriteArticleDocument(path, document, error)) {
        return false;
    }
    if (written != nullptr) {
        *written = true;
    }
    return true;
}

std::string DisableFrames(const std::string& html) {
    // Tag names end at white space, '/' or '>' (the HTML tokenizer's rule), in any letter case.
    static const char* const kFrameTags[] = {"iframe", "frame", "frameset", "portal",
                                             "fencedframe"};
    const std::string lower = ToLowerAscii(html);
    std::string out;
    out.reserve(html.size());
    size_t copied = 0;
    for (size_t at = lower.find('<'); at != std::string::npos; at = lower.find('<', at + 1)) {
        size_t name = at + 1;
        if (name < lower.size() && lower[name] == '/') {
            continue;  // an end tag of an element never opened is ignored
        }
        for (const char* tag : kFrameTags) {
            const size_t length = std::char_traits<char>::length(tag);
            if (lower.compare(name, length, tag) != 0) {
                continue;
            }
            const size_t end = name + length;
            const char next = end < lower.size() ? lower[end] : '>';
            if (next == ' ' || next == '\t' || next == '\n' || next == '\r' || next == '\f' ||
                next == '/' || next == '>') {
                out.append(html, copied, name - copied);
                out += "zirvo-frame";
                copied = end;
                break;
            }
        }
    }
    out.append(html, copied, std::string::npos);
    return out;
}

std::string ContentSecurityPolicy(bool remotePictures) {
    return std::string("default-src 'none'; img-src ") +
           (remotePictures ? "http: https:" : "'none'") +
           "; style-src 'unsafe-inline'; font-src 'none'; media-src 'none'; frame-src 'none'; "
           "child-src 'none'; worker-src 'none'; object-src 'none'; script-src 'none'; "
           "connect-src 'none'; manifest-src 'none'; form-action 'none'; base-uri 'none'";
}

std::string WithContentSecurityPolicy(const std::string& html, bool remotePictures) {
    const std::string meta = "<meta http-equiv=\"Content-Security-Policy\" content=\"" +
                             ContentSecurityPolicy(remotePictures) + "\">";
    size_t at = 0;
    while (at < html.size() &&
           (html[at] == ' ' || html[at] == '\n' || html[at] == '\r' || html[at] == '\t')) {
        ++at;
    }
    if (ToLowerAscii(html.substr(at, 9)) == "<!doctype") {
        const size_t end = html.find('>', at);
        at = end == std::string::npos ? html.size() : end + 1;
    } else {
        at = 0;
    }
    std::string out = html;
    out.insert(at, meta);
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
