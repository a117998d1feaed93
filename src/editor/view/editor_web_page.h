#pragma once
// The web engine pieces behind the editor's HTML view:
//   - the "zirvo-editor:" scheme, which serves the files of the editing page's own folder and
//     nothing else (no file: address is ever loaded by the editor);
//   - the request guard, which lets the page reach the network for pictures only (http and
//     https image requests) and blocks everything else that is not the page's own folder;
//   - the page, which never leaves the editing page (a clicked link, a script, a dropped file:
//     no navigation but the program's own load goes ahead) and passes the guard script's
//     messages on to the view.
//
// Threading: the scheme handler and the page live on the window thread; the request guard is
// called on the engine's IO thread and only reads the request it is given.

#include <QString>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>
#include <functional>

namespace zirvo::editor {

inline constexpr char kEditorScheme[] = "zirvo-editor";
// The host of every page address: "zirvo-editor://page/index.html".
inline constexpr char kEditorHost[] = "page";

class CEditorSchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    // The folder whose files are served; empty serves nothing.
    void SetRoot(const QString& folder);
    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    QString m_root;  // canonical, without a trailing slash
};

class CEditorRequestGuard : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};

class CEditorWebPage : public QWebEnginePage {
    Q_OBJECT
public:
    // `guardMessage` receives WHAT of each "zirvo-editor:TOKEN:WHAT" console line.
    CEditorWebPage(QWebEngineProfile* profile, QString token,
                   std::function<void(const QString&)> guardMessage, QObject* parent);

    // Loads `url` as the program's own navigation (the only one the page lets through).
    void LoadFromProgram(const QUrl& url);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int lineNumber, const QString& sourceId) override;

private:
    QString m_prefix;
    std::function<void(const QString&)> m_guardMessage;
    QUrl m_expected;
};

// The view with the editor's own context menu (set by the HTML view).
class CEditorWebView : public QWebEngineView {
    Q_OBJECT
public:
    using QWebEngineView::QWebEngineView;
    std::function<void(const QPoint&)> onContextMenu;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
};

}  // namespace zirvo::editor
