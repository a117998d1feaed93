#pragma once
// The web view behind an article page, started when it is first needed. Starting the web engine
// holds the window thread for a few hundred milliseconds (its first profile waits until the
// engine's helper process has started), and a shown view costs its first frame: the window comes
// up without it, this pane paints the page's background meanwhile, and the engine starts in two
// turns of the event loop after the pane was first painted - the profile in one, the page and the
// view in the next (an owner may start the engine earlier: StartEngine). A document the program
// loads before that is kept and loaded once the view exists (only the newest; a blank page needs no
// engine, the view starts blank). A hidden pane that is given a document starts on the next turn;
// whatever needs the view itself (View(), Page()) starts it at once.
//
// The view runs without JavaScript, plugins or local file access, serves the program's documents
// from memory under "zirvo-article:" (Scheme(), usable from the start) and keeps file: and
// unknown schemes away (article_web_page.h).
//
// Threading: window thread only.

#include <QUrl>
#include <QWidget>
#include <functional>

class QWebEngineProfile;
class QWebEngineView;

namespace zirvo::gui {

class CArticleSchemeHandler;
class CArticleWebPage;

class CArticleWebView : public QWidget {
    Q_OBJECT
public:
    // `openExternally` receives the links the user clicks in a rendered document.
    explicit CArticleWebView(std::function<void(const QUrl&)> openExternally,
                             QWidget* parent = nullptr);
    ~CArticleWebView() override;

    // The program's navigation: loaded now, or when the view exists.
    void Load(const QUrl& url);
    // Stops a rendered document still loading (nothing to stop before the view exists).
    void StopRendered();
    // Whether the view shows (or is about to show) a rendered document.
    bool ShowsRendered() const;
    // The view's address, or the address waiting for the view.
    QUrl Url() const;
    bool Started() const { return m_view != nullptr; }

    // Where the program's documents are put; exists before the view.
    CArticleSchemeHandler* Scheme() const { return m_scheme; }
    // These start the view first if it does not exist yet.
    CArticleWebPage* Page();
    QWebEngineView* View();
    // Creates whatever is still missing, now.
    void Start();
    // Starts the web engine (the view's profile) now and leaves the view for later.
    void StartEngine();

signals:
    void LoadFinished(bool ok);
    void UrlChanged(const QUrl& url);
    // The view exists now (emitted once).
    void ViewStarted();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void StartLater();
    void CreateProfile();
    void CreateView();

    std::function<void(const QUrl&)> m_openExternally;
    CArticleSchemeHandler* m_scheme = nullptr;
    QWebEngineProfile* m_profile = nullptr;
    CArticleWebPage* m_page = nullptr;
    QWebEngineView* m_view = nullptr;
    QUrl m_queued;
    bool m_startScheduled = false;
    bool m_painted = false;
};

}  // namespace zirvo::gui
