// The reader's commands and menus. Commands of the window's command table (receive all, add
// subscription, new folder, OPML import and export, exit, search) are the table's actions; the
// reader only says what they do. Every other command is one action here, shared by the menu bar,
// the context menus and its key.

#include <QAction>
#include <QActionGroup>
#include <QMenu>

#include "core/editorlink/editor_program.h"

#include "gui/reader/article_page.h"
#include "gui/reader/article_table_view.h"
#include "gui/reader/channel_tree_widget.h"
#include "gui/reader/reader_controller.h"
#include "gui/reader/reader_icons.h"
#include "gui/shell/command_table.h"

namespace zirvo::gui {

namespace {

const char kFavouritesLater[] = "RSS收藏的窗口尚未完成";

QMenu* NewMenu(const QString& title, const QString& name, QWidget* parent) {
    auto* menu = new QMenu(title, parent);
    menu->setObjectName(name);
    // Disabled entries say why in their tooltip.
    menu->setToolTipsVisible(true);
    return menu;
}

}  // namespace

QAction* CReaderController::MakeAction(const QString& text, const QKeySequence& key,
                                       const char* name, QList<QAction*>& group,
                                       void (CReaderController::*slot)()) {
    auto* action = new QAction(text, this);
    action->setObjectName(QString::fromLatin1(name));
    if (!key.isEmpty()) {
        action->setShortcut(key);
    }
    connect(action, &QAction::triggered, this, slot);
    group.append(action);
    return action;
}

QAction* CReaderController::MakeUnavailable(const QString& text, const char* name,
                                            QList<QAction*>& group, const char* reason) {
    auto* action = new QAction(text, this);
    action->setObjectName(QString::fromLatin1(name));
    action->setEnabled(false);
    action->setToolTip(QString::fromUtf8(reason));
    group.append(action);
    return action;
}

void CReaderController::CreateActions() {
    CreateTreeActions();
    BuildTreeMenus();
    CreateListActions();
    BuildListMenus();
    BuildMainMenus();
}

void CReaderController::CreateTreeActions() {
    m_commands.SetHandler(kCmdReceiveAll, this, [this] { ReceiveAll(); });
    m_commands.SetHandler(kCmdAddSubscription, this, [this] { CmdAddChannel(); });
    m_commands.SetHandler(kCmdNewFolder, this, [this] { CmdAddFolder(); });
    m_commands.SetHandler(kCmdImportOpml, this, [this] { CmdImportOpml(); });
    m_commands.SetHandler(kCmdExportCurrent, this, [this] { CmdExportOpml(false); });
    m_commands.SetHandler(kCmdExportAll, this, [this] { CmdExportOpml(true); });
    m_commands.Action(kCmdReceiveAll)->setIcon(TreeImage(kImageReceived));

    auto& t = m_treeActions;
    using C = CReaderController;
    QAction* receive = MakeAction(QStringLiteral("收取(&R)"), QKeySequence(Qt::CTRL | Qt::Key_R),
                                  "treeReceive", t, &C::CmdReceive);
    receive->setIcon(TreeImage(kImageReceiving));
    MakeAction(QStringLiteral("收取[该目录所有频道](&G)"),
               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R), "treeReceiveFolderAll", t,
               &C::CmdReceiveFolderAll);
    MakeAction(QStringLiteral("标记为已读(&V)"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M),
               "treeMarkChannelRead", t, &C::CmdMarkRead);
    MakeAction(QStringLiteral("标记当前频道为已读(&V)"), QKeySequence(), "treeMarkFolderRead", t,
               &C::CmdMarkRead);
    MakeAction(QStringLiteral("内置浏览器(&B)"), QKeySequence(), "treeOpenHomeInside", t,
               &C::CmdOpenHomeInside);
    MakeAction(QStringLiteral("外部浏览器打开(&O)"), QKeySequence(), "treeOpenHomeExternal", t,
               &C::CmdOpenHomeExternal);
    QAction* moveUp =
        MakeAction(QStringLiteral("上移(&U)"), QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Up),
                   "treeMoveUp", t, &C::CmdMoveUp);
    QAction* moveToRoot =
        MakeAction(QStringLiteral("到根目录(&T)"), QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Home),
                   "treeMoveToRoot", t, &C::CmdMoveToRoot);
    MakeAction(QStringLiteral("清空当前频道文章(&C)"), QKeySequence(), "treeClearChannel", t,
               &C::CmdClear);
    MakeAction(QStringLiteral("清空文章(&C)"), QKeySequence(), "treeClearFolder", t, &C::CmdClear);
    QAction* remove = MakeAction(QStringLiteral("删除(&D)"), QKeySequence(Qt::Key_Delete),
                                 "treeDelete", t, &C::CmdDelete);
    QAction* rename = MakeAction(QStringLiteral("重命名(&E)"), QKeySequence(Qt::Key_F2),
                                 "treeRename", t, &C::CmdRename);
    QAction* properties =
        MakeAction(QStringLiteral("属性(&S)..."), QKeySequence(Qt::ALT | Qt::Key_Return),
                   "treeProperties", t, &C::CmdProperties);
    MakeAction(QStringLiteral("制作CHM电子书(&Z)..."), QKeySequence(), "treeEbook", t,
               &C::CmdEbook);
    // Keys that would do harm elsewhere act in the tree only.
    for (QAction* action : {remove, rename, properties, moveUp, moveToRoot}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        m_tree->addAction(action);
    }
}

