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
// javascript:, data: and file: links do nothing. Only the user's click leaves a rendered
// document, and only to the system's browser (article_web_page.h). Every rendered document
// carries a Content-Security-Policy: pictures from http: and https: only, no frames, objects,
// scripts or forms. With "显示网络图片" off, no remote picture loads until the user asks for
// them on that page ("显示图片" in the bar above it): a picture fetch tells the sender that
// the item was read.
//
// The skin is applied on a worker with a time budget (core/views/skin_renderer.h); the page
// shows the result when it comes and drops results that a newer request overtook. The list page
// is capped (core/views/article_document.h), written only when it changed, and rendered once
// per list: moving within it only moves to the item's anchor.
//
// The web engine starts with the page; the web view itself once the window is on the screen
// (article_web_view.h), and a document asked for before waits for it.
//
// Threading: window thread; the transformations run on the page's own worker, which the page
// waits for when it goes.

#include <QPointer>
#include <QThreadPool>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/feeds/rss_item.h"

class QAction;
class QActionGroup;
class QComboBox;
class QLabel;
class QMenu;
class QToolBar;
class QWebEngineView;

namespace zirvo::gui {

class CArticleWebView;

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
    // The page shows its last screen (or nothing to scroll): Space goes on to the next item.
    bool AtEnd() const;

    QString SkinName() const { return m_skinName; }
    void SetSkinName(const QString& name);
    QStringList Skins() const;
    bool DirectBrowsing() const;
    bool QuickReading() const;
    // What the page shows now: 1 browsing, 2 a rendered item.
    int DisplayState() const { return m_state; }
    // Whether remote pictures load without asking ("显示网络图片").
    void SetRemotePictures(bool show);
    bool RemotePictures() const { return m_remotePictures; }
    // Shows the remote pictures of the shown document ("显示图片").
    void ShowPicturesOnce();
    // Where a link the user clicked in a rendered document goes (the system's browser unless
    // set otherwise).
    void SetExternalOpener(std::function<void(const QUrl&)> opener);
    // The anchor (an item's link) of the list page the page was last moved to.
    QString ShownAnchor() const { return m_shownAnchor; }
    // True while a transformation is on its way.
    bool Rendering() const { return m_pending != 0; }
    // True when the last document handed to the view has loaded and nothing newer is on its way.
    bool Settled() const { return m_pending == 0 && m_latestLoaded; }
    // The last error (a document that could not be written, a skin that failed), empty if none.
    QString LastError() const { return m_lastError; }
    // The HTML last rendered from a skin (for tests and the screenshot script).
    QString RenderedHtml() const { return m_renderedHtml; }
    // The web view (started now if it was still to come).
    QWebEngineView* View();
    QList<QAction*> Actions() const;

signals:
    void PreviousItemRequested();
    void NextItemRequested();
    // The skin changed: the shown item should be shown again.
    void SkinChanged(const QString& name);
    // A toggle changed: the list shows its current item again.
    void ModeChanged();
    void LoadFinished(bool ok);
    // A requested document has been rendered and handed to the view; `error` as LastError().
    void Rendered(const QString& error);
    // A link the page sent to the system's browser.
    void ExternalLinkOpened(const QUrl& url);

private:
    void BuildToolBar();
    void RebuildStyleMenu();
    struct RenderJob;
    struct RenderOutcome;
    void StartRender(std::shared_ptr<RenderJob> job);
    void FinishRender(const RenderOutcome& outcome);
    void ShowRendered(const QString& html, const QString& address, const QString& fragment,
                      int state);
    void PutDocument(const QString& address, const QString& fragment);
    void SetState(int state);

    QString m_dataRoot;
    QString m_skinName;
    int m_state = 1;
    QString m_lastError;
    QString m_renderedHtml;
    QString m_bodyHtml;  // the rendered document without its policy
    QString m_shownAddress;
    QString m_shownAnchor;
    QString m_latestPath;
    bool m_latestLoaded = false;
    int m_serial = 0;
    quint64 m_request = 0;  // the newest render request
    int m_pending = 0;
    bool m_remotePictures = true;
    bool m_picturesOnce = false;
    // The list page now shown: its key (items and skin) and document path, reused while the
    // list stays the same.
    QString m_listKey;
    QString m_listPath;
    std::function<void(const QUrl&)> m_opener;
    QThreadPool m_workers;
    QWidget* m_picturesBar = nullptr;

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

    CArticleWebView* m_web = nullptr;
};

}  // namespace zirvo::gui
