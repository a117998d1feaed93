#include "core/util/xml_text.h"

#include "core/util/strings.h"
#include "core/util/text_codec.h"

namespace zirvo {

std::string XmlTextContent(std::string_view text) {
    std::string clean = SanitizeXmlText(text);
    std::string out;
    out.reserve(clean.size());
    for (char c : clean) {
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
            default:
                out += c;
        }
    }
    return out;
}

std::string XmlCDataSection(std::string_view text) {
    std::string clean = SanitizeXmlText(text);
    ReplaceAll(clean, "]]>", "]]]]><![CDATA[>");
    return "<![CDATA[" + clean + "]]>";
}

}  // namespace zirvo