void CReaderController::BuildTreeMenus() {
    auto act = [this](const char* name) { return Action(QString::fromLatin1(name)); };
    m_folderMenu = NewMenu(QString(), QStringLiteral("PopMenuDir"), m_tree);
    m_channelMenu = NewMenu(QString(), QStringLiteral("PopMenuLeaf"), m_tree);
    for (QMenu* menu : {m_folderMenu, m_channelMenu}) {
        const bool folder = menu == m_folderMenu;
        menu->addAction(act("treeReceive"));
        if (folder) {
            menu->addAction(act("treeReceiveFolderAll"));
        }
        menu->addAction(m_commands.Action(kCmdReceiveAll));
        menu->addSeparator();
        menu->addAction(folder ? act("treeMarkFolderRead") : act("treeMarkChannelRead"));
        menu->addSeparator();
        menu->addAction(act("treeOpenHomeInside"));
        menu->addAction(act("treeOpenHomeExternal"));
        menu->addSeparator();
        if (folder) {
            menu->addAction(m_commands.Action(kCmdAddSubscription));
            menu->addAction(m_commands.Action(kCmdNewFolder));
            menu->addSeparator();
        }
        menu->addAction(act("treeMoveUp"));
        menu->addAction(act("treeMoveToRoot"));
        menu->addSeparator();
        menu->addAction(folder ? act("treeClearFolder") : act("treeClearChannel"));
        menu->addAction(act("treeDelete"));
        menu->addAction(act("treeRename"));
        menu->addSeparator();
        menu->addAction(m_commands.Action(kCmdImportOpml));
        QMenu* exportMenu = NewMenu(QStringLiteral("导出OPML(&X)"), QString(), menu);
        exportMenu->addAction(m_commands.Action(kCmdExportCurrent));
        exportMenu->addAction(m_commands.Action(kCmdExportAll));
        menu->addMenu(exportMenu);
        menu->addAction(act("treeEbook"));
        menu->addSeparator();
        menu->addAction(act("treeProperties"));
    }
}

