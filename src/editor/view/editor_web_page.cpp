#include "editor/view/editor_web_page.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

namespace zirvo::editor {

namespace {

// A page folder holds a page, its style sheets, scripts and pictures; nothing bigger belongs there.
constexpr qint64 kMaxServedFile = 16 * 1024 * 1024;

// The scheme must be known before the application object exists. It is deliberately neither
// "secure" nor "local": the page may show http pictures, and has no claim on file: addresses.
void RegisterEditorScheme() {
    QWebEngineUrlScheme scheme(kEditorScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    QWebEngineUrlScheme::registerScheme(scheme);
}
Q_CONSTRUCTOR_FUNCTION(RegisterEditorScheme)

QUrl WithoutFragment(const QUrl& url) {
    return url.adjusted(QUrl::RemoveFragment);
}

QByteArray ContentTypeOf(const QFileInfo& file) {
    const QString suffix = file.suffix().toLower();
    // The page's own files carry no charset of their own; the page says it in its head.
    if (suffix == QLatin1String("html") || suffix == QLatin1String("htm")) {
        return QByteArrayLiteral("text/html");
    }
    if (suffix == QLatin1String("js")) {
        return QByteArrayLiteral("text/javascript");
    }
    if (suffix == QLatin1String("css")) {
        return QByteArrayLiteral("text/css");
    }
    static const QMimeDatabase db;
    return db.mimeTypeForFile(file, QMimeDatabase::MatchExtension).name().toUtf8();
}

}  // namespace

void CEditorSchemeHandler::SetRoot(const QString& folder) {
    m_root = folder.isEmpty() ? QString() : QFileInfo(folder).canonicalFilePath();
}

void CEditorSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job) {
    const QUrl url = job->requestUrl();
    if (m_root.isEmpty() || url.host() != QLatin1String(kEditorHost) ||
        job->requestMethod() != QByteArrayLiteral("GET")) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    const QString relative = QDir::cleanPath(url.path(QUrl::FullyDecoded));
    if (relative.isEmpty() || relative.contains(QLatin1String("/../")) ||
        relative.endsWith(QLatin1String("/.."))) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    // Symbolic links may not lead out of the folder either: the canonical path decides.
    const QFileInfo info(QFileInfo(m_root + relative).canonicalFilePath());
    if (!info.exists() || !info.isFile() ||
        !info.filePath().startsWith(m_root + QLatin1Char('/'))) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    if (info.size() > kMaxServedFile) {
        job->fail(QWebEngineUrlRequestJob::RequestFailed);
        return;
    }
    auto* file = new QFile(info.filePath(), job);
    if (!file->open(QIODevice::ReadOnly)) {
        job->fail(QWebEngineUrlRequestJob::RequestFailed);
        return;
    }
    job->reply(ContentTypeOf(info), file);
}

void CEditorRequestGuard::interceptRequest(QWebEngineUrlRequestInfo& info) {
    const QString scheme = info.requestUrl().scheme().toLower();
    const auto type = info.resourceType();
    const bool own = scheme == QLatin1String(kEditorScheme);
    // The only thing the editing page fetches from the web is a picture of the article.
    const bool picture = (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
                          scheme == QLatin1String("data")) &&
                         type == QWebEngineUrlRequestInfo::ResourceTypeImage;
    if (!own && !picture) {
        info.block(true);
    }
}

CEditorWebPage::CEditorWebPage(QWebEngineProfile* profile, QString token,
                               std::function<void(const QString&)> guardMessage, QObject* parent)
    : QWebEnginePage(profile, parent),
      m_prefix(QStringLiteral("zirvo-editor:") + token + QLatin1Char(':')),
      m_guardMessage(std::move(guardMessage)) {}

void CEditorWebPage::LoadFromProgram(const QUrl& url) {
    m_expected = url;
    load(url);
}

bool CEditorWebPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) {
    if (isMainFrame && m_expected.isValid() &&
        WithoutFragment(url) == WithoutFragment(m_expected)) {
        m_expected = QUrl();
        return true;
    }
    // Everything else stays where it is: links, forms, scripts, reloads and dropped files alike.
    return false;
}

QWebEnginePage* CEditorWebPage::createWindow(WebWindowType) {
    return nullptr;
}

void CEditorWebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message,
                                              int, const QString&) {
    if (message.startsWith(m_prefix) && m_guardMessage) {
        m_guardMessage(message.mid(m_prefix.size()));
    }
}

void CEditorWebView::contextMenuEvent(QContextMenuEvent* event) {
    if (onContextMenu) {
        onContextMenu(event->globalPos());
        event->accept();
        return;
    }
    QWebEngineView::contextMenuEvent(event);
}

}  // namespace zirvo::editor
