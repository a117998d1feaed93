#include "gui/shell/main_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QSystemTrayIcon>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QToolBox>
#include <QTreeWidget>
#include <QWindowStateChangeEvent>

#include "core/articles/blog_store.h"
#include "core/integration/hand_over.h"
#include "core/integration/window_layout.h"
#include "core/integration/window_message.h"
#include "core/util/closing_flag.h"
#include "gui/common/qt_message_reporter.h"
#include "gui/shell/command_table.h"
#include "gui/shell/popup_notifier.h"

namespace zirvo::gui {

namespace {

// A pane whose contents come later: an empty list with a short note, so the mode is visibly
// switchable and nothing pretends to work.
QWidget* MakeEmptyPane(const QString& objectName, const QString& note, QWidget* parent) {
    auto* label = new QLabel(note, parent);
    label->setObjectName(objectName);
    label->setAlignment(Qt::AlignCenter);
    label->setEnabled(false);
    label->setAutoFillBackground(true);
    label->setBackgroundRole(QPalette::Base);
    return label;
}

}  // namespace

CMainFrame::CMainFrame(const CDataRoot& root, CAppConfig& config, CQtMessageReporter& reporter)
    : m_root(root), m_config(config), m_reporter(reporter) {
    SetClosing(false);
    setObjectName(QStringLiteral("mainFrame"));
    m_title = QApplication::applicationDisplayName();
    setWindowTitle(m_title);
    m_commands = new CCommandTable(this);
    // What the window carries out itself; the reader views add theirs when they are attached.
    for (int id :
         {kCmdShowMainWindow, kCmdExit, kCmdAbout, kCmdHelpPage, kCmdSupportSite, kCmdSupportForum,
          kCmdReaderSettings, kCmdSystemSettings, kCmdCompactFeeds, kCmdCompactArticles}) {
        m_commands->SetHandler(id, this, [this, id] { RunCommand(id); });
    }
    m_commands->SetHandler(kCmdBrowserMenuAdd, this, [this] { AddBrowserMenu(); });
    m_commands->SetHandler(kCmdBrowserMenuRemove, this, [this] { RemoveBrowserMenu(); });
    m_notifier = new CPopupNotifier(this);
    connect(m_notifier, &CPopupNotifier::TextClicked, this, &CMainFrame::ShowMainWindow);
}

CMainFrame::~CMainFrame() {
    delete m_notifier;
}

bool CMainFrame::Initialise(QString& storeError) {
    storeError.clear();
    StartupSettings startup;
    if (!m_config.ReadStartupSettings(startup)) {
        return false;
    }
    m_minimiseToTray = startup.enableMinimizeToNotifyArea != 0;
    FrameModes modes;
    if (!m_config.ReadFrameModes(modes)) {
        return false;
    }
    m_viewFrameMode = modes.viewFrameMode;
    m_splitterDirection = modes.splitterDirection;
    m_workMode = modes.outbarMode;
    // Opening creates or upgrades the file: a store that cannot be opened ends the start here,
    // before any window shows.
    CBlogStore articles(m_root.Dir());
    if (!articles.Open()) {
        storeError = QString::fromStdString(articles.GetLastError());
        return false;
    }
    if (!m_config.ReadWindowPos(m_storedPos)) {
        return false;
    }
    BuildPanes();
    BuildMenus();
    BuildToolBars();
    BuildStatusBar();
    BuildTray();
    SetWorkMode(m_workMode);
    StartUpdateCheckIfDue(startup.enableAutoUpdate);
    return true;
}

void CMainFrame::BuildPanes() {
    m_navigation = new QToolBox(this);
    m_navigation->setObjectName(QStringLiteral("navigation"));
    auto* favourites = new QTreeWidget(m_navigation);
    favourites->setObjectName(QStringLiteral("favouriteTree"));
    favourites->setHeaderHidden(true);
    // Temporary: the channel tree of the reader views takes this place once they are built.
    auto* channels = new QTreeWidget(m_navigation);
    channels->setObjectName(QStringLiteral("channelTree"));
    channels->setHeaderHidden(true);
    auto* blogs = new QTreeWidget(m_navigation);
    blogs->setObjectName(QStringLiteral("blogTree"));
    blogs->setHeaderHidden(true);
    // Page order as the navigation shows it; the page index is not the work-mode number.
    m_navigation->addItem(favourites, QStringLiteral("收藏"));
    m_navigation->addItem(channels, QStringLiteral("RSS订阅"));
    m_navigation->addItem(blogs, QStringLiteral("博客"));
    connect(m_navigation, &QToolBox::currentChanged, this, [this](int index) {
        static const int kModeOfPage[] = {kModeFavourites, kModeRss, kModeBlog};
        if (index >= 0 && index < 3) {
            SetWorkMode(kModeOfPage[index]);
        }
    });

    m_listStack = new QStackedWidget(this);
    m_listStack->setObjectName(QStringLiteral("listStack"));
    m_pageStack = new QStackedWidget(this);
    m_pageStack->setObjectName(QStringLiteral("pageStack"));
    // Stack index = work mode.
    m_listStack->addWidget(
        MakeEmptyPane(QStringLiteral("blogList"), QStringLiteral("博客文章"), m_listStack));
    m_listStack->addWidget(MakeEmptyPane(QStringLiteral("articleList"),
                                         QStringLiteral("请在左侧选择一个频道"), m_listStack));
    m_listStack->addWidget(
        MakeEmptyPane(QStringLiteral("favouriteList"), QStringLiteral("收藏的文章"), m_listStack));
    for (int i = 0; i < 3; ++i) {
        m_pageStack->addWidget(
            MakeEmptyPane(QStringLiteral("articlePage%1").arg(i), QString(), m_pageStack));
    }

    m_inner = new QSplitter(Qt::Vertical, this);
    m_inner->setObjectName(QStringLiteral("innerSplitter"));
    m_inner->addWidget(m_listStack);
    m_inner->addWidget(m_pageStack);
    m_inner->setChildrenCollapsible(false);
    m_outer = new QSplitter(Qt::Horizontal, this);
    m_outer->setObjectName(QStringLiteral("outerSplitter"));
    m_outer->addWidget(m_navigation);
    m_outer->addWidget(m_inner);
    m_outer->setChildrenCollapsible(false);
    m_outer->setStretchFactor(1, 1);
    m_inner->setStretchFactor(1, 1);
    setCentralWidget(m_outer);

    const int left = CorrectLeftFrameWidth(m_storedPos.leftFrameWidth);
    const int top = CorrectTopFrameHeight(m_storedPos.topFrameHeight);
    m_outer->setSizes({left, 10000});
    m_inner->setSizes({top, 10000});
}

void CMainFrame::SetWorkMode(int mode) {
    if (mode < kModeBlog || mode > kModeFavourites) {
        return;
    }
    m_workMode = mode;
    static const int kPageOfMode[] = {2, 1, 0};
    if (m_navigation != nullptr && m_navigation->currentIndex() != kPageOfMode[mode]) {
        QSignalBlocker block(m_navigation);
        m_navigation->setCurrentIndex(kPageOfMode[mode]);
    }
    if (m_listStack != nullptr) {
        // Index = work mode; the favourites show their items on the reader's page.
        m_listStack->setCurrentIndex(mode);
        m_pageStack->setCurrentIndex(mode == kModeFavourites ? kModeRss : mode);
    }
    ApplyMenusForMode();
    for (int i = 0; i < 3; ++i) {
        if (m_modeToolBars[i] != nullptr) {
            m_modeToolBars[i]->setVisible(i == mode);
        }
    }
    // Filter and paging belong to the reader mode only.
    if (m_pagingBox != nullptr) {
        m_pagingBox->setVisible(mode == kModeRss);
    }
}

void CMainFrame::ShowAtStoredPlace() {
    if (OpensMaximised(m_storedPos)) {
        // Without a window manager a maximise request is not honoured: fill the screen anyway.
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            setGeometry(screen->availableGeometry());
        }
        showMaximized();
        return;
    }
    QRect rect(QPoint(m_storedPos.left, m_storedPos.top),
               QPoint(m_storedPos.right - 1, m_storedPos.bottom - 1));
    // A rectangle from another screen arrangement must not put the window out of reach.
    const QScreen* screen = QGuiApplication::screenAt(rect.center());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
        if (screen != nullptr) {
            rect.moveCenter(screen->availableGeometry().center());
        }
    }
    // Saved and restored as the client rectangle: frame sizes differ between desktops, and a
    // frame-based round trip would grow the window by its frame on every start.
    rect.setSize(rect.size().expandedTo(QSize(400, 300)));
    setGeometry(rect);
    show();
}

