#pragma once
// Pieces of the small XML files written as one string (the editor hand-over file, the article
// page documents, the category caches), where the layout is fixed text and only values vary.
//
// Threading: pure functions, any thread.

#include <string>
#include <string_view>

namespace zirvo {

// Element text: drops what XML 1.0 cannot carry, then escapes '&', '<' and '>'.
std::string XmlTextContent(std::string_view text);
// "<![CDATA[" + text + "]]>", with a "]]>" inside the text split over two sections so that the
// text reads back unchanged.
std::string XmlCDataSection(std::string_view text);

}  // namespace zirvo
