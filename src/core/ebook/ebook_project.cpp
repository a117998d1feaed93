#include "core/ebook/ebook_project.h"

#include "core/util/strings.h"
#include "core/util/text_codec.h"

namespace zirvo {
namespace {

constexpr const char* kCrLf = "\r\n";

void Line(std::string& out, const std::string& text) {
    out += text;
    out += kCrLf;
}

void Entry(std::string& out, const std::string& indent, const EbookArticle& article, size_t index) {
    Line(out, indent + "<LI> <OBJECT type=\"text/sitemap\">");
    Line(out,
         indent + "<param name=\"Name\" value=\"" + EscapeContentsTitle(article.title) + "\">");
    Line(out, indent + "<param name=\"Local\" value=\"" + EbookPageName(index) + "\">");
    Line(out, indent + "</OBJECT>");
}

}  // namespace

std::string EbookPageName(size_t index) {
    return StrFormat("%zu.html", index);
}

std::string EbookOneLine(const std::string& text) {
    const std::string valid = SanitizeUtf8(text);
    std::string out;
    out.reserve(valid.size());
    for (size_t pos = 0; pos < valid.size();) {
        char32_t c = 0;
        const size_t length = DecodeUtf8Char(valid, pos, c);
        if (length == 0) {
            break;
        }
        if (c < 0x20 || c == 0x7f || (c >= 0x80 && c < 0xa0) || c == 0x2028 || c == 0x2029) {
            out += ' ';
        } else {
            out.append(valid, pos, length);
        }
        pos += length;
    }
    return out;
}

std::string EscapeContentsTitle(const std::string& title) {
    std::string out;
    for (char c : EbookOneLine(title)) {
        switch (c) {
            case '"':
                out += "&quot;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '<':
                out += "&lt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string BuildContentsFile(const std::vector<EbookArticle>& articles,
                              const std::vector<std::string>& categories, bool byCategory) {
    std::string out;
    for (const char* line :
         {"<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\">", "<HTML>", "<HEAD>",
          "<meta name=\"GENERATOR\" content=\"Microsoft HTML Help Workshop 4.1\">",
          "<!-- Sitemap 1.0 -->", "</HEAD><BODY>", "<OBJECT type=\"text/site properties\">",
          "<param name=\"ImageType\" value=\"Folder\">", "</OBJECT>", "<UL>"}) {
        Line(out, line);
    }
    if (byCategory && !categories.empty()) {
        for (const std::string& category : categories) {
            Line(out, " <LI> <OBJECT type=\"text/sitemap\">");
            Line(out, " <param name=\"Name\" value=\"" + EscapeContentsTitle(category) + "\">");
            Line(out, " <param name=\"ImageNumber\" value=\"1\">");
            Line(out, " </OBJECT>");
            Line(out, "  <UL>");
            for (size_t i = 0; i < articles.size(); ++i) {
                if (articles[i].category == category) {
                    Entry(out, "    ", articles[i], i);
                }
            }
            Line(out, "  </UL>");
        }
    } else {
        for (size_t i = 0; i < articles.size(); ++i) {
            Entry(out, " ", articles[i], i);
        }
    }
    Line(out, "</UL>");
    Line(out, "</BODY></HTML>");
    return out;
}

std::string BuildProjectFile(const std::string& outputPath, const std::string& title,
                             size_t articleCount) {
    const std::string oneLineTitle = EbookOneLine(title);
    std::string out;
    Line(out, "[OPTIONS]");
    Line(out, "Compatibility=1.1 or later");
    Line(out, "Compiled file=" + outputPath);
    Line(out, std::string("Contents file=") + kEbookContentsFile);
    Line(out, "Default Window=default");
    Line(out, "Default topic=index.html");
    Line(out, "Display compile progress=No");
    Line(out, "Full-text search=Yes");
    Line(out, "Language=0x804 中文(中国)");
    Line(out, "Title=" + oneLineTitle);
    Line(out, "[WINDOWS]");
    // NOTE: the window line quotes the title; a double quote inside would end it early.
    std::string windowTitle = oneLineTitle;
    ReplaceAll(windowTitle, "\"", "'");
    Line(out, "default=\"" + windowTitle + "\",\"" + kEbookContentsFile +
                  "\",,\"index.html\",\"index.html\",,,,,0x60420,,0x300c,[0,0,850,600],,,,,,,0");
    Line(out, "[FILES]");
    for (size_t i = 0; i < articleCount; ++i) {
        Line(out, EbookPageName(i));
    }
    Line(out, "[INFOTYPES]");
    return out;
}

std::string CompilerProjectFile(const std::string& projectFile) {
    std::string out = projectFile;
    const std::string section = "[INFOTYPES]\r\n";
    const size_t at = out.rfind(section);
    if (at != std::string::npos) {
        out.insert(at, "index.html\r\nindex.css\r\narticle.css\r\n");
    }
    return out;
}

}  // namespace zirvo
