#pragma once
// An item's HTML body as plain text for a terminal: libxml2's HTML parser reads it (broken
// markup is recovered, entities decoded, nothing fetched from the network), tags are dropped,
// blocks become paragraphs, list entries get a bullet, and every link target is numbered ("[1]")
// where it appears and listed after the text. Lines are wrapped to a width counted in terminal
// columns (CJK characters take two and may break anywhere).
//
// Threading: any thread; no state.

#include <string>
#include <vector>

namespace zirvo::cli {

struct PlainText {
    std::string text;                // paragraphs separated by one empty line, no trailing break
    std::vector<std::string> links;  // link targets in order of their numbers (1-based)
};

PlainText HtmlToPlainText(const std::string& html, int width = 78);

// `text` wrapped to `width` columns; existing line breaks are kept.
std::string WrapText(const std::string& text, int width);
// The start of `text` that fits into `columns` terminal columns, cut on a character boundary.
std::string CutToColumns(const std::string& text, size_t columns);

}  // namespace zirvo::cli
