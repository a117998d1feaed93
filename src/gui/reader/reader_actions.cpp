#include <QAction>
#include <QActionGroup>
#include <QMenu>

#include "gui/reader/article_table_view.h"
#include "gui/reader/channel_tree_widget.h"
#include "gui/reader/reader_controller.h"
#include "gui/reader/reader_icons.h"

namespace zirvo::gui {

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

void CReaderController::CreateActions() {
    CreateTreeActions();
    BuildTreeMenus();
    CreateListActions();
    BuildListMenus();
}

void CReaderController::CreateTreeActions() {
    auto& t = m_treeActions;
    using C = CReaderController;
    QAction* receive = MakeAction(QStringLiteral("收取(&R)"), QKeySequence(Qt::CTRL | Qt::Key_R),
                                  "treeReceive", t, &C::CmdReceive);
    receive->setIcon(TreeImage(kImageReceiving));
    MakeAction(QStringLiteral("收取[该目录所有频道](&G)"),
               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R), "treeReceiveFolderAll", t,
               &C::CmdReceiveFolderAll);
    QAction* receiveAll = MakeAction(QStringLiteral("全部更新(&A)"), QKeySequence(Qt::Key_F9),
                                     "treeReceiveAll", t, &C::ReceiveAll);
    receiveAll->setIcon(TreeImage(kImageReceived));
    MakeAction(QStringLiteral("标记为已读(&V)"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M),
               "treeMarkChannelRead", t, &C::CmdMarkRead);
    MakeAction(QStringLiteral("标记当前频道为已读(&V)"), QKeySequence(), "treeMarkFolderRead", t,
               &C::CmdMarkRead);
    MakeAction(QStringLiteral("内置浏览器(&I)"), QKeySequence(), "treeOpenHomeInside", t,
               &C::CmdOpenHomeInside);
    MakeAction(QStringLiteral("外部浏览器打开(&O)"), QKeySequence(), "treeOpenHomeExternal", t,
               &C::CmdOpenHomeExternal);
    MakeAction(QStringLiteral("添加订阅(&N)..."), QKeySequence(Qt::CTRL | Qt::Key_N),
               "treeAddChannel", t, &C::CmdAddChannel);
    MakeAction(QStringLiteral("新建目录(&M)..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N),
               "treeAddFolder", t, &C::CmdAddFolder);
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
    MakeAction(QStringLiteral("导入OPML频道(&I)..."), QKeySequence(), "treeImportOpml", t,
               &C::CmdImport);
    MakeAction(QStringLiteral("当前频道(&H)"), QKeySequence(), "treeExportCurrent", t,
               &C::CmdExportCurrent);
    MakeAction(QStringLiteral("所有频道(&L)"), QKeySequence(), "treeExportAll", t,
               &C::CmdExportAll);
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

    m_folderMenu = new QMenu(m_tree);
    m_folderMenu->setObjectName(QStringLiteral("PopMenuDir"));
    m_channelMenu = new QMenu(m_tree);
    m_channelMenu->setObjectName(QStringLiteral("PopMenuLeaf"));
    for (QMenu* menu : {m_folderMenu, m_channelMenu}) {
        const bool folder = menu == m_folderMenu;
        menu->addAction(act("treeReceive"));
        if (folder) {
            menu->addAction(act("treeReceiveFolderAll"));
        }
        menu->addAction(act("treeReceiveAll"));
        menu->addSeparator();
        menu->addAction(folder ? act("treeMarkFolderRead") : act("treeMarkChannelRead"));
        menu->addSeparator();
        menu->addAction(act("treeOpenHomeInside"));
        menu->addAction(act("treeOpenHomeExternal"));
        menu->addSeparator();
        if (folder) {
            menu->addAction(act("treeAddChannel"));
            menu->addAction(act("treeAddFolder"));
            menu->addSeparator();
        }
        menu->addAction(act("treeMoveUp"));
        menu->addAction(act("treeMoveToRoot"));
        menu->addSeparator();
        menu->addAction(folder ? act("treeClearFolder") : act("treeClearChannel"));
        menu->addAction(act("treeDelete"));
        menu->addAction(act("treeRename"));
        menu->addSeparator();
        menu->addAction(act("treeImportOpml"));
        QMenu* exportMenu = menu->addMenu(QStringLiteral("导出OPML(&X)"));
        exportMenu->addAction(act("treeExportCurrent"));
        exportMenu->addAction(act("treeExportAll"));
        menu->addAction(act("treeEbook"));
        menu->addSeparator();
        menu->addAction(act("treeProperties"));
    }
}

void CReaderController::CreateListActions() {
    auto& l = m_listActions;
    using C = CReaderController;
    MakeAction(QStringLiteral("在浏览器中查看(&B)"), QKeySequence(Qt::CTRL | Qt::Key_B),
               "listOpenInBrowser", l, &C::CmdOpenItemInBrowser);
    MakeAction(QStringLiteral("添加到RSS收藏(&A)..."), QKeySequence(Qt::CTRL | Qt::Key_D),
               "listAddToFavourites", l, &C::CmdAddToFavourites);
    MakeAction(QStringLiteral("添加到IE收藏夹(&E)..."), QKeySequence(),
               "listAddToBrowserFavourites", l, &C::CmdAddToBrowserFavourites);
    MakeAction(QStringLiteral("发布到博客(&P)..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P),
               "listPublishToBlog", l, &C::CmdPublishItem);
    QAction* itemProperties =
        MakeAction(QStringLiteral("属性(&S)..."), QKeySequence(Qt::ALT | Qt::Key_Return),
                   "listItemProperties", l, &C::CmdItemProperties);
    QAction* toggleRead =
        MakeAction(QStringLiteral("切换已读/未读(&T)"), QKeySequence(Qt::CTRL | Qt::Key_M),
                   "listToggleRead", l, &C::CmdToggleRead);
    for (QAction* action : {itemProperties, toggleRead}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        m_list->addAction(action);
    }
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
    const QStringList filterTexts = {
        QStringLiteral("显示全部项(&1)"), QStringLiteral("显示已读项(&2)"),
        QStringLiteral("显示未读项(&3)"), QStringLiteral("显示最新项(&4)")};
    // In the order of the drop-down: all, unread, read, newest.
    for (int filter : {kAllItems, kUnreadItems, kReadItems, kNewItems}) {
        auto* action = new QAction(filterTexts[filter], this);
        action->setObjectName(QStringLiteral("listFilter%1").arg(filter));
        action->setCheckable(true);
        action->setChecked(filter == m_filter);
        const int position = static_cast<int>(m_filterGroup->actions().size());
        action->setShortcut(QKeySequence(QKeyCombination(
            Qt::CTRL, static_cast<Qt::Key>(static_cast<int>(Qt::Key_1) + position))));
        m_filterGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, filter] { SetFilter(filter); });
        l.append(action);
    }
}

void CReaderController::BuildListMenus() {
    auto act = [this](const char* name) { return Action(QString::fromLatin1(name)); };
    m_itemMenu = new QMenu(m_list);
    m_itemMenu->setObjectName(QStringLiteral("ReportMenuForRssReader"));
    m_itemMenu->addAction(act("listOpenInBrowser"));
    m_itemMenu->addAction(act("listToggleRead"));
    m_itemMenu->addSeparator();
    m_itemMenu->addAction(act("listAddToFavourites"));
    m_itemMenu->addAction(act("listAddToBrowserFavourites"));
    m_itemMenu->addAction(act("listPublishToBlog"));
    m_itemMenu->addSeparator();
    m_itemMenu->addAction(act("listItemProperties"));
    m_groupMenu = new QMenu(m_list);
    m_groupMenu->setObjectName(QStringLiteral("PoPup"));
    m_groupMenu->addAction(act("listCollapseGroups"));
    m_groupMenu->addAction(act("listExpandGroups"));
}

}  // namespace zirvo::gui
