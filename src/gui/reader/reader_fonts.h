#pragma once
// The article list's title fonts: "arial" 14 px, or "宋体" 16 px for large titles. Where those
// families are not installed (Linux desktops rarely have either) fontconfig's choice for the
// family would be a Latin face without Chinese glyphs, so a CJK face installed on the system
// stands in: a serif one ("Noto Serif CJK SC", "AR PL UMing", ...) for "宋体", a sans one for the
// small font, found through QFontDatabase by writing system, never by a file path. An installed
// Latin face of the same kind comes first, so English text keeps Latin glyphs and half-width
// punctuation; the CJK face serves the Chinese characters.
//
// Threading: window thread (QFontDatabase).

#include <QFont>
#include <QString>

namespace zirvo::gui {

// `big`: the "宋体" 16 px font; else the "arial" 14 px one.
QFont ListFont(bool big);
// The installed family that stands in for `requested` ("宋体" or "arial"); `requested` itself
// when installed; empty when no CJK family exists at all.
QString CjkFamilyFor(const QString& requested);

}  // namespace zirvo::gui
