#pragma once
// The pages of an e-book, filled from the templates under Data/CHMSkin/:
//
//   index.html    the title page: $show_appname$ (a link to the program), $show_description$,
//                 $show_totalarticlenum$ (the number of articles), $show_builddate$ (the build
//                 time as "%Y-%m-%d %H:%M:00");
//   article.html  one page per article: $show_title$, $show_link$, $show_date$, $show_author$,
//                 $show_category$, $show_content$.
//
// Placeholders are replaced in one pass over the template, so a value that happens to contain
// a placeholder's text stays as it is. The article's fields are text and are written escaped;
// its content is HTML and keeps its markup, except what would make the page run, navigate or
// read on its own: scripts, frames, objects, forms, meta and base elements, event-handler
// attributes and script or local-file addresses are removed (feed items are hostile, and a
// help viewer runs scripts). A link that is not a web address becomes kEbookDefaultLink.
//
// Threading: pure functions, any thread.

#include <cstddef>
#include <ctime>
#include <string>

#include "core/ebook/ebook_article.h"

namespace zirvo {

inline constexpr const char* kEbookDefaultLink = "#";

// & < > " ' as entities, after the text has been made one line (EbookOneLine).
std::string EbookHtmlText(const std::string& text);

// The content without active parts (see above), as HTML in UTF-8.
std::string SafeEbookContent(const std::string& html);

// `<a href="SITE/" target="_blank">TITLE</a>`; without a site the title alone.
std::string EbookAppLink(const std::string& site, const std::string& appTitle);

std::string FillEbookTitlePage(const std::string& pageTemplate, const std::string& appLink,
                               const std::string& description, size_t articleCount,
                               std::time_t buildTime);
std::string FillEbookArticlePage(const std::string& pageTemplate, const EbookArticle& article);

}  // namespace zirvo
