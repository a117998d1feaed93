#include "gui/reader/reader_fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace zirvo::gui {

namespace {

bool LooksSerif(const QString& family) {
    return family.contains(QStringLiteral("Serif"), Qt::CaseInsensitive) ||
           family.contains(QStringLiteral("Ming"), Qt::CaseInsensitive) ||
           family.contains(QStringLiteral("Song"), Qt::CaseInsensitive) ||
           family.contains(QStringLiteral("宋"));
}

bool LooksMono(const QString& family) {
    return family.contains(QStringLiteral("Mono"), Qt::CaseInsensitive);
}

// A Latin face that is installed, so that Latin letters and punctuation are not drawn by the CJK
// face (whose Latin glyphs are wide and whose punctuation is full-width); the CJK face after it
// serves the Chinese characters.
QString LatinFamily(const QString& requested, bool serif) {
    const QStringList installed = QFontDatabase::families();
    const QStringList wanted =
        serif ? QStringList{requested, QStringLiteral("Times New Roman"),
                            QStringLiteral("Liberation Serif"), QStringLiteral("Noto Serif"),
                            QStringLiteral("DejaVu Serif")}
              : QStringList{requested, QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                            QStringLiteral("Noto Sans"), QStringLiteral("DejaVu Sans")};
    for (const QString& family : wanted) {
        if (!family.isEmpty() && installed.contains(family, Qt::CaseInsensitive)) {
            return family;
        }
    }
    return QString();
}

}  // namespace

QString CjkFamilyFor(const QString& requested) {
    const QStringList installed = QFontDatabase::families();
    if (installed.contains(requested, Qt::CaseInsensitive)) {
        return requested;
    }
    const bool serif = requested == QStringLiteral("宋体");
    const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    QString fallback;
    for (const QString& family : chinese) {
        if (LooksMono(family) || family.startsWith(QLatin1Char('@'))) {
            continue;
        }
        // Prefer the simplified-Chinese cut of a family that ships several.
        const bool simplified = family.endsWith(QStringLiteral(" SC")) ||
                                family.contains(QStringLiteral("CN")) ||
                                family.contains(QStringLiteral("GB"));
        if (LooksSerif(family) == serif) {
            if (simplified) {
                return family;
            }
            if (fallback.isEmpty()) {
                fallback = family;
            }
        }
    }
    if (fallback.isEmpty() && !chinese.isEmpty()) {
        fallback = chinese.front();
    }
    return fallback;
}

QFont ListFont(bool big) {
    const QString requested = big ? QStringLiteral("宋体") : QStringLiteral("arial");
    QFont font;
    QStringList families;
    const QString latin = LatinFamily(big ? QString() : requested, big);
    if (!latin.isEmpty()) {
        families << latin;
    }
    const QString cjk = CjkFamilyFor(big ? requested : QStringLiteral("黑体"));
    if (!cjk.isEmpty()) {
        families << cjk;
    }
    families << font.families();
    font.setFamilies(families);
    font.setPixelSize(big ? 16 : 14);
    font.setWeight(QFont::Normal);
    font.setStyleStrategy(QFont::PreferAntialias);
    font.setStyleHint(big ? QFont::Serif : QFont::SansSerif);
    return font;
}

}  // namespace zirvo::gui
