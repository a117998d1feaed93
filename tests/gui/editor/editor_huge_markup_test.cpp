// The editor's HTML view with markup far bigger or deeper than any article: it is cleaned and
// shown, or refused, but never crashes the page or leaves a call without an answer; and the
// bound on nesting that keeps the engine's parser fast.

#include <QtTest>

#include "editor/view/markup_depth.h"
#include "editor_view_fixture.h"

using namespace zirvo;
using namespace zirvo::test;
using editor::CEditorHtmlView;

class EditorHugeMarkupTest : public QObject {
    Q_OBJECT

private slots:
    void HugeMarkupDoesNotBreakThePage();
    void NestingIsBoundedOutsideRawText();
};

void EditorHugeMarkupTest::HugeMarkupDoesNotBreakThePage() {
    CEditorHtmlView view;
    // Not shown: what is measured is the cleaning and the calls, not the engine's layout.
    QCOMPARE(ShowAndWait(view, ShippedEditorPage()), std::optional<bool>(true));
    QString huge;
    const QString piece = QStringLiteral("<p>") +
                          QStringLiteral("段落 paragraph <b>粗</b> ").repeated(40) +
                          QStringLiteral("<span onmouseover=\"x()\">文字</span></p>");
    while (huge.size() < 10 * 1024 * 1024) {
        huge += piece;
    }
    QCOMPARE(SetAndWait(view, huge), std::optional<bool>(true));
    const QString back = ContentOf(view);
    QVERIFY(back.size() > 5 * 1024 * 1024);
    QVERIFY(!back.contains(QLatin1String("onmouseover")));

    // Hostile nesting (a few hundred kilobytes of it) is cut to a depth the parser copes with
    // and its text kept; ordinary nesting is left alone.
    const QString deep = QStringLiteral("<div>").repeated(60000) +
                         QStringLiteral("<span>").repeated(60000) + QStringLiteral("底");
    QCOMPARE(SetAndWait(view, deep), std::optional<bool>(true));
    QVERIFY(ContentOf(view).contains(QStringLiteral("底")));
    const QString nested = QStringLiteral("<blockquote>").repeated(30) + QStringLiteral("深") +
                           QStringLiteral("</blockquote>").repeated(30);
    QCOMPARE(SetAndWait(view, nested), std::optional<bool>(true));
    QCOMPARE(ContentOf(view), nested);
    QVERIFY(SetAndWait(view, QStringLiteral("<p><b><i><table><tr><td>未闭合")).value_or(false));
    QVERIFY(ContentOf(view).contains(QStringLiteral("未闭合")));
}

void EditorHugeMarkupTest::NestingIsBoundedOutsideRawText() {
    using editor::BoundMarkupDepth;
    const QString ordinary = QStringLiteral(
        "<p>一<b>二</b><br><img src=\"x.png\"/><ul><li>a<li>b</ul><!-- <div><div> -->"
        "<table><tr><td>c<td>d</table><a title=\"<div>\">e</a> 1 < 2</p>");
    QCOMPARE(BoundMarkupDepth(ordinary, 3), ordinary);
    // Tags past the bound go, their text stays, and the depth comes back down with the ends.
    QCOMPARE(BoundMarkupDepth(QStringLiteral("<div><div><div>x</div></div></div><b>y</b>"), 2),
             QStringLiteral("<div><div>x</div></div><b>y</b>"));
    // Optional-end and void elements do not add depth however many there are.
    const QString items = QStringLiteral("<ul>") + QStringLiteral("<li>i<br>").repeated(50);
    QCOMPARE(BoundMarkupDepth(items, 2), items);
    // Tags inside a script's or a style's text are not counted (the cleaner drops them anyway).
    const QString script = QStringLiteral("<script>if(a<b){'<div><div><div>'}</script><i>z</i>");
    QCOMPARE(BoundMarkupDepth(script, 1), script);
}

QTEST_MAIN(EditorHugeMarkupTest)
#include "editor_huge_markup_test.moc"