void CReaderController::CreateListActions() {
    auto& l = m_listActions;
    using C = CReaderController;
    QAction* open =
        MakeAction(QStringLiteral("在浏览器中查看(&B)"), QKeySequence(Qt::CTRL | Qt::Key_B),
                   "listOpenInBrowser", l, &C::CmdOpenItemInBrowser);
    QAction* keep = MakeUnavailable(QStringLiteral("添加到RSS收藏(&A)..."), "listAddToFavourites",
                                    l, kFavouritesLater);
    keep->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    MakeAction(QStringLiteral("添加到IE收藏夹(&E)..."), QKeySequence(),
               "listAddToBrowserFavourites", l, &C::CmdAddToBrowserFavourites);
    UpdateBrowserFavouritesAction();
    QAction* publish = MakeAction(QStringLiteral("发布到博客(&P)..."), QKeySequence(),
                                  "listPublishToBlog", l, &C::CmdPublishToBlog);
    if (FindEditorProgram(RunningExecutableDir()).empty()) {
        publish->setEnabled(false);
        publish->setToolTip(QString::fromUtf8(kTextEditorMissing));
    }
    QAction* itemProperties =
        MakeAction(QStringLiteral("属性(&S)..."), QKeySequence(Qt::ALT | Qt::Key_Return),
                   "listItemProperties", l, &C::CmdItemProperties);
    QAction* toggleRead =
        MakeAction(QStringLiteral("切换已读/未读(&T)"), QKeySequence(Qt::CTRL | Qt::Key_M),
                   "listToggleRead", l, &C::CmdToggleRead);
    for (QAction* action : {open, itemProperties, toggleRead, keep}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        m_list->addAction(action);
    }
    MakeAction(QStringLiteral("下一未读(&D)"), QKeySequence(Qt::CTRL | Qt::Key_U), "listNextUnread",
               l, &C::NextUnread);
    MakeAction(QStringLiteral("所有未读文章(&U)"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_U),
               "listAllUnread", l, &C::ShowAllUnread);
    MakeAction(QStringLiteral("上一页(&P)"), QKeySequence(Qt::ALT | Qt::Key_PageUp),
               "listPreviousPage", l, &C::PreviousPage);
    MakeAction(QStringLiteral("下一页(&N)"), QKeySequence(Qt::ALT | Qt::Key_PageDown),
               "listNextPage", l, &C::NextPage);
    MakeAction(QStringLiteral("闭合所有分组(&C)"), QKeySequence(), "listCollapseGroups", l,
               &C::CmdCollapseGroups);
    MakeAction(QStringLiteral("展开所有分组(&X)"), QKeySequence(), "listExpandGroups", l,
               &C::CmdExpandGroups);
    m_filterGroup = new QActionGroup(this);
    // In the order of the drop-down: all, unread, read, newest; the digit of each entry is its
    // key.
    const int order[] = {kAllItems, kUnreadItems, kReadItems, kNewItems};
    const QString texts[] = {QStringLiteral("显示全部项"), QStringLiteral("显示未读项"),
                             QStringLiteral("显示已读项"), QStringLiteral("显示最新项")};
    for (int position = 0; position < 4; ++position) {
        const int filter = order[position];
        const QString digit = QString::number(position + 1);
        auto* action =
            new QAction(texts[position] + QStringLiteral("(&") + digit + QStringLiteral(")"), this);
        action->setObjectName(QStringLiteral("listFilter%1").arg(filter));
        action->setCheckable(true);
        action->setChecked(filter == m_filter);
        action->setShortcut(QKeySequence(QStringLiteral("Ctrl+") + digit));
        m_filterGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, filter] { SetFilter(filter); });
        l.append(action);
    }
    UpdatePagingActions();
}

void CReaderController::BuildListMenus() {
    auto act = [this](const char* name) { return Action(QString::fromLatin1(name)); };
    m_itemMenu = NewMenu(QString(), QStringLiteral("ReportMenuForRssReader"), m_list);
    m_itemMenu->addAction(act("listOpenInBrowser"));
    m_itemMenu->addAction(act("listToggleRead"));
    m_itemMenu->addAction(act("listNextUnread"));
    m_itemMenu->addSeparator();
    m_itemMenu->addAction(act("listAddToFavourites"));
    m_itemMenu->addAction(act("listAddToBrowserFavourites"));
    m_itemMenu->addAction(act("listPublishToBlog"));
    m_itemMenu->addSeparator();
    m_itemMenu->addAction(act("listItemProperties"));
    m_groupMenu = NewMenu(QString(), QStringLiteral("PoPup"), m_list);
    m_groupMenu->addAction(act("listCollapseGroups"));
    m_groupMenu->addAction(act("listExpandGroups"));
}

