#pragma once
// Texts of feed formats that say what kind of text they carry (Atom's text constructs, JSON
// Feed's content_text beside content_html), turned into what the item fields hold: the
// description is HTML for the article page, the title plain text for the list.
//
// Threading: pure functions; any thread.

#include <string>
#include <string_view>

#include "core/util/xml_document.h"

namespace zirvo {

// Plain text as HTML that shows it as written ('&', '<', '>' and '"' escaped, line breaks kept
// as <br>).
std::string PlainTextAsHtml(std::string_view text);

// The text an HTML fragment shows: tags dropped, entities decoded, runs of blanks collapsed to
// one space. Text without '<' or '&' comes back trimmed, without a parse.
std::string HtmlAsPlainText(std::string_view html);

// The children of `container` (an Atom xhtml `div`) written out as HTML markup: elements under
// their local names (a prefixed xhtml:p becomes p), text and attribute values escaped. Scripts,
// style sheets, embedded frames and objects are left out with their content, event-handler
// attributes and attribute values that are `javascript:` addresses too: the article page runs
// with scripts off anyway, and stored markup should not carry them to another program.
std::string XhtmlInnerMarkup(const XmlNode& container);

}  // namespace zirvo
