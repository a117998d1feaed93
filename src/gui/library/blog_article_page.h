#pragma once
// The page pane of the blog library: one article rendered through the account's article
// template (Data/LogSkin/<logxsl>.xsl; the document is written to Data/LogSkin/article.xml as
// well), or the account's blog ("我的博客"). Rendered articles are served from memory under the
// article scheme with JavaScript off; links in them open in the system's browser.
//
// Threading: window thread.

#include <QWidget>
#include <string>

#include "core/articles/blog_article.h"

class QWebEngineProfile;
class QWebEngineView;

namespace zirvo::gui {

class CArticleSchemeHandler;
class CArticleWebPage;

class CBlogArticlePage : public QWidget {
    Q_OBJECT

public:
    CBlogArticlePage(const QString& dataRoot, QWidget* parent = nullptr);
    ~CBlogArticlePage() override;

    // Renders the article with the template `skinName`; a template that cannot be used falls
    // back to the default one, and then to a plain page that says why.
    void ShowArticle(const BlogArticle& article, const QString& skinName);
    void OpenUrl(const QString& url);
    void ShowBlank();

    QString RenderedHtml() const { return m_renderedHtml; }
    QString LastError() const { return m_lastError; }
    QWebEngineView* View() const { return m_view; }

signals:
    void LoadFinished(bool ok);

private:
    QString Render(const std::string& document, const QString& skinName);

    QString m_dataRoot;
    QString m_renderedHtml;
    QString m_lastError;
    bool m_rendered = false;
    int m_serial = 0;
    QWebEngineProfile* m_profile = nullptr;
    CArticleSchemeHandler* m_scheme = nullptr;
    CArticleWebPage* m_page = nullptr;
    QWebEngineView* m_view = nullptr;
};

}  // namespace zirvo::gui