void CReaderController::BuildMainMenus() {
    auto act = [this](const char* name) { return Action(QString::fromLatin1(name)); };
    QMenu* channel = NewMenu(QStringLiteral("频道(&C)"), QStringLiteral("menuChannel"), m_tree);
    m_channelMainMenu = channel;
    channel->addAction(m_commands.Action(kCmdAddSubscription));
    channel->addAction(m_commands.Action(kCmdNewFolder));
    channel->addSeparator();
    channel->addAction(act("treeReceive"));
    channel->addAction(act("treeReceiveFolderAll"));
    channel->addAction(m_commands.Action(kCmdReceiveAll));
    channel->addSeparator();
    channel->addAction(act("treeMarkChannelRead"));
    channel->addAction(act("treeOpenHomeInside"));
    channel->addAction(act("treeOpenHomeExternal"));
    channel->addSeparator();
    channel->addAction(act("treeMoveUp"));
    channel->addAction(act("treeMoveToRoot"));
    channel->addSeparator();
    channel->addAction(act("treeClearChannel"));
    channel->addAction(act("treeDelete"));
    channel->addAction(act("treeRename"));
    channel->addSeparator();
    channel->addAction(m_commands.Action(kCmdImportOpml));
    QMenu* exportMenu =
        NewMenu(QStringLiteral("导出OPML(&X)"), QStringLiteral("menuExport"), channel);
    exportMenu->addAction(m_commands.Action(kCmdExportCurrent));
    exportMenu->addAction(m_commands.Action(kCmdExportAll));
    channel->addMenu(exportMenu);
    channel->addAction(act("treeEbook"));
    channel->addSeparator();
    channel->addAction(act("treeProperties"));
    channel->addSeparator();
    channel->addAction(m_commands.Action(kCmdExit));

    QMenu* view = NewMenu(QStringLiteral("查看(&V)"), QStringLiteral("menuView"), m_tree);
    m_viewMainMenu = view;
    view->addAction(act("listNextUnread"));
    view->addAction(act("listAllUnread"));
    view->addAction(act("listToggleRead"));
    view->addSeparator();
    view->addActions(m_filterGroup->actions());
    view->addSeparator();
    view->addAction(act("listPreviousPage"));
    view->addAction(act("listNextPage"));
    view->addAction(act("listCollapseGroups"));
    view->addAction(act("listExpandGroups"));
    view->addSeparator();
    QMenu* page = NewMenu(QStringLiteral("文章页(&W)"), QStringLiteral("menuPage"), view);
    page->addActions(PageActions());
    view->addMenu(page);
    view->addSeparator();
    view->addAction(m_commands.Action(kCmdSearch));
}

void CReaderController::SetKeepHandler(std::function<void(int itemId, bool fromStaging)> keep) {
    QAction* action = Action(QStringLiteral("listAddToFavourites"));
    if (!keep || action == nullptr) {
        return;
    }
    connect(action, &QAction::triggered, this, [this, keep = std::move(keep)] {
        if (const int id = CurrentItemId(); id != 0) {
            keep(id, m_fromStaging);
        }
    });
    action->setEnabled(true);
    action->setToolTip(QString());
}

void CReaderController::UpdatePagingActions() {
    Action(QStringLiteral("listPreviousPage"))->setEnabled(m_shownNode != kNoNode && m_page_ > 0);
    Action(QStringLiteral("listNextPage"))
        ->setEnabled(m_shownNode != kNoNode && m_page_ + 1 < m_pageCount);
}

}  // namespace zirvo::gui
