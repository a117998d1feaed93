#include "core/views/article_document.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

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
           "</item></channel></rss>";
}

std::string BuildPageDocument(const std::vector<RssItem>& items, const std::string& skinName) {
    std::string out = DocumentHead(skinName) + "<rss><channel>";
    for (const RssItem& item : items) {
        out += "<item>" + Element("link", item.link) + Element("title", item.title) + "<pubDate>" +
               XmlTextContent(item.date) + "</pubDate>" + Element("description", item.description) +
               "</item>";
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
