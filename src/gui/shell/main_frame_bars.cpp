// The main window's menu bars, tool bars, status bar and notification icon.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QToolBar>
#include <QToolButton>

#include "core/util/text_codec.h"
#include "gui/shell/command_table.h"
#include "gui/shell/main_frame.h"

namespace zirvo::gui {

namespace {

QMenu* MakeMenu(const QString& title, const QString& objectName, CCommandTable* commands,
                std::initializer_list<int> ids, QWidget* parent) {
    auto* menu = new QMenu(title, parent);
    menu->setObjectName(objectName);
    // Disabled entries say why in their tooltip.
    menu->setToolTipsVisible(true);
    for (int id : ids) {
        if (id == 0) {
            menu->addSeparator();
        } else {
            menu->addAction(commands->Action(id));
        }
    }
    return menu;
}

}  // namespace

void CMainFrame::BuildMenus() {
    CCommandTable* c = m_commands;
    auto help = [this, c](const QString& name) {
        return MakeMenu(
            QStringLiteral("帮助(&H)"), name, c,
            {kCmdHelpPage, kCmdSupportSite, kCmdSupportForum, 0, kCmdCheckUpdate, 0, kCmdAbout},
            this);
    };
    // Blog library.
    m_modeMenus[kModeBlog] = {
        MakeMenu(QStringLiteral("工具(&T)"), QStringLiteral("menuBlogTools"), c,
                 {kCmdNewAccount, kCmdCompactArticles, 0, kCmdBlogSettings, kCmdSystemSettings, 0,
                  kCmdExit},
                 this),
        help(QStringLiteral("menuBlogHelp")),
    };
    // Reader.
    QMenu* channel =
        MakeMenu(QStringLiteral("频道(&C)"), QStringLiteral("menuChannel"), c,
                 {kCmdAddSubscription, kCmdNewFolder, 0, kCmdReceiveAll, 0, kCmdImportOpml}, this);
    QMenu* exportMenu = MakeMenu(QStringLiteral("导出OPML频道(&E)"), QStringLiteral("menuExport"),
                                 c, {kCmdExportCurrent, kCmdExportAll}, this);
    channel->addMenu(exportMenu);
    channel->addSeparator();
    channel->addAction(c->Action(kCmdExit));
    QMenu* view =
        MakeMenu(QStringLiteral("查看(&V)"), QStringLiteral("menuView"), c, {kCmdSearch}, this);
    QMenu* tools = MakeMenu(
        QStringLiteral("工具(&T)"), QStringLiteral("menuReaderTools"), c,
        {kCmdReaderSettings, kCmdSystemSettings, 0, kCmdCleaningWizard, kCmdCompactFeeds}, this);
    QMenu* browser = MakeMenu(QStringLiteral("浏览器右键菜单(&B)"), QStringLiteral("menuBrowser"),
                              c, {kCmdBrowserMenuAdd, kCmdBrowserMenuRemove}, this);
    tools->addMenu(browser);
    m_modeMenus[kModeRss] = {channel, view, tools, help(QStringLiteral("menuReaderHelp"))};
    // Favourites.
    m_modeMenus[kModeFavourites] = {
        MakeMenu(QStringLiteral("收藏夹(&A)"), QStringLiteral("menuFavourites"), c,
                 {kCmdAddFavourite, kCmdNewFavouriteFolder, kCmdAddFavouriteItem, 0,
                  kCmdImportFavourites, kCmdOrganizeFavourites, 0, kCmdExit},
                 this),
        help(QStringLiteral("menuFavouritesHelp")),
    };
    menuBar()->setObjectName(QStringLiteral("menuBar"));
}

void CMainFrame::ApplyMenusForMode() {
    QMenuBar* bar = menuBar();
    bar->clear();
    for (QMenu* menu : m_modeMenus[m_workMode]) {
        bar->addMenu(menu);
    }
}

void CMainFrame::BuildToolBars() {
    auto make = [this](const QString& title, const QString& name, std::initializer_list<int> ids) {
        auto* bar = new QToolBar(title, this);
        bar->setObjectName(name);
        bar->setIconSize(QSize(24, 24));
        bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        bar->setMovable(false);
        for (int id : ids) {
            if (id == 0) {
                bar->addSeparator();
            } else {
                bar->addAction(m_commands->Action(id));
            }
        }
        addToolBar(bar);
        return bar;
    };
    m_modeToolBars[kModeBlog] =
        make(QStringLiteral("博客"), QStringLiteral("blogToolBar"),
             {kCmdGetPosts, kCmdComposePost, kCmdImportPosts, 0, kCmdAccountSettings});
    m_modeToolBars[kModeRss] =
        make(QStringLiteral("阅读器"), QStringLiteral("readerToolBar"),
             {kCmdAddSubscription, kCmdReceiveAll, 0, kCmdSearch, 0, kCmdReaderSettings});
    m_modeToolBars[kModeFavourites] =
        make(QStringLiteral("收藏"), QStringLiteral("favouritesToolBar"),
             {kCmdAddFavourite, kCmdNewFavouriteFolder, kCmdImportFavourites});

    // The article filter: each entry begins with one blank, as the system has them; unread is
    // chosen at start. Codes: all 0, read 1, unread 2, newest 3.
    m_filter = new QComboBox(this);
    m_filter->setObjectName(QStringLiteral("filter"));
    m_filter->setToolTip(QStringLiteral("文章过滤 (Alt+L)"));
    m_filter->addItem(QStringLiteral(" 显示全部项"), 0);
    m_filter->addItem(QStringLiteral(" 显示未读项"), 2);
    m_filter->addItem(QStringLiteral(" 显示已读项"), 1);
    m_filter->addItem(QStringLiteral(" 显示最新项"), 3);
    m_filter->setCurrentIndex(1);
    m_modeToolBars[kModeRss]->addSeparator();
    m_modeToolBars[kModeRss]->addWidget(m_filter);
    connect(m_filter, &QComboBox::currentIndexChanged, this,
            [this](int index) { emit FilterChanged(m_filter->itemData(index).toInt()); });
    auto* focusFilter = new QAction(this);
    focusFilter->setShortcut(QKeySequence(QStringLiteral("Alt+L")));
    connect(focusFilter, &QAction::triggered, m_filter, [this] { m_filter->setFocus(); });
    addAction(focusFilter);
}

void CMainFrame::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    m_statusText = new QLabel(QStringLiteral("就绪"), bar);
    m_statusText->setObjectName(QStringLiteral("statusText"));
    bar->addWidget(m_statusText, 1);

