#pragma once
// Applies an article skin (an XSL style sheet of Data/RssSkin/) to a display document with
// libxslt and returns the HTML to show. Doing the transformation here rather than in the HTML
// engine keeps the rendered page off file: URLs, so a feed item can never reach the user's
// files from the page.
//
// The style sheet is trusted data of the data root; the document is not. Neither may reach the
// network, and the transformation may not write files or create folders: libxslt's security
// preferences forbid all of these, and no DTD or external entity of either file is loaded.
//
// Threading: any thread; each call works on documents of its own.

#include <string>

namespace zirvo {

struct SkinRenderResult {
    bool ok = false;
    std::string html;   // the transformation's output, UTF-8
    std::string error;  // why it failed: the skin is missing or broken, the document unreadable
};

// `skinPath` is the .xsl file, `document` the text of a display document (article_document.h).
SkinRenderResult RenderWithSkin(const std::string& skinPath, const std::string& document);

}  // namespace zirvo
