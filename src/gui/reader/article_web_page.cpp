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

QUrl WithoutFragment(const QUrl& url) {
    return url.adjusted(QUrl::RemoveFragment | QUrl::StripTrailingSlash);
}

bool IsArticleUrl(const QUrl& url) {
    return url.scheme().toLower() == QLatin1String(kArticleScheme);
}

// A page for links that ask for a new window (target="_blank"): a click on such a link goes to
// the system's browser; nothing else the new window would do happens.
class CLinkCatcherPage : public QWebEnginePage {
public:
    CLinkCatcherPage(QWebEngineProfile* profile, std::function<void(const QUrl&)> open,
                     QObject* parent)
        : QWebEnginePage(profile, parent), m_open(std::move(open)) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool) override {
        if (type == NavigationTypeLinkClicked && RouteLink(url, true) == LinkRoute::System) {
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

CArticleWebPage::CArticleWebPage(QWebEngineProfile* profile,
                                 std::function<void(const QUrl&)> openExternally, QObject* parent)
    : QWebEnginePage(profile, parent), m_openExternally(std::move(openExternally)) {
    connect(this, &QWebEnginePage::urlChanged, this, [this](const QUrl& url) {
        m_rendered = IsArticleUrl(url);
        if (m_awaited.isValid() && WithoutFragment(url) == WithoutFragment(m_awaited)) {
            m_awaited = QUrl();
        }
    });
    connect(this, &QWebEnginePage::loadStarted, this, [this] { m_loading = true; });
    connect(this, &QWebEnginePage::loadFinished, this, [this] {
        m_loading = false;
        m_awaited = QUrl();
    });
}

void CArticleWebPage::LoadFromProgram(const QUrl& url) {
    m_expected = url;
    // An anchor of the shown document moves within it; nothing is replaced.
    m_awaited = WithoutFragment(url) == WithoutFragment(this->url()) ? QUrl() : url;
    m_userStep = false;
    load(url);
}

void CArticleWebPage::StopRendered() {
    if (m_loading && m_rendered) {
        triggerAction(QWebEnginePage::Stop);
    }
}

bool CArticleWebPage::acceptNavigationRequest(const QUrl& url, NavigationType type,
                                              bool isMainFrame) {
    if (isMainFrame && m_expected.isValid() &&
        WithoutFragment(url) == WithoutFragment(m_expected)) {
        m_expected = QUrl();
        return true;
    }
    if (isMainFrame && m_userStep &&
        (type == NavigationTypeBackForward || type == NavigationTypeReload)) {
        m_userStep = false;
        return IsArticleUrl(url) || RouteLink(url, false) == LinkRoute::Inside;
    }
    if (!m_rendered) {
        // A web page the user browses: it goes on inside the view, to web addresses only.
        return !IsArticleUrl(url) && RouteLink(url, false) == LinkRoute::Inside;
    }
    // A rendered document. Only the user leaves it, and never while it is being replaced.
    const bool byUser = type == NavigationTypeLinkClicked || type == NavigationTypeFormSubmitted;
    if (!isMainFrame || !byUser || m_awaited.isValid()) {
        return false;
    }
    if (IsArticleUrl(url) && WithoutFragment(url) == WithoutFragment(this->url())) {
        return true;  // an anchor of the same document
    }
    if (RouteLink(url, true) == LinkRoute::System) {
        m_openExternally(url);
    }
    return false;
}

QWebEnginePage* CArticleWebPage::createWindow(WebWindowType) {
    return new CLinkCatcherPage(profile(), m_openExternally, this);
}

}  // namespace zirvo::gui
