#include "gui/library/blog_article_page.h"

#include <QDesktopServices>
#include <QVBoxLayout>

#include "core/util/files.h"
#include "core/views/article_document.h"
#include "core/views/blog_article_document.h"
#include "core/views/skin_renderer.h"
#include "gui/reader/article_page.h"
#include "gui/reader/article_web_page.h"
#include "gui/reader/article_web_view.h"

namespace zirvo::gui {

CBlogArticlePage::CBlogArticlePage(const QString& dataRoot, QWidget* parent)
    : QWidget(parent), m_dataRoot(dataRoot) {
    setObjectName(QStringLiteral("blogArticlePage"));
    m_web = new CArticleWebView([](const QUrl& url) { QDesktopServices::openUrl(url); }, this);
    connect(m_web, &CArticleWebView::LoadFinished, this, &CBlogArticlePage::LoadFinished);
    // One transformation at a time; a newer request makes an older result worthless anyway.
    m_workers.setMaxThreadCount(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_web);
    ShowBlank();
}

CBlogArticlePage::~CBlogArticlePage() {
    // A transformation still running reports to this page: it must end first.
    m_workers.clear();
    m_workers.waitForDone();
}

QWebEngineView* CBlogArticlePage::View() {
    return m_web->View();
}

struct CBlogArticlePage::Outcome {
    quint64 request = 0;
    int articleId = 0;
    bool skipped = false;
    QString html;
    QString error;
};

namespace {

QString PlainArticle(const QString& why, const BlogArticle& article) {
    return QStringLiteral(
               "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body>"
               "<p>%1</p><h2>%2</h2><pre>%3</pre></body></html>")
        .arg(why.toHtmlEscaped(), QString::fromStdString(article.title).toHtmlEscaped(),
             QString::fromStdString(article.content).toHtmlEscaped());
}

}  // namespace

void CBlogArticlePage::ShowArticle(const BlogArticle& article, const QString& skinName) {
    const quint64 request = ++m_request;
    m_newest->store(request);
    ++m_pending;
    const QString folder = m_dataRoot + QLatin1Char('/') + QString::fromUtf8(kLogSkinFolder);
    const std::string skin = SafeLogSkinName(skinName.toStdString());
    std::shared_ptr<std::atomic<quint64>> newest = m_newest;
    m_workers.start([this, request, newest, article, skin, folder] {
        Outcome outcome;
        outcome.request = request;
        outcome.articleId = article.id;
        try {
            if (newest->load() != request) {
                // Another article was asked for while this one waited: nobody will see it.
                outcome.skipped = true;
            } else {
                const std::string document = BuildBlogArticleDocument(article, skin);
                std::string error;
                MakeDirectories(folder.toStdString());
                const std::string documentPath =
                    folder.toStdString() + '/' + kBlogArticleDocumentName;
                if (!WriteArticleDocument(documentPath, document, error)) {
                    outcome.error =
                        QStringLiteral("无法写入文章文档: ") + QString::fromStdString(error);
                }
                const ArticleRenderResult rendered =
                    RenderArticle(folder.toStdString(), skin, document);
                if (!rendered.message.empty()) {
                    outcome.error = QString::fromStdString(rendered.message);
                }
                outcome.html = rendered.ok ? QString::fromStdString(rendered.html)
                                           : PlainArticle(outcome.error, article);
            }
        } catch (const std::exception& e) {
            outcome.error = QStringLiteral("文章无法显示: ") + QString::fromUtf8(e.what());
            outcome.html = PlainArticle(outcome.error, article);
        }
        QMetaObject::invokeMethod(
            this, [this, outcome] { Finish(outcome); }, Qt::QueuedConnection);
    });
}

void CBlogArticlePage::Finish(const Outcome& outcome) {
    --m_pending;
    if (outcome.skipped || outcome.request != m_request) {
        return;  // a newer request overtook this one
    }
    m_lastError = outcome.error;
    m_shownArticle = outcome.articleId;
    // The same guards as every rendered document: the policy first, no frames.
    m_renderedHtml = QString::fromStdString(
        WithContentSecurityPolicy(DisableFrames(outcome.html.toStdString()), true));
    const QString path = QStringLiteral("/blog%1").arg(++m_serial);
    m_web->Scheme()->Put(path, m_renderedHtml.toUtf8());
    QUrl url;
    url.setScheme(QString::fromLatin1(kArticleScheme));
    url.setHost(QStringLiteral("view"));
    url.setPath(path);
    m_web->Load(url);
    emit Rendered(outcome.articleId);
}

void CBlogArticlePage::OpenUrl(const QString& url) {
    m_newest->store(++m_request);  // a render still on its way must not replace this page
    m_shownArticle = 0;
    m_renderedHtml.clear();
    const QUrl target = QUrl::fromUserInput(url);
    if (RouteLink(target, false) != LinkRoute::Inside) {
        m_lastError = QStringLiteral("不能打开这个地址: ") + url;
        return;
    }
    m_web->Load(target);
}

void CBlogArticlePage::ShowBlank() {
    m_newest->store(++m_request);
    m_shownArticle = 0;
    m_renderedHtml.clear();
    m_web->Load(QUrl(QStringLiteral("about:blank")));
}

}  // namespace zirvo::gui
