#pragma once
// The HTML Help project of an e-book, written into Temp/CHMTemp/ below the data root:
//
//   MyLogCHM.hhc  the contents (sitemap): a fixed header, one entry per article, or with the
//                 by-category flag one folder per category holding the entries of the articles
//                 whose category is exactly that text (an article of no listed category is in
//                 no folder), and a fixed footer. Entries name the article's title, escaped
//                 (" < > as &quot; &lt; &gt;), and its page "%d.html" (the list index).
//   MyLogCHM.hhp  the compiler project: [OPTIONS] with the output path and the title,
//                 [WINDOWS] with the default window, [FILES] with one page per article,
//                 [INFOTYPES].
//
// Every line of both files ends with CR LF. A title is one line: its control characters
// (line breaks included) become blanks before it is written, so that a hostile title can
// neither break the file's lines nor hide a second entry in them.
//
// Threading: pure functions, any thread.

#include <string>
#include <vector>

#include "core/ebook/ebook_article.h"

namespace zirvo {

inline constexpr const char* kEbookContentsFile = "MyLogCHM.hhc";
inline constexpr const char* kEbookProjectFile = "MyLogCHM.hhp";
inline constexpr const char* kEbookCompilerProjectFile = "MyLogCHM.chmcmd.hhp";
inline constexpr const char* kEbookWorkDir = "Temp/CHMTemp";
inline constexpr const char* kEbookPictureDir = "Temp/CHMTemp/images";

// "%d.html".
std::string EbookPageName(size_t index);
// The title as one line: control characters (C0, DEL, C1) replaced by blanks, broken UTF-8
// repaired.
std::string EbookOneLine(const std::string& text);
// EbookOneLine, then " < > written as &quot; &lt; &gt;.
std::string EscapeContentsTitle(const std::string& title);

std::string BuildContentsFile(const std::vector<EbookArticle>& articles,
                              const std::vector<std::string>& categories, bool byCategory);
std::string BuildProjectFile(const std::string& outputPath, const std::string& title,
                             size_t articleCount);

// What chmcmd compiles: the project file with the title page and the two style sheets added to
// [FILES]. chmcmd takes in only the files a project lists or its pages reach by a link, and the
// title page is linked from nowhere (a book of no articles, or an edited article template,
// would lose it); the project file itself stays as it is.
std::string CompilerProjectFile(const std::string& projectFile);

}  // namespace zirvo
