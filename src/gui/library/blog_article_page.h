#pragma once
// The page pane of the blog library: one article rendered through the account's article
// template (Data/LogSkin/<logxsl>.xsl; the document is written to Data/LogSkin/article.xml as
// well), or the account's blog ("我的博客"). Rendered articles are served from memory under the
// article scheme with JavaScript off; links in them open in the system's browser.
//
// The template is anybody's file and may take its whole time budget (a looping one is stopped
// by the renderer's watchdog), so the transformation runs on a worker; the window shows only
// the result of the newest request, never an older article's. The web view starts when the pane
// is first shown or given an article (article_web_view.h): a reader who never opens the blog
// library pays nothing for it.
//
// Threading: window thread; one worker of its own for the transformations.

#include <QThreadPool>
#include <QWidget>
#include <atomic>
#include <memory>
#include <string>

#include "core/articles/blog_article.h"

class QWebEngineView;

namespace zirvo::gui {

class CArticleWebView;

class CBlogArticlePage : public QWidget {
    Q_OBJECT

public:
    CBlogArticlePage(const QString& dataRoot, QWidget* parent = nullptr);
    ~CBlogArticlePage() override;

    // Renders the article with the template `skinName` on the worker; a template that cannot
    // be used falls back to the default one (with a bar saying why), and then to a plain page
    // that says why. Rendered() follows on the window thread.
    void ShowArticle(const BlogArticle& article, const QString& skinName);
    void OpenUrl(const QString& url);
    void ShowBlank();

    // The page shown last, its article (0 for none) and what went wrong with its template.
    QString RenderedHtml() const { return m_renderedHtml; }
    int ShownArticle() const { return m_shownArticle; }
    QString LastError() const { return m_lastError; }
    // A transformation is still on its way.
    bool Rendering() const { return m_pending != 0; }
    // The web view (started now if it was still to come).
    QWebEngineView* View();

signals:
    void LoadFinished(bool ok);
    // The newest requested article is in the page (its id).
    void Rendered(int articleId);

private:
    struct Outcome;
    void Finish(const Outcome& outcome);

    QString m_dataRoot;
    QString m_renderedHtml;
    QString m_lastError;
    int m_shownArticle = 0;
    int m_serial = 0;
    quint64 m_request = 0;  // the newest request; an older outcome is dropped
    int m_pending = 0;
    std::shared_ptr<std::atomic<quint64>> m_newest = std::make_shared<std::atomic<quint64>>(0);
    CArticleWebView* m_web = nullptr;
    QThreadPool m_workers;  // last: joined before the members above go
};

}  // namespace zirvo::gui
