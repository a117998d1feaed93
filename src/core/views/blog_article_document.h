#pragma once
// The display document of one blog article, rendered through the account's article template
// (its `logxsl` setting, a style sheet Data/LogSkin/<name>.xsl below the data root):
//
//   Data/LogSkin/article.xml   <?xml ...?><?xml-stylesheet type="text/xsl" href="NAME.xsl"?>
//                              <root><title/><pubdate/><category/><description/></root>
//
// one line, every text in CDATA sections (a "]]>" split over two, characters XML forbids
// dropped, as in the feed documents), declared UTF-8.
//
// Threading: pure functions; any thread.

#include <string>

#include "core/articles/blog_article.h"

namespace zirvo {

inline constexpr const char* kLogSkinFolder = "Data/LogSkin";
inline constexpr const char* kBlogArticleDocumentName = "article.xml";
// The template an account starts with.
inline constexpr const char* kDefaultLogSkinName = "默认";

std::string BuildBlogArticleDocument(const BlogArticle& article, const std::string& skinName);

// A template name taken from an account is used as a file title below Data/LogSkin/: one that
// could name a file elsewhere (a path separator, "." or "..", a NUL) or is empty falls back to
// the default template.
std::string SafeLogSkinName(const std::string& name);

}  // namespace zirvo
