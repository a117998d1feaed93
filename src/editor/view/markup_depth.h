#pragma once
// Nesting of article markup, bounded before the markup reaches the engine's parser: the parser's
// work grows with the square of the nesting, so a few hundred kilobytes of "<div><div>..." (a
// hostile feed item) would hold the editing page for minutes. Tags nested deeper than the bound
// are left out; their text stays. Ordinary articles nest a few dozen levels and pass unchanged.
//
// Threading: a plain function, any thread.

#include <QString>

namespace zirvo::editor {

inline constexpr int kMaxMarkupDepth = 400;

// `html` with every start and end tag deeper than `maxDepth` removed. Void elements, self-closed
// tags and elements whose end tag may be left out (p, li, td, ...) do not count; the text of
// script, style and the like is passed over without looking for tags in it.
QString BoundMarkupDepth(const QString& html, int maxDepth = kMaxMarkupDepth);

}  // namespace zirvo::editor
