#pragma once
// Applies an article skin (an XSL style sheet of Data/RssSkin/) to a display document with
// libxslt and returns the HTML to show. Doing the transformation here rather than in the HTML
// engine keeps the rendered page off file: URLs, so a feed item can never reach the user's
// files from the page.
//
// Neither the style sheet nor the document is trusted: a skin is a file anybody may hand the
// user. So:
//   - nothing reaches the network, no file or folder is written, no DTD or external entity is
//     loaded;
//   - document(), xsl:include and xsl:import reach only files inside the skin's own folder;
//   - the transformation runs under a time budget: a skin that would loop or fan out for hours
//     is stopped and counted as a failed skin.
//
// RenderArticle adds the fallback rule: a skin that fails is replaced by the default skin with
// a banner saying why; when that fails as well, the caller shows the item plainly.
//
// Threading: any thread; each call works on documents of its own. Each call may start one short
// watchdog thread of its own.

#include <string>

namespace zirvo {

struct SkinRenderLimits {
    // How long one transformation may take.
    int timeBudgetMs = 3000;
    // How deep templates may call each other.
    int maxDepth = 1000;
};

struct SkinRenderResult {
    bool ok = false;
    std::string html;   // the transformation's output, UTF-8
    std::string error;  // why it failed: the skin is missing or broken, the document unreadable
};

// `skinPath` is the .xsl file, `document` the text of a display document (article_document.h).
SkinRenderResult RenderWithSkin(const std::string& skinPath, const std::string& document,
                                const SkinRenderLimits& limits = {});

struct ArticleRenderResult {
    bool ok = false;        // html holds a rendered page
    bool fellBack = false;  // the default skin stood in for the chosen one
    std::string html;       // with a banner on top when fellBack
    std::string message;    // what went wrong (empty when the chosen skin served)
};

// Renders `document` with the skin `skinName` of `skinFolder`; a failed skin other than the
// default falls back to the default skin ("样式“NAME”无法使用 (WHY), 已改用“默认”样式" as the
// banner and message). Without a usable skin: ok false and the message.
ArticleRenderResult RenderArticle(const std::string& skinFolder, const std::string& skinName,
                                  const std::string& document, const SkinRenderLimits& limits = {});

// A bar with `message` put at the start of the body of `html` (or at its start).
std::string InsertBanner(const std::string& html, const std::string& message);

}  // namespace zirvo
