#pragma once
// The main window: left navigation with the three work modes ("收藏", "RSS订阅", "博客"), the
// article list over the article page in splitters, the menu bar and tool bar of the current
// work mode, the status bar with the paging controls, the notification icon, the popup notice,
// and the window messages of the other threads and programs.
//
// The frame is thin: the reader views come from the reader controller, the rules from the core,
// the stores from the sessions of the work modes.
//
// Layout persisted in config/appConfig.xml (/app/wndpos/...): the window rectangle (all zeros =
// maximised), the left pane's width and the top pane's height, plus viewframemode and
// splitterdirection, written at close.
//
// Threading: window thread only. Other threads reach it through PostWindowMessage().

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

#include "core/config/app_config.h"
#include "core/util/data_root.h"

class QComboBox;
class QLabel;
class QMenu;
class QSplitter;
class QStackedWidget;
class QSystemTrayIcon;
class QToolBar;
class QToolBox;
class QToolButton;

namespace zirvo {
class CReaderSession;
}

namespace zirvo::gui {

class CCommandTable;
class CFavouritesController;
class CLibraryController;
class CReaderController;
class CPopupNotifier;
class CQtMessageReporter;

// The work modes, as /app/outbarmode stores them.
enum WorkMode : int { kModeBlog = 0, kModeRss = 1, kModeFavourites = 2 };

class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    CMainFrame(const CDataRoot& root, CAppConfig& config, CQtMessageReporter& reporter);
    ~CMainFrame() override;

    // The construction steps that may end the process: settings reads (the message has been
    // shown), then the article store. False with `storeError` set to the store's own error text
    // when it cannot be opened (empty when a settings read failed). The feed store is the
    // reader session's.
    bool Initialise(QString& storeError);

    // Shows the window at the stored rectangle, or maximised.
    void ShowAtStoredPlace();

    int WorkMode() const { return m_workMode; }
    CPopupNotifier* Notifier() const { return m_notifier; }
    CCommandTable* Commands() const { return m_commands; }
    QSplitter* OuterSplitter() const { return m_outer; }
    QSplitter* InnerSplitter() const { return m_inner; }

    // Puts the reader views into the RSS mode's panes, their commands into the menus, and
    // connects the status bar, the filter, the paging and the notices. The controller and the
    // session must outlive the window's close.
    void AttachReader(CReaderController* reader, CReaderSession* session);
    CReaderController* Reader() const { return m_reader; }
    // Puts the blog library's tree, list and page into the blog mode's panes and hands it the
    // blog commands and messages. The controller must outlive the window's close.
    void AttachLibrary(CLibraryController* library);
    CLibraryController* Library() const { return m_library; }
    // Puts the favourites tree and list into the favourites mode's panes (the page is the
    // reader's) and lets the reader's list keep its items there. After AttachReader.
    void AttachFavourites(CFavouritesController* favourites);
    CFavouritesController* Favourites() const { return m_favourites; }
    // The reader session the tree dialogs (properties, cleaning) work on; AttachReader sets it.
    void SetSession(CReaderSession* session) { m_session = session; }

    // A hand-over string ("qova://...", "rssurl=...&rsstitle=...", a plain address): the
    // add-subscription dialog opens with its address and title.
    void OpenHandOver(const QString& text);

    // The notice of the system: drops it while another is on screen (returns false then).
    bool ShowNotice(const QString& text, bool withIcon, int milliseconds);

public slots:
    void SetWorkMode(int mode);
    // A window message from this process or the local channel.
    void OnWindowMessage(int number, qint64 wParam, qint64 lParam);
    // A message that arrived over the local channel: only the numbers other programs send.
    void OnExternalMessage(int number, qint64 wParam, qint64 lParam);
    void RunCommand(int id);
    void ShowMainWindow();
    void SetStatusText(const QString& text);
    void SetPaging(int page, int pageCount);

signals:
    // The subscription request taken over from a second start (raw hand-over string).
    void HandOverReceived(const QString& text);
    void BlogTreeUpdate(qint64 wParam, qint64 lParam);
    void ArticleStyleChanged();
    // The layout has been saved and the window is going away.
    void Closed();
    // Requests for the reader views (connected by whoever builds them).
    void ReceiveAllRequested();
    void AddSubscriptionRequested(const QString& url, const QString& title);
    void NewFolderRequested();
    void FilterChanged(int filterCode);
    void PageChosen(int page);
    // The options dialog's OK: the receive and storage settings as written.
    void ReceiveSettingsChanged();
    // A dialog changed channel settings, names or counts in the tree.
    void TreeChanged();
    // The reader's messages (2169 to 2173) and the close sequence's call to stop the reader.
    void ReaderMessage(int number, qint64 wParam, qint64 lParam);
    void ShutdownReaderRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void BuildPanes();
    void BuildMenus();
    void BuildToolBars();
    void BuildStatusBar();
    void BuildTray();
    void ApplyMenusForMode();
    void TakeOverSubscription();
    void BringToFront();
    void StartUpdateCheckIfDue(int enableAutoUpdate);
    bool SaveLayout();
    void StartOutsideProgram(const QString& name, const QStringList& arguments, bool quiet);
    void OpenReaderSettings();
    void OpenSystemSettings();
    // "添加" and "移除" of the browser menu: the program as the handler of qova: links and RSS
    // files (main_frame_desktop.cpp).
    void AddBrowserMenu();
    void RemoveBrowserMenu();
    void OpenCleaningWizard();
    void CompactArticles();
    void ShowAbout();

    CDataRoot m_root;
    CAppConfig& m_config;
    CQtMessageReporter& m_reporter;

    QString m_title;
    int m_workMode = kModeRss;
    int m_viewFrameMode = 0;
    int m_splitterDirection = 0;
    bool m_minimiseToTray = false;
    bool m_closed = false;
    WindowPosSettings m_storedPos;

    CReaderController* m_reader = nullptr;
    CLibraryController* m_library = nullptr;
    CFavouritesController* m_favourites = nullptr;
    CReaderSession* m_session = nullptr;
    CCommandTable* m_commands = nullptr;
    CPopupNotifier* m_notifier = nullptr;
    QSystemTrayIcon* m_tray = nullptr;
    QMenu* m_trayMenu = nullptr;
    QToolBox* m_navigation = nullptr;
    QSplitter* m_outer = nullptr;
    QSplitter* m_inner = nullptr;
    QStackedWidget* m_listStack = nullptr;
    QStackedWidget* m_pageStack = nullptr;
    QList<QMenu*> m_modeMenus[3];
    QToolBar* m_modeToolBars[3] = {};
    QComboBox* m_filter = nullptr;
    QLabel* m_statusText = nullptr;
    QWidget* m_pagingBox = nullptr;
    QToolButton* m_previousPage = nullptr;
    QToolButton* m_nextPage = nullptr;
    QComboBox* m_pageSelector = nullptr;
};

}  // namespace zirvo::gui
