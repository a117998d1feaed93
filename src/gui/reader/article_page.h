#pragma once
// The article page: an HTML view with its browser tool bar (back, forward, stop, refresh, blank
// page, previous and next item, style menu, direct browsing and quick reading toggles, address
// box). It shows
//   - one item: Data/RssSkin/tempRss.xml is written and rendered through the chosen skin;
//   - the list page (quick reading): Data/RssSkin/tempRssList.xml, the same way, opened at the
//     anchor named by the item's link;
//   - a web page (direct browsing, channel home pages, the address box).
// Rendered documents are served from memory under the scheme "zirvo-article:", never from a
// file: URL, and the view runs without JavaScript; the page may not load file: resources and
// javascript:, data: and file: links do nothing. In a rendered item, http: and https: links
// open in the system's browser.
//
// Threading: window thread.

#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "core/feeds/rss_item.h"

class QAction;
class QActionGroup;
class QComboBox;
class QMenu;
class QToolBar;
class QWebEngineView;
class QWebEngineProfile;

namespace zirvo::gui {

class CArticleWebPage;
class CArticleSchemeHandler;

// Where a link clicked inside the page goes.
enum class LinkRoute { System, Inside, Blocked };
// http: and https: (any letter case) go to the system's browser from a rendered item; other
// web-safe navigations stay inside; javascript:, data:, file: and unknown schemes are blocked.
LinkRoute RouteLink(const QUrl& url, bool renderedItem);

class CArticlePage : public QWidget {
    Q_OBJECT
public:
    // `dataRoot` holds Data/RssSkin/; `skinName` is the chosen skin.
    CArticlePage(const QString& dataRoot, const QString& skinName, QWidget* parent = nullptr);
    ~CArticlePage() override;

    // Shows one item through the skin (the item holds link and description).
    void ShowItem(const RssItem& item);
    // The list page (quick reading) at the item with `anchorLink`; `items` is the whole page.
    void ShowList(const std::vector<RssItem>& items, const std::string& anchorLink);
    // A web page, or "about:blank".
    void OpenUrl(const QString& url);
    void ShowBlank();
    // Scrolls the shown page down by one screen (Space in the list).
    void PageDown();

    QString SkinName() const { return m_skinName; }
    void SetSkinName(const QString& name);
    QStringList Skins() const;
    bool DirectBrowsing() const;
    bool QuickReading() const;
    // What the page shows now: 1 browsing, 2 a rendered item.
    int DisplayState() const { return m_state; }
    // The last error (a document that could not be written, a skin that failed), empty if none.
    QString LastError() const { return m_lastError; }
    // The HTML last rendered from a skin (for tests and the screenshot script).
    QString RenderedHtml() const { return m_renderedHtml; }
    QWebEngineView* View() const { return m_view; }
    QList<QAction*> Actions() const;

signals:
    void PreviousItemRequested();
    void NextItemRequested();
    // The skin changed: the shown item should be shown again.
    void SkinChanged(const QString& name);
    // A toggle changed: the list shows its current item again.
    void ModeChanged();
    void LoadFinished(bool ok);
    // A link the page sent to the system's browser.
    void ExternalLinkOpened(const QUrl& url);

private:
    void BuildToolBar();
    void RebuildStyleMenu();
    void ShowRendered(const QString& html, const QString& address, const QString& fragment,
                      int state);
    QString RenderDocument(const std::string& document, const char* fileName);
    void SetState(int state);

    QString m_dataRoot;
    QString m_skinName;
    int m_state = 1;
    QString m_lastError;
    QString m_renderedHtml;
    int m_serial = 0;

    QToolBar* m_toolBar = nullptr;
    QComboBox* m_address = nullptr;
    QMenu* m_styleMenu = nullptr;
    QActionGroup* m_styleGroup = nullptr;
    QAction* m_back = nullptr;
    QAction* m_forward = nullptr;
    QAction* m_stop = nullptr;
    QAction* m_reload = nullptr;
    QAction* m_blank = nullptr;
    QAction* m_previous = nullptr;
    QAction* m_next = nullptr;
    QAction* m_style = nullptr;
    QAction* m_direct = nullptr;
    QAction* m_quick = nullptr;
    QAction* m_go = nullptr;

    QWebEngineProfile* m_profile = nullptr;
    CArticleSchemeHandler* m_scheme = nullptr;
    CArticleWebPage* m_page = nullptr;
    QWebEngineView* m_view = nullptr;
};

}  // namespace zirvo::gui
