#include "gui/library/blog_article_page.h"

#include <QDesktopServices>
#include <QDir>
#include <QVBoxLayout>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "core/views/article_document.h"
#include "core/views/blog_article_document.h"
#include "core/views/skin_renderer.h"
#include "gui/reader/article_page.h"
#include "gui/reader/article_web_page.h"

namespace zirvo::gui {

CBlogArticlePage::CBlogArticlePage(const QString& dataRoot, QWidget* parent)
    : QWidget(parent), m_dataRoot(dataRoot) {
    setObjectName(QStringLiteral("blogArticlePage"));
    m_profile = new QWebEngineProfile(this);
    m_scheme = new CArticleSchemeHandler(m_profile);
    m_profile->installUrlSchemeHandler(kArticleScheme, m_scheme);
    m_profile->setUrlRequestInterceptor(new CArticleRequestGuard(m_profile));
    m_page = new CArticleWebPage(
        m_profile, [](const QUrl& url) { QDesktopServices::openUrl(url); }, this);
    QWebEngineSettings* settings = m_page->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    m_view = new QWebEngineView(this);
    m_view->setPage(m_page);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    connect(m_view, &QWebEngineView::loadFinished, this, &CBlogArticlePage::LoadFinished);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    ShowBlank();
}

CBlogArticlePage::~CBlogArticlePage() {
    // The page must go before the profile it uses.
    delete m_view;
    m_view = nullptr;
    delete m_page;
    m_page = nullptr;
}

QString CBlogArticlePage::Render(const std::string& document, const QString& skinName) {
    const QString folder = m_dataRoot + QLatin1Char('/') + QString::fromUtf8(kLogSkinFolder);
    QDir().mkpath(folder);
    std::string error;
    const QString documentPath =
        folder + QLatin1Char('/') + QString::fromUtf8(kBlogArticleDocumentName);
    if (!WriteArticleDocument(documentPath.toStdString(), document, error)) {
        m_lastError = QStringLiteral("无法写入文章文档: ") + QString::fromStdString(error);
    }
    for (const QString& name : {skinName, QString::fromUtf8(kDefaultLogSkinName)}) {
        const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".xsl");
        SkinRenderResult rendered = RenderWithSkin(path.toStdString(), document);
        if (rendered.ok) {
            return QString::fromStdString(rendered.html);
        }
        m_lastError = QStringLiteral("日志模版“%1”无法使用 (%2)")
                          .arg(name, QString::fromStdString(rendered.error));
    }
    return QString();
}

void CBlogArticlePage::ShowArticle(const BlogArticle& article, const QString& skinName) {
    m_lastError.clear();
    const std::string skin = SafeLogSkinName(skinName.toStdString());
    const std::string document = BuildBlogArticleDocument(article, skin);
    QString html = Render(document, QString::fromStdString(skin));
    if (html.isEmpty()) {
        html = QStringLiteral(
                   "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body>"
                   "<p>%1</p><h2>%2</h2><pre>%3</pre></body></html>")
                   .arg(m_lastError.toHtmlEscaped(),
                        QString::fromStdString(article.title).toHtmlEscaped(),
                        QString::fromStdString(article.content).toHtmlEscaped());
    }
    m_rendered = true;
    // The same guards as every rendered document: the policy first, no frames.
    m_renderedHtml =
        QString::fromStdString(WithContentSecurityPolicy(DisableFrames(html.toStdString()), true));
    html = m_renderedHtml;
    const QString path = QStringLiteral("/blog%1").arg(++m_serial);
    m_scheme->Put(path, html.toUtf8());
    QUrl url;
    url.setScheme(QString::fromLatin1(kArticleScheme));
    url.setHost(QStringLiteral("view"));
    url.setPath(path);
    m_page->LoadFromProgram(url);
}

void CBlogArticlePage::OpenUrl(const QString& url) {
    m_rendered = false;
    m_renderedHtml.clear();
    const QUrl target = QUrl::fromUserInput(url);
    if (RouteLink(target, false) != LinkRoute::Inside) {
        m_lastError = QStringLiteral("不能打开这个地址: ") + url;
        return;
    }
    m_page->LoadFromProgram(target);
}

void CBlogArticlePage::ShowBlank() {
    m_rendered = false;
    m_renderedHtml.clear();
    m_page->LoadFromProgram(QUrl(QStringLiteral("about:blank")));
}

}  // namespace zirvo::gui
