#include "core/util/xml_text.h"

#include "core/util/strings.h"
#include "core/util/text_codec.h"

namespace zirvo {

void AppendMarkupEscaped(std::string& out, std::string_view text, MarkupQuotes quotes) {
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += quotes == MarkupQuotes::None ? "\"" : "&quot;";
                break;
            case '\'':
                out += quotes == MarkupQuotes::Both ? "&#39;" : "'";
                break;
            default:
                out += c;
        }
    }
}

std::string XmlTextContent(std::string_view text) {
    const std::string clean = SanitizeXmlText(text);
    std::string out;
    out.reserve(clean.size());
    AppendMarkupEscaped(out, clean, MarkupQuotes::None);
    return out;
}

std::string XmlCDataSection(std::string_view text) {
    std::string clean = SanitizeXmlText(text);
    ReplaceAll(clean, "]]>", "]]]]><![CDATA[>");
    return "<![CDATA[" + clean + "]]>";
}

}  // namespace zirvo
