// Typing into a long article in the editor's HTML view: the shipped editing page is loaded with
// an article of about 200 KB (Chinese and English paragraphs, lists, links, pictures), the caret
// is put in the middle, and characters are typed one by one the way a keyboard sends them.
// Printed figures:
//   - the longest stall of the window thread's event loop while typing (the worst lateness of a
//     2 ms timer);
//   - in the page: the longest task of its main thread (the engine reports tasks over 50 ms),
//     and the time from a key press to the next frame (median and worst).
// Target: no stall and no page task over 50 ms.
//
// Usage: build/bench/editor_typing_bench [KEYS [PAGE]]   (KEYS defaults to 400, PAGE to the
// shipped editing page; runs offscreen)

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>
#include <algorithm>
#include <cstdio>
#include <optional>

#include "editor/view/editor_html_view.h"

namespace {

QString Article(int targetBytes) {
    QString html;
    int n = 0;
    while (html.toUtf8().size() < targetBytes) {
        ++n;
        html += QStringLiteral("<h2>第 %1 节 Section %1</h2>").arg(n);
        html += QStringLiteral(
                    "<p>这是一段用来测试编辑器的中文正文,包含<b>粗体</b>、<i>斜体</i>和"
                    "<a href=\"https://example.org/%1\">链接</a>。The quick brown fox jumps over "
                    "the lazy "
                    "dog, and the editor must keep up with every key.</p>")
                    .arg(n);
        html += QStringLiteral("<ul><li>第一项 first</li><li>第二项 second</li></ul>");
        html += QStringLiteral("<blockquote>引用的一段话 a quoted line</blockquote>");
        if (n % 10 == 0) {
            html +=
                QStringLiteral("<p><img src=\"http://127.0.0.1:9/p%1.png\" alt=\"图\"></p>").arg(n);
        }
    }
    return html;
}

QVariant Run(QWebEnginePage* page, const QString& script) {
    std::optional<QVariant> answer;
    page->runJavaScript(script, [&answer](const QVariant& v) { answer = v; });
    QElapsedTimer waited;
    waited.start();
    while (!answer && waited.elapsed() < 60000) {
        QTest::qWait(5);
    }
    return answer.value_or(QVariant());
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    const int keys = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 400;
    const QString page =
        QStringLiteral(ZIRVO_SOURCE_DATA) + QStringLiteral("/Data/Editor/默认/index.html");

    zirvo::editor::CEditorHtmlView view;
    view.resize(1000, 700);
    view.show();
    const QString article =
        Article((argc > 3 ? QString::fromLocal8Bit(argv[3]).toInt() : 200) * 1024);
    bool loaded = false;
    QObject::connect(&view, &zirvo::editor::CEditorHtmlView::pageLoaded, &view,
                     [&loaded](bool ok) { loaded = ok; });
    QElapsedTimer clock;
    clock.start();
    view.ShowPage(page, QStringLiteral("HtmlTextIn"), QStringLiteral("HtmlTextOut"), article);
    while (!loaded && clock.elapsed() < 60000) {
        QTest::qWait(10);
    }
    if (!loaded) {
        std::fprintf(stderr, "the editing page did not load: %s\n", qPrintable(page));
        return 1;
    }
    std::printf("article: %lld bytes of HTML, shown %lld ms after the page was asked for\n",
                static_cast<long long>(article.toUtf8().size()),
                static_cast<long long>(clock.elapsed()));

    QWebEnginePage* web = view.WebView()->page();
    // In the page: long tasks, and key press to next frame.
    Run(web, QStringLiteral(
                 "window.benchLong=[];window.benchLag=[];"
                 "try{new PerformanceObserver(function(l){l.getEntries().forEach(function(e){"
                 "benchLong.push(e.duration);});}).observe({entryTypes:['longtask']});}catch(e){}"
                 "document.addEventListener('keydown',function(){var t=performance.now();"
                 "requestAnimationFrame(function(){benchLag.push(performance.now()-t);});},true);"
                 "var e=document.getElementById('editor');e.focus();"
                 "var mid=e.children[Math.floor(e.children.length/2)];"
                 "var r=document.createRange();r.selectNodeContents(mid);r.collapse(false);"
                 "var s=getSelection();s.removeAllRanges();s.addRange(r);true"));
    view.activateWindow();
    view.WebView()->setFocus();
    QWidget* target = view.WebView()->focusProxy();

    qint64 worstStall = 0;
    QElapsedTimer tick;
    tick.start();
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, &probe,
                     [&] { worstStall = std::max(worstStall, tick.restart() - 2); });
    probe.start(2);
    const QString text = QStringLiteral("写文章 typing fast, 一字一字地输入。");
    clock.restart();
    for (int i = 0; i < keys; ++i) {
        const QChar c = text.at(i % text.size());
        if (c.unicode() < 0x80) {
            QTest::keyClick(target, c.toLatin1());
        } else {
            // Text that an input method commits arrives as a key event with its text.
            QTest::sendKeyEvent(QTest::Press, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, target, Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
        }
        QTest::qWait(15);
    }
    QTest::qWait(500);
    probe.stop();
    const qint64 typingMs = clock.elapsed();

    const QVariantList lag = Run(web, QStringLiteral("benchLag")).toList();
    const QVariantList longTasks = Run(web, QStringLiteral("benchLong")).toList();
    std::vector<double> lags;
    for (const QVariant& v : lag) {
        lags.push_back(v.toDouble());
    }
    std::sort(lags.begin(), lags.end());
    double longest = 0;
    for (const QVariant& v : longTasks) {
        longest = std::max(longest, v.toDouble());
    }
    std::printf("typed %d keys in %lld ms\n", keys, static_cast<long long>(typingMs));
    std::printf("window thread: longest event-loop stall %lld ms\n",
                static_cast<long long>(worstStall));
    std::printf("page: %lld tasks over 50 ms, longest %.1f ms\n",
                static_cast<long long>(longTasks.size()), longest);
    if (!lags.empty()) {
        std::printf("page: key to next frame median %.1f ms, worst %.1f ms (%zu keys seen)\n",
                    lags[lags.size() / 2], lags.back(), lags.size());
    }
    std::optional<QString> content;
    view.GetContent(
        [&content](std::optional<QString> html) { content = html.value_or(QString()); });
    while (!content) {
        QTest::qWait(5);
    }
    std::printf("article after typing: %lld bytes\n",
                static_cast<long long>(content->toUtf8().size()));
    return 0;
}
