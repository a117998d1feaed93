#include "editor/view/markup_depth.h"

#include <QSet>

namespace zirvo::editor {

namespace {

bool IsNameStart(QChar c) {
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

bool IsNameChar(QChar c) {
    return IsNameStart(c) || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           c == QLatin1Char('-') || c == QLatin1Char(':') || c == QLatin1Char('_');
}

// Elements that never hold others, or whose end the parser supplies itself: they add no depth.
const QSet<QString>& Uncounted() {
    static const QSet<QString> kNames{
        QStringLiteral("area"),   QStringLiteral("base"),     QStringLiteral("br"),
        QStringLiteral("col"),    QStringLiteral("embed"),    QStringLiteral("hr"),
        QStringLiteral("img"),    QStringLiteral("input"),    QStringLiteral("link"),
        QStringLiteral("meta"),   QStringLiteral("param"),    QStringLiteral("source"),
        QStringLiteral("track"),  QStringLiteral("wbr"),      QStringLiteral("p"),
        QStringLiteral("li"),     QStringLiteral("dt"),       QStringLiteral("dd"),
        QStringLiteral("option"), QStringLiteral("optgroup"), QStringLiteral("tr"),
        QStringLiteral("td"),     QStringLiteral("th"),       QStringLiteral("thead"),
        QStringLiteral("tbody"),  QStringLiteral("tfoot"),    QStringLiteral("colgroup"),
        QStringLiteral("rb"),     QStringLiteral("rt"),       QStringLiteral("rtc"),
        QStringLiteral("rp"),     QStringLiteral("html"),     QStringLiteral("head"),
        QStringLiteral("body")};
    return kNames;
}

// Elements whose content is text up to their own end tag.
const QSet<QString>& RawText() {
    static const QSet<QString> kNames{QStringLiteral("script"),   QStringLiteral("style"),
                                      QStringLiteral("textarea"), QStringLiteral("title"),
                                      QStringLiteral("xmp"),      QStringLiteral("iframe"),
                                      QStringLiteral("noembed"),  QStringLiteral("noframes"),
                                      QStringLiteral("noscript"), QStringLiteral("plaintext")};
    return kNames;
}

}  // namespace

QString BoundMarkupDepth(const QString& html, int maxDepth) {
    const qsizetype n = html.size();
    QString out;
    out.reserve(n);
    qsizetype i = 0;
    int depth = 0;
    while (i < n) {
        const qsizetype open = html.indexOf(QLatin1Char('<'), i);
        if (open < 0) {
            out += QStringView(html).mid(i);
            break;
        }
        out += QStringView(html).mid(i, open - i);
        if (QStringView(html).mid(open, 4) == QLatin1String("<!--")) {
            const qsizetype close = html.indexOf(QLatin1String("-->"), open + 4);
            const qsizetype end = close < 0 ? n : close + 3;
            out += QStringView(html).mid(open, end - open);
            i = end;
            continue;
        }
        const bool closing = open + 1 < n && html[open + 1] == QLatin1Char('/');
        const qsizetype nameStart = open + 1 + (closing ? 1 : 0);
        if (nameStart >= n || !IsNameStart(html[nameStart])) {
            out += QLatin1Char('<');  // text, as the parser reads it
            i = open + 1;
            continue;
        }
        qsizetype nameEnd = nameStart;
        while (nameEnd < n && IsNameChar(html[nameEnd])) {
            ++nameEnd;
        }
        qsizetype k = nameEnd;
        QChar quote;
        while (k < n) {
            const QChar c = html[k];
            if (!quote.isNull()) {
                if (c == quote) {
                    quote = QChar();
                }
            } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
                quote = c;
            } else if (c == QLatin1Char('>')) {
                break;
            }
            ++k;
        }
        const qsizetype tagEnd = k < n ? k + 1 : n;
        const QString name = html.mid(nameStart, nameEnd - nameStart).toLower();
        const bool selfClosed = tagEnd - 2 > nameEnd && html[tagEnd - 2] == QLatin1Char('/');
        const bool counted = !selfClosed && !Uncounted().contains(name);
        bool keep = true;
        if (counted && closing) {
            keep = depth <= maxDepth;
            depth = std::max(0, depth - 1);
        } else if (counted) {
            ++depth;
            keep = depth <= maxDepth;
        }
        if (keep) {
            out += QStringView(html).mid(open, tagEnd - open);
        }
        i = tagEnd;
        if (!closing && RawText().contains(name)) {
            // Its text runs to its own end tag, which the next round reads as a tag.
            const qsizetype end = html.indexOf(QLatin1String("</") + name, i, Qt::CaseInsensitive);
            const qsizetype textEnd = end < 0 ? n : end;
            out += QStringView(html).mid(i, textEnd - i);
            i = textEnd;
        }
    }
    return out;
}

}  // namespace zirvo::editor
