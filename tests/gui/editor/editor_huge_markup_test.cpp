// The editor's HTML view with markup far bigger or deeper than any article: it is cleaned and
// shown, or refused, but never crashes the page or leaves a call without an answer.

#include <QtTest>

#include "editor_view_fixture.h"

using namespace zirvo;
using namespace zirvo::test;
using editor::CEditorHtmlView;

class EditorHugeMarkupTest : public QObject {
    Q_OBJECT

private slots:
    void HugeMarkupDoesNotBreakThePage();
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

    // Deep nesting and unclosed markup are cut or repaired, never a crash.
    const QString deep = QStringLiteral("<div>").repeated(3000) + QStringLiteral("底");
    QCOMPARE(SetAndWait(view, deep), std::optional<bool>(true));
    QVERIFY(ContentOf(view).contains(QStringLiteral("底")));
    QVERIFY(SetAndWait(view, QStringLiteral("<p><b><i><table><tr><td>未闭合")).value_or(false));
    QVERIFY(ContentOf(view).contains(QStringLiteral("未闭合")));
}

QTEST_MAIN(EditorHugeMarkupTest)
#include "editor_huge_markup_test.moc"
