#include "gui/reader/article_web_view.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "gui/reader/article_web_page.h"

namespace zirvo::gui {

namespace {

// A shown pane that is not painted (a window started minimised) still gets its view after this.
constexpr int kPaintWaitMs = 1000;

}  // namespace

CArticleWebView::CArticleWebView(std::function<void(const QUrl&)> openExternally, QWidget* parent)
    : QWidget(parent), m_openExternally(std::move(openExternally)) {
    m_scheme = new CArticleSchemeHandler(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setFocusPolicy(Qt::StrongFocus);
}

CArticleWebView::~CArticleWebView() {
    // The page must go before the profile it uses, the profile before its scheme handler.
    delete m_view;
    m_view = nullptr;
    delete m_page;
    m_page = nullptr;
    delete m_profile;
    m_profile = nullptr;
}

void CArticleWebView::Load(const QUrl& url) {
    if (m_page != nullptr) {
        m_page->LoadFromProgram(url);
        return;
    }
    // Only the newest document matters; a new view is blank already.
    m_queued = url.toString() == QLatin1String("about:blank") ? QUrl() : url;
    if (m_queued.isEmpty() || m_startScheduled) {
        return;
    }
    // Decided once the event loop runs: a pane that is shown by then waits for its first paint,
    // so that the window is on the screen before the engine holds the thread.
    QTimer::singleShot(0, this, [this] {
        if (m_view != nullptr || m_startScheduled) {
            return;
        }
        if (isVisible() && !m_painted) {
            QTimer::singleShot(kPaintWaitMs, this, &CArticleWebView::StartLater);
            return;
        }
        StartLater();
    });
}

void CArticleWebView::StopRendered() {
    if (m_page != nullptr) {
        m_page->StopRendered();
    }
}

bool CArticleWebView::ShowsRendered() const {
    if (m_page != nullptr) {
        return m_page->ShowsRendered();
    }
    return m_queued.scheme() == QLatin1String(kArticleScheme);
}

QUrl CArticleWebView::Url() const {
    return m_view != nullptr ? m_view->url() : QUrl();
}

CArticleWebPage* CArticleWebView::Page() {
    Start();
    return m_page;
}

QWebEngineView* CArticleWebView::View() {
    Start();
    return m_view;
}

void CArticleWebView::Start() {
    CreateProfile();
    CreateView();
}

void CArticleWebView::StartEngine() {
    CreateProfile();
}

void CArticleWebView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().base());
    if (!m_painted) {
        m_painted = true;
        StartLater();
    }
}

void CArticleWebView::StartLater() {
    if (m_view != nullptr || m_startScheduled) {
        return;
    }
    m_startScheduled = true;
    // One step per turn: what else waits (a paint, a list) runs in between.
    QTimer::singleShot(0, this, [this] {
        CreateProfile();
        QTimer::singleShot(0, this, &CArticleWebView::CreateView);
    });
}

void CArticleWebView::CreateProfile() {
    if (m_profile != nullptr) {
        return;
    }
    // An off-the-record profile of its own: no cookies or cache of feed pages on disk.
    m_profile = new QWebEngineProfile(this);
    m_profile->installUrlSchemeHandler(kArticleScheme, m_scheme);
    m_profile->setUrlRequestInterceptor(new CArticleRequestGuard(m_profile));
}

void CArticleWebView::CreateView() {
    if (m_view != nullptr) {
        return;
    }
    CreateProfile();
    m_page = new CArticleWebPage(m_profile, m_openExternally, this);
    QWebEngineSettings* settings = m_page->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    // The list keeps the keyboard while the page loads.
    settings->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);

    m_view = new QWebEngineView(this);
    m_view->setPage(m_page);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    connect(m_view, &QWebEngineView::loadFinished, this, &CArticleWebView::LoadFinished);
    connect(m_view, &QWebEngineView::urlChanged, this, &CArticleWebView::UrlChanged);
    layout()->addWidget(m_view);
    setFocusProxy(m_view);
    if (!m_queued.isEmpty()) {
        m_page->LoadFromProgram(m_queued);
        m_queued.clear();
    }
    emit ViewStarted();
}

}  // namespace zirvo::gui