    m_pagingBox = new QWidget(bar);
    m_pagingBox->setObjectName(QStringLiteral("paging"));
    auto* layout = new QHBoxLayout(m_pagingBox);
    layout->setContentsMargins(0, 0, 0, 0);
    m_previousPage = new QToolButton(m_pagingBox);
    m_previousPage->setObjectName(QStringLiteral("previousPage"));
    m_pageSelector = new QComboBox(m_pagingBox);
    m_pageSelector->setObjectName(QStringLiteral("pageSelector"));
    m_pageSelector->setMinimumContentsLength(7);
    m_pageSelector->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_nextPage = new QToolButton(m_pagingBox);
    m_nextPage->setObjectName(QStringLiteral("nextPage"));
    layout->addWidget(m_previousPage);
    layout->addWidget(m_pageSelector);
    layout->addWidget(m_nextPage);
    bar->addPermanentWidget(m_pagingBox);
    connect(m_pageSelector, &QComboBox::activated, this, &CMainFrame::PageChosen);
    SetPaging(0, 0);
}

void CMainFrame::SetPaging(int page, int pageCount) {
    QSignalBlocker block(m_pageSelector);
    m_pageSelector->clear();
    for (int i = 0; i < pageCount; ++i) {
        m_pageSelector->addItem(QStringLiteral("%1/%2").arg(i + 1).arg(pageCount));
    }
    if (page >= 0 && page < pageCount) {
        m_pageSelector->setCurrentIndex(page);
    }
    m_pageSelector->setVisible(pageCount > 0);
    m_pageSelector->setEnabled(pageCount > 1);
    m_previousPage->setVisible(pageCount > 1 && page > 0);
    m_nextPage->setVisible(pageCount > 1 && page < pageCount - 1);
}

void CMainFrame::BuildTray() {
    m_trayMenu = new QMenu(this);
    m_trayMenu->setToolTipsVisible(true);
    m_trayMenu->setObjectName(QStringLiteral("trayMenu"));
    m_trayMenu->addAction(m_commands->Action(kCmdShowMainWindow));
    m_trayMenu->addAction(m_commands->Action(kCmdReaderSettings));
    m_trayMenu->addAction(m_commands->Action(kCmdSystemSettings));
    m_trayMenu->addAction(m_commands->Action(kCmdAbout));
    m_trayMenu->addAction(m_commands->Action(kCmdExit));
    m_trayMenu->setDefaultAction(m_commands->Action(kCmdShowMainWindow));
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        return;
    }
    m_tray = new QSystemTrayIcon(this);
    m_tray->setIcon(windowIcon().isNull() ? style()->standardIcon(QStyle::SP_ComputerIcon)
                                          : windowIcon());
    // The tip keeps to the 64 bytes (with its terminator) of the system's notification tips,
    // counted in the program's code page and cut on a character boundary.
    m_tray->setToolTip(QString::fromStdString(CutToGb18030Bytes(m_title.toStdString(), 63)));
    m_tray->setContextMenu(m_trayMenu);
    connect(m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger) {
                    RunCommand(kCmdShowMainWindow);
                }
            });
    m_tray->show();
}

}  // namespace zirvo::gui
