#pragma once
// The web engine pieces behind the article page: the in-memory documents served under
// "zirvo-article:", the request guard that keeps file: and unknown schemes away from every page
// of the view, and the page that routes link clicks (see article_page.h).
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
    // `renderedItem` says whether the page shows a rendered item now (links leave for the
    // system's browser); `openExternally` opens such a link.
    CArticleWebPage(QWebEngineProfile* profile, std::function<bool()> renderedItem,
                    std::function<void(const QUrl&)> openExternally, QObject* parent);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;

private:
    std::function<bool()> m_renderedItem;
    std::function<void(const QUrl&)> m_openExternally;
};

}  // namespace zirvo::gui