bool CMainFrame::ShowNotice(const QString& text, bool withIcon, int milliseconds) {
    return m_notifier->ShowNotice(text, withIcon, milliseconds);
}

void CMainFrame::OnExternalMessage(int number, qint64 wParam, qint64 lParam) {
    // Other programs send only these; the rest are this program's own thread messages.
    if (IsExternalWindowMessage(number)) {
        OnWindowMessage(number, wParam, lParam);
    }
}

void CMainFrame::OnWindowMessage(int number, qint64 wParam, qint64 lParam) {
    if (m_closed) {
        return;
    }
    switch (number) {
        case kMsgBlogTreeUpdate:
            emit BlogTreeUpdate(wParam, lParam);
            break;
        case kMsgArticleStyleChanged:
            emit ArticleStyleChanged();
            break;
        case kMsgJobFinished: {
            static const char* const kTexts[] = {"文章已经接收完毕!", "文章删除成功!",
                                                 "文章发布成功!"};
            if (lParam >= 0 && lParam <= 2) {
                ShowNotice(QString::fromUtf8(kTexts[lParam]), false, 5000);
            }
            break;
        }
        case kMsgSubscriptionHandOver:
            TakeOverSubscription();
            break;
        case kMsgNewItemNotice:
        case kMsgRefreshList:
        case kMsgItemReadState:
        case kMsgReceiveStatus:
        case kMsgMarkShownRead:
            emit ReaderMessage(number, wParam, lParam);
            break;
        default:
            break;
    }
}

