#pragma once
// The web engine pieces behind the article page: the in-memory documents served under
// "zirvo-article:", the request guard that keeps file: and unknown schemes away from every page
// of the view, and the page that decides every navigation (see article_page.h).
//
// Navigation rules of the page:
//   - loads the program asks for (LoadFromProgram) and the user's back, forward and reload
//     (AllowUserStep) go ahead;
//   - from a rendered document (a "zirvo-article:" page) only the user's click on a link or a
//     form the user submits leaves, and only to the system's browser for http: and https:;
//     a meta refresh, a redirect, a frame or anything else the document starts is refused, and
//     so is a click while the program is replacing the document (the page still shows the
//     previous item);
//   - a web page the user browses (direct browsing, a home page, the address box) navigates
//     inside the view, to web addresses only.
//
// Threading: the scheme handler and the page run on the window thread; the request guard is
// called on the engine's IO thread and only reads the URL it is given.

#include <QBuffer>
#include <QHash>
#include <QWebEnginePage>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlSchemeHandler>
#include <functional>

namespace zirvo::gui {

inline constexpr char kArticleScheme[] = "zirvo-article";

class CArticleSchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    // Keeps `html` under `path` (the previous documents are dropped but the last few).
    void Put(const QString& path, const QByteArray& html);
    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    QHash<QString, QByteArray> m_documents;
    QStringList m_order;
};

class CArticleRequestGuard : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};

class CArticleWebPage : public QWebEnginePage {
    Q_OBJECT
public:
    // `openExternally` opens a link the user clicked in a rendered document.
    CArticleWebPage(QWebEngineProfile* profile, std::function<void(const QUrl&)> openExternally,
                    QObject* parent);

    // Loads `url` as the program's own navigation; until it shows, clicks in the old document
    // are refused.
    void LoadFromProgram(const QUrl& url);
    // Stops a rendered document that is still loading: a heavy item must not hold up the next
    // one, which the program is about to load.
    void StopRendered();
    // The next back, forward or reload comes from the user.
    void AllowUserStep() { m_userStep = true; }
    // Whether the page shows a rendered document now.
    bool ShowsRendered() const { return m_rendered; }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;

private:
    std::function<void(const QUrl&)> m_openExternally;
    QUrl m_expected;  // the program's load not yet started
    QUrl m_awaited;   // the program's load not yet shown
    bool m_userStep = false;
    bool m_rendered = false;
    bool m_loading = false;
};

}  // namespace zirvo::gui
