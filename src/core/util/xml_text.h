#pragma once
// Pieces of the small XML files written as one string (the editor hand-over file, the article
// page documents, the category caches), where the layout is fixed text and only values vary, and
// the escaping every writer of XML or HTML text shares.
//
// Threading: pure functions, any thread.

#include <string>
#include <string_view>

namespace zirvo {

// Which quote characters AppendMarkupEscaped turns into references besides '&', '<' and '>'.
enum class MarkupQuotes {
    None,    // element text
    Double,  // attribute values between double quotes: '"' as "&quot;"
    Both,    // text that may land in either kind of attribute: also '\'' as "&#39;"
};

// Appends `text` with the characters that would end or open markup written as references; all
// else (invalid XML characters included) is left to the caller.
void AppendMarkupEscaped(std::string& out, std::string_view text, MarkupQuotes quotes);

// Element text: drops what XML 1.0 cannot carry, then escapes '&', '<' and '>'.
std::string XmlTextContent(std::string_view text);
// "<![CDATA[" + text + "]]>", with a "]]>" inside the text split over two sections so that the
// text reads back unchanged.
std::string XmlCDataSection(std::string_view text);

}  // namespace zirvo
