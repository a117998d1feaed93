#pragma once
// Helpers of the editor view tests: the shipped editing page, small pages of a test's own in a
// temporary folder, and waits for the view's asynchronous answers and the page's script values.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>
#include <optional>

#include "editor/view/editor_html_view.h"

namespace zirvo::test {

inline QString ShippedEditorPage() {
    const QString data = qEnvironmentVariable("ZIRVO_DATA_DIR");
    return data + QStringLiteral("/Data/Editor/默认/index.html");
}

// Writes `files` (name -> text) into `dir` and returns the path of its index.html.
inline QString WritePage(const QTemporaryDir& dir, const QList<QPair<QString, QString>>& files) {
    for (const auto& [name, text] : files) {
        QFile file(dir.filePath(name));
        QDir().mkpath(QFileInfo(file).absolutePath());
        if (file.open(QIODevice::WriteOnly)) {
            file.write(text.toUtf8());
        }
    }
    return dir.filePath(QStringLiteral("index.html"));
}

// Shows the page and waits for pageLoaded; returns its argument (nullopt when it never came).
inline std::optional<bool> ShowAndWait(editor::CEditorHtmlView& view, const QString& page,
                                       const QString& content = QString(),
                                       const QString& in = QStringLiteral("HtmlTextIn"),
                                       const QString& out = QStringLiteral("HtmlTextOut")) {
    QSignalSpy loaded(&view, &editor::CEditorHtmlView::pageLoaded);
    view.ShowPage(page, in, out, content);
    if (!loaded.wait(60000)) {
        return std::nullopt;
    }
    return loaded.first().first().toBool();
}

template <typename T>
bool WaitFor(const std::optional<T>& value, int ms = 60000) {
    QElapsedTimer waited;
    waited.start();
    while (!value && waited.elapsed() < ms) {
        QTest::qWait(10);
    }
    return value.has_value();
}

// The content, or "<failed>" when GetContent reported a failure, "<timeout>" without an answer.
inline QString ContentOf(editor::CEditorHtmlView& view) {
    std::optional<std::optional<QString>> answer;
    view.GetContent([&answer](std::optional<QString> html) { answer = html; });
    if (!WaitFor(answer)) {
        return QStringLiteral("<timeout>");
    }
    return answer->value_or(QStringLiteral("<failed>"));
}

// SetContent's answer; nullopt without one.
inline std::optional<bool> SetAndWait(editor::CEditorHtmlView& view, const QString& html) {
    std::optional<bool> answer;
    view.SetContent(html, [&answer](bool ok) { answer = ok; });
    WaitFor(answer);
    return answer;
}

inline std::optional<bool> AppendAndWait(editor::CEditorHtmlView& view, const QString& html) {
    std::optional<bool> answer;
    view.AppendContent(html, [&answer](bool ok) { answer = ok; });
    WaitFor(answer);
    return answer;
}

// The value of `expression` in the page's own script world (as JSON text, "undefined" for none).
inline QString PageValue(editor::CEditorHtmlView& view, const QString& expression) {
    std::optional<QString> answer;
    view.WebView()->page()->runJavaScript(
        QStringLiteral("(function(){var v=(") + expression +
            QStringLiteral(");return v===undefined?'undefined':JSON.stringify(v);})()"),
        [&answer](const QVariant& v) { answer = v.toString(); });
    WaitFor(answer);
    return answer.value_or(QStringLiteral("<timeout>"));
}

}  // namespace zirvo::test
