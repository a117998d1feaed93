#include "gui/reader/article_web_page.h"

#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

#include "gui/reader/article_page.h"

namespace zirvo::gui {

namespace {

constexpr int kKeptDocuments = 4;

// The scheme must be known before the application object exists.
void RegisterArticleScheme() {
    QWebEngineUrlScheme scheme(kArticleScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme);
    QWebEngineUrlScheme::registerScheme(scheme);
}
Q_CONSTRUCTOR_FUNCTION(RegisterArticleScheme)

// A page for links that ask for a new window: it takes the address and goes.
class CLinkCatcherPage : public QWebEnginePage {
public:
    CLinkCatcherPage(QWebEngineProfile* profile, std::function<void(const QUrl&)> open,
                     QObject* parent)
        : QWebEnginePage(profile, parent), m_open(std::move(open)) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override {
        if (RouteLink(url, true) == LinkRoute::System) {
            m_open(url);
        }
        deleteLater();
        return false;
    }

private:
    std::function<void(const QUrl&)> m_open;
};

}  // namespace

void CArticleSchemeHandler::Put(const QString& path, const QByteArray& html) {
    m_documents.insert(path, html);
    m_order.removeAll(path);
    m_order.append(path);
    while (m_order.size() > kKeptDocuments) {
        m_documents.remove(m_order.takeFirst());
    }
}

void CArticleSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job) {
    auto found = m_documents.constFind(job->requestUrl().path());
    if (found == m_documents.constEnd()) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    auto* buffer = new QBuffer(job);
    buffer->setData(*found);
    buffer->open(QIODevice::ReadOnly);
    job->reply(QByteArrayLiteral("text/html;charset=utf-8"), buffer);
}

void CArticleRequestGuard::interceptRequest(QWebEngineUrlRequestInfo& info) {
    const QString scheme = info.requestUrl().scheme().toLower();
    // Only web addresses, our own documents, the blank page and inline pictures load at all.
    const bool allowed = scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
                         scheme == QLatin1String(kArticleScheme) ||
                         scheme == QLatin1String("about") ||
                         (scheme == QLatin1String("data") &&
                          info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeMainFrame &&
                          info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeSubFrame);
    // A rendered feed item may show its pictures, but nothing else of it reaches the web:
    // no frames, style sheets, fonts or media that a hostile feed could use to call home.
    const bool web = scheme == QLatin1String("http") || scheme == QLatin1String("https");
    const bool fromItem = info.firstPartyUrl().scheme().toLower() == QLatin1String(kArticleScheme);
    const auto type = info.resourceType();
    const bool remoteExtra = web && fromItem &&
                             type != QWebEngineUrlRequestInfo::ResourceTypeImage &&
                             type != QWebEngineUrlRequestInfo::ResourceTypeMainFrame;
    if (!allowed || remoteExtra) {
        info.block(true);
    }
}

CArticleWebPage::CArticleWebPage(QWebEngineProfile* profile, std::function<bool()> renderedItem,
                                 std::function<void(const QUrl&)> openExternally, QObject* parent)
    : QWebEnginePage(profile, parent),
      m_renderedItem(std::move(renderedItem)),
      m_openExternally(std::move(openExternally)) {}

bool CArticleWebPage::acceptNavigationRequest(const QUrl& url, NavigationType type,
                                              bool isMainFrame) {
    const QString scheme = url.scheme().toLower();
    // Our own documents and the blank page are loaded by the program itself.
    if (scheme == QLatin1String(kArticleScheme) || url.toString() == QLatin1String("about:blank")) {
        return true;
    }
    switch (RouteLink(url, m_renderedItem())) {
        case LinkRoute::System:
            if (isMainFrame || type == NavigationTypeLinkClicked) {
                m_openExternally(url);
            }
            return false;
        case LinkRoute::Inside:
            return true;
        case LinkRoute::Blocked:
            return false;
    }
    return false;
}

QWebEnginePage* CArticleWebPage::createWindow(WebWindowType) {
    return new CLinkCatcherPage(profile(), m_openExternally, this);
}

}  // namespace zirvo::gui