void CMainFrame::TakeOverSubscription() {
    std::string text;
    const HandOverFileResult taken = TakeHandOverFile(m_root.Path(kHandOverFile), text);
    if (taken == HandOverFileResult::Missing) {
        return;
    }
    BringToFront();
    if (taken != HandOverFileResult::Taken) {
        SetStatusText(QStringLiteral("忽略了无效的订阅请求"));
        return;
    }
    emit HandOverReceived(QString::fromStdString(text));
    OpenHandOver(QString::fromStdString(text));
}

void CMainFrame::OpenHandOver(const QString& text) {
    const HandOverRequest request = ParseHandOverString(text.toStdString());
    if (!request.url.empty()) {
        emit AddSubscriptionRequested(QString::fromStdString(request.url),
                                      QString::fromStdString(request.title));
    }
}

void CMainFrame::BringToFront() {
    // The window comes back as the user left it: a window the user had sized stays that size
    // (a maximised one here would also be saved as maximised at close).
    if (isMinimized()) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
    }
    show();
    raise();
    activateWindow();
}

void CMainFrame::ShowMainWindow() {
    show();
    showMaximized();
    raise();
    activateWindow();
}

void CMainFrame::SetStatusText(const QString& text) {
    if (m_statusText != nullptr) {
        m_statusText->setText(text);
    }
}

void CMainFrame::StartUpdateCheckIfDue(int enableAutoUpdate) {
    if (!ShouldStartUpdateCheck(enableAutoUpdate, QTime::currentTime().second())) {
        return;
    }
    QTimer::singleShot(kUpdateCheckDelayMs, this, [this] {
        StartOutsideProgram(QString::fromLatin1(kUpdaterProgram),
                            QString::fromStdString(UpdaterArguments("https://zirvo.org/update.txt"))
                                .split(QLatin1Char(' '), Qt::SkipEmptyParts),
                            true);
    });
}

bool CMainFrame::event(QEvent* e) {
    // The title is always the application title, whatever a child or the system set.
    if (e->type() == QEvent::WindowTitleChange && windowTitle() != m_title) {
        setWindowTitle(m_title);
    }
    return QMainWindow::event(e);
}

void CMainFrame::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange && isMinimized() && m_minimiseToTray &&
        m_tray != nullptr && m_tray->isVisible()) {
        // Hidden only while an icon is there to bring it back.
        QTimer::singleShot(0, this, &QWidget::hide);
    }
}

void CMainFrame::closeEvent(QCloseEvent* e) {
    if (m_closed) {
        e->accept();
        return;
    }
    m_closed = true;
    // Workers see the flag and stop; a worker waiting on a message dialog is released.
    SetClosing(true);
    m_reporter.Shutdown();
    m_notifier->hide();
    // Transfers see the flag and stop; the workers are joined and the tree state saved before
    // the views go.
    emit ShutdownReaderRequested();
    // NOTE: a failed layout write has shown its message; the window closes regardless, since
    // a damaged settings file must not trap the user in a window that cannot be closed.
    SaveLayout();
    if (m_tray != nullptr) {
        m_tray->hide();
    }
    emit Closed();
    e->accept();
}

bool CMainFrame::SaveLayout() {
    WindowPosSettings pos;
    if (!isMaximized()) {
        const QRect r = geometry();
        pos.left = r.left();
        pos.top = r.top();
        pos.right = r.right() + 1;
        pos.bottom = r.bottom() + 1;
    }
    pos.leftFrameWidth = m_navigation->width();
    pos.topFrameHeight = m_listStack->height();
    if (!m_config.WriteWindowPos(pos)) {
        return false;
    }
    return m_config.WriteAppValue("viewframemode", std::to_string(m_viewFrameMode)) &&
           m_config.WriteAppValue("splitterdirection", std::to_string(m_splitterDirection));
}

}  // namespace zirvo::gui
