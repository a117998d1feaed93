#include "gui/reader/reader_controller.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QUrl>

#include "core/receive/apply_receive_settings.h"
#include "core/receive/receive_settings_checks.h"
#include "core/subscriptions/channel_binding.h"
#include "core/subscriptions/favourite_tree.h"
#include "core/util/closing_flag.h"
#include "core/views/article_document.h"
#include "gui/reader/article_list_model.h"
#include "gui/reader/article_page.h"
#include "gui/reader/article_table_view.h"
#include "gui/reader/channel_tree_widget.h"
#include "gui/reader/item_properties_dialog.h"
#include "gui/reader/reader_fonts.h"
#include "gui/reader/reader_icons.h"
#include "gui/reader/receive_observer_adapter.h"
#include "gui/reader/subscription_dialogs.h"
#include "gui/reader/subscription_wizard.h"
#include "gui/reader/title_fetch.h"

namespace zirvo::gui {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// Windows RGB values of config/appConfig.xml (red in the low byte).
QColor FromColorRef(int value) {
    return QColor(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff);
}

bool AskYesNo(QWidget* parent, const char* question) {
    QMessageBox box(QMessageBox::Question, QString::fromUtf8(kConfirmCaption),
                    QString::fromUtf8(question), QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName(QStringLiteral("confirmQuestion"));
    box.button(QMessageBox::Yes)->setText(QStringLiteral("是(&Y)"));
    box.button(QMessageBox::No)->setText(QStringLiteral("否(&N)"));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace

CReaderController::CReaderController(CReaderSession& session, QWidget* parentForWidgets)
    : QObject(parentForWidgets), m_session(session), m_parentWidget(parentForWidgets) {
    ReceiveHandlers handlers;
    handlers.imageChanged = [this](NodeId node, int image) { OnImageChanged(node, image); };
    handlers.unreadChanged = [this](NodeId node, int unread) { OnUnreadChanged(node, unread); };
    handlers.newItemNotice = [this](NodeId node, int unread) { OnNewItemNotice(node, unread); };
    handlers.refreshList = [this](int feedId) { OnRefreshList(feedId); };
    handlers.statusText = [this](const std::string& text) { emit StatusText(Q(text)); };
    m_observer = std::make_unique<CReceiveObserverAdapter>(this, std::move(handlers));
    m_session.EnableReceiving(*m_observer);

    CreateWidgets(parentForWidgets);
    CreateActions();
    LoadViewSettings();
    // The file's `unreadnum` is only kept when the settings ask for it, and another program
    // (zirvo-cli) may have received since: the store is what the list shows, so the tree
    // starts from it too. A store failure leaves the file's counts.
    m_session.LoadUnreadCounts();
    RebuildTree();
    if (m_tree->topLevelItemCount() > 0) {
        m_tree->scrollToItem(m_tree->topLevelItem(0));
    }
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("receiveTimer"));
    connect(m_timer, &QTimer::timeout, this, &CReaderController::OnTimerTick);
    const ChannelTreeSettings settings = m_session.Settings();
    m_timerState = ReceiveTimerState{false, settings.autoReceive, settings.autoReceiveType,
                                     settings.autoReceiveTime};
}

CReaderController::~CReaderController() {
    Shutdown();
    // The session's receive manager keeps reporting to m_observer (it stops it again on every
    // Close): it must not outlive the adapter, so the session is closed with its views.
    m_session.Close();
}

QWidget* CReaderController::TreeWidget() const {
    return m_tree;
}
QWidget* CReaderController::ListWidget() const {
    return m_list;
}
QWidget* CReaderController::PageWidget() const {
    return m_page;
}

QList<QAction*> CReaderController::PageActions() const {
    return m_page->Actions();
}

QAction* CReaderController::Action(const QString& objectName) const {
    for (const QList<QAction*>& group : {m_treeActions, m_listActions, PageActions()}) {
        for (QAction* action : group) {
            if (action->objectName() == objectName) {
                return action;
            }
        }
    }
    return nullptr;
}

bool CReaderController::TimerRunning() const {
    return m_timer->isActive();
}

int CReaderController::TimerPeriodMs() const {
    return m_timer->isActive() ? m_timer->interval() : 0;
}

// ---- building --------------------------------------------------------------------------------

void CReaderController::CreateWidgets(QWidget* parent) {
    m_tree = new CChannelTreeWidget(parent);
    m_tree->setObjectName(QStringLiteral("channelTree"));
    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { OnTreeCurrentChanged(current); });
    connect(m_tree, &CChannelTreeWidget::ContextMenuAt, this, &CReaderController::OnTreeMenu);
    connect(m_tree, &CChannelTreeWidget::NodeDropped, this, &CReaderController::OnNodeDropped);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        const NodeId id = m_tree->NodeOf(item);
        const std::optional<ChannelNode> node = m_session.Tree().Node(id);
        if (node && node->IsChannel()) {
            m_session.Receiver()->StartReceive(m_session.Store(), id, 1);
        } else if (item != nullptr) {
            item->setExpanded(!item->isExpanded());
        }
    });
    auto trackExpansion = [this](QTreeWidgetItem* item, bool expanded) {
        if (!m_rebuilding) {
            m_session.Tree().SetExpanded(m_tree->NodeOf(item), expanded);
        }
    };
    connect(m_tree, &QTreeWidget::itemExpanded, this,
            [trackExpansion](QTreeWidgetItem* item) { trackExpansion(item, true); });
    connect(m_tree, &QTreeWidget::itemCollapsed, this,
            [trackExpansion](QTreeWidgetItem* item) { trackExpansion(item, false); });
    connect(m_tree->itemDelegate(), &QAbstractItemDelegate::commitData, this,
            &CReaderController::OnRenameCommitted);

    m_model = new CArticleListModel(this);
    m_list = new CArticleTableView(parent);
    m_list->setObjectName(QStringLiteral("articleList"));
    m_list->SetListModel(m_model);
    connect(m_list, &CArticleTableView::RowPressed, this, &CReaderController::OnRowPressed);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!m_list->ChangingByMouse() && current.isValid()) {
                    OnCurrentRowChanged(current.row());
                }
            });
    connect(m_list, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { OpenRowLink(index.row()); });
    connect(m_list, &CArticleTableView::OpenRequested, this, &CReaderController::OpenRowLink);
    connect(m_list, &CArticleTableView::PageArticleRequested, this, [this] { m_page->PageDown(); });
    connect(m_list, &CArticleTableView::ContextMenuAt, this, &CReaderController::OnListMenu);

    std::string skin;
    if (m_session.AppConfig().ReadAppValue(kArticleStyleKey, skin) != 1 || skin.empty()) {
        skin = kDefaultSkinName;
    }
    m_page = new CArticlePage(Q(m_session.Root().Dir()), Q(skin), parent);
    m_page->setObjectName(QStringLiteral("articlePage"));
    connect(m_page, &CArticlePage::PreviousItemRequested, this,
            [this] { m_list->MoveCurrent(-1); });
    connect(m_page, &CArticlePage::NextItemRequested, this, [this] { m_list->MoveCurrent(1); });
    connect(m_page, &CArticlePage::SkinChanged, this, [this] {
        if (m_list->currentIndex().isValid()) {
            ShowRowItem(m_list->currentIndex().row());
        }
    });
    connect(m_page, &CArticlePage::ModeChanged, this, [this] {
        if (m_shownNode != kNoNode && m_page->QuickReading()) {
            ShowNode(m_shownNode, m_page_, false);  // the page needs the bodies
        } else if (m_list->currentIndex().isValid()) {
            ShowRowItem(m_list->currentIndex().row());
        }
    });
}

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
    auto& t = m_treeActions;
    using C = CReaderController;
    QAction* receive = MakeAction(QStringLiteral("收取(&R)"), QKeySequence(Qt::CTRL | Qt::Key_R),
                                  "treeReceive", t, &C::CmdReceive);
    receive->setIcon(TreeImage(kImageReceiving));
    QAction* receiveFolderAll = MakeAction(QStringLiteral("收取[该目录所有频道](&G)"),
                                           QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R),
                                           "treeReceiveFolderAll", t, &C::CmdReceiveFolderAll);
    QAction* receiveAll = MakeAction(QStringLiteral("全部更新(&A)"), QKeySequence(Qt::Key_F9),
                                     "treeReceiveAll", t, &C::ReceiveAll);
    receiveAll->setIcon(TreeImage(kImageReceived));
    QAction* markChannel =
        MakeAction(QStringLiteral("标记为已读(&V)"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M),
                   "treeMarkChannelRead", t, &C::CmdMarkRead);
    QAction* markFolder = MakeAction(QStringLiteral("标记当前频道为已读(&V)"), QKeySequence(),
                                     "treeMarkFolderRead", t, &C::CmdMarkRead);
    QAction* inside = MakeAction(QStringLiteral("内置浏览器(&I)"), QKeySequence(),
                                 "treeOpenHomeInside", t, &C::CmdOpenHomeInside);
    QAction* outside = MakeAction(QStringLiteral("外部浏览器打开(&O)"), QKeySequence(),
                                  "treeOpenHomeExternal", t, &C::CmdOpenHomeExternal);
    QAction* addChannel =
        MakeAction(QStringLiteral("添加订阅(&N)..."), QKeySequence(Qt::CTRL | Qt::Key_N),
                   "treeAddChannel", t, &C::CmdAddChannel);
    QAction* addFolder = MakeAction(QStringLiteral("新建目录(&M)..."),
                                    QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N), "treeAddFolder",
                                    t, &C::CmdAddFolder);
    QAction* moveUp =
        MakeAction(QStringLiteral("上移(&U)"), QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Up),
                   "treeMoveUp", t, &C::CmdMoveUp);
    QAction* moveToRoot =
        MakeAction(QStringLiteral("到根目录(&T)"), QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Home),
                   "treeMoveToRoot", t, &C::CmdMoveToRoot);
    QAction* clearChannel = MakeAction(QStringLiteral("清空当前频道文章(&C)"), QKeySequence(),
                                       "treeClearChannel", t, &C::CmdClear);
    QAction* clearFolder = MakeAction(QStringLiteral("清空文章(&C)"), QKeySequence(),
                                      "treeClearFolder", t, &C::CmdClear);
    QAction* remove = MakeAction(QStringLiteral("删除(&D)"), QKeySequence(Qt::Key_Delete),
                                 "treeDelete", t, &C::CmdDelete);
    QAction* rename = MakeAction(QStringLiteral("重命名(&E)"), QKeySequence(Qt::Key_F2),
                                 "treeRename", t, &C::CmdRename);
    QAction* properties =
        MakeAction(QStringLiteral("属性(&S)..."), QKeySequence(Qt::ALT | Qt::Key_Return),
                   "treeProperties", t, &C::CmdProperties);
    QAction* import = MakeAction(QStringLiteral("导入OPML频道(&I)..."), QKeySequence(),
                                 "treeImportOpml", t, &C::CmdImport);
    QAction* exportCurrent = MakeAction(QStringLiteral("当前频道(&H)"), QKeySequence(),
                                        "treeExportCurrent", t, &C::CmdExportCurrent);
    QAction* exportAll = MakeAction(QStringLiteral("所有频道(&L)"), QKeySequence(), "treeExportAll",
                                    t, &C::CmdExportAll);
    QAction* ebook = MakeAction(QStringLiteral("制作CHM电子书(&Z)..."), QKeySequence(), "treeEbook",
                                t, &C::CmdEbook);
    // Keys that would do harm elsewhere act in the tree only.
    for (QAction* action : {remove, rename, properties, moveUp, moveToRoot}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        m_tree->addAction(action);
    }

    m_folderMenu = new QMenu(m_tree);
    m_folderMenu->setObjectName(QStringLiteral("PopMenuDir"));
    m_channelMenu = new QMenu(m_tree);
    m_channelMenu->setObjectName(QStringLiteral("PopMenuLeaf"));
    for (QMenu* menu : {m_folderMenu, m_channelMenu}) {
        const bool folder = menu == m_folderMenu;
        menu->addAction(receive);
        if (folder) {
            menu->addAction(receiveFolderAll);
        }
        menu->addAction(receiveAll);
        menu->addSeparator();
        menu->addAction(folder ? markFolder : markChannel);
        menu->addSeparator();
        menu->addAction(inside);
        menu->addAction(outside);
        menu->addSeparator();
        if (folder) {
            menu->addAction(addChannel);
            menu->addAction(addFolder);
            menu->addSeparator();
        }
        menu->addAction(moveUp);
        menu->addAction(moveToRoot);
        menu->addSeparator();
        menu->addAction(folder ? clearFolder : clearChannel);
        menu->addAction(remove);
        menu->addAction(rename);
        menu->addSeparator();
        menu->addAction(import);
        QMenu* exportMenu = menu->addMenu(QStringLiteral("导出OPML(&X)"));
        exportMenu->addAction(exportCurrent);
        exportMenu->addAction(exportAll);
        menu->addAction(ebook);
        menu->addSeparator();
        menu->addAction(properties);
    }

    auto& l = m_listActions;
    QAction* open =
        MakeAction(QStringLiteral("在浏览器中查看(&B)"), QKeySequence(Qt::CTRL | Qt::Key_B),
                   "listOpenInBrowser", l, &C::CmdOpenItemInBrowser);
    QAction* favourite =
        MakeAction(QStringLiteral("添加到RSS收藏(&A)..."), QKeySequence(Qt::CTRL | Qt::Key_D),
                   "listAddToFavourites", l, &C::CmdAddToFavourites);
    QAction* browserFavourite =
        MakeAction(QStringLiteral("添加到IE收藏夹(&E)..."), QKeySequence(),
                   "listAddToBrowserFavourites", l, &C::CmdAddToBrowserFavourites);
    QAction* publish = MakeAction(QStringLiteral("发布到博客(&P)..."),
                                  QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P),
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
    QAction* collapse = MakeAction(QStringLiteral("闭合所有分组(&C)"), QKeySequence(),
                                   "listCollapseGroups", l, &C::CmdCollapseGroups);
    QAction* expand = MakeAction(QStringLiteral("展开所有分组(&X)"), QKeySequence(),
                                 "listExpandGroups", l, &C::CmdExpandGroups);
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

    m_itemMenu = new QMenu(m_list);
    m_itemMenu->setObjectName(QStringLiteral("ReportMenuForRssReader"));
    m_itemMenu->addAction(open);
    m_itemMenu->addAction(toggleRead);
    m_itemMenu->addSeparator();
    m_itemMenu->addAction(favourite);
    m_itemMenu->addAction(browserFavourite);
    m_itemMenu->addAction(publish);
    m_itemMenu->addSeparator();
    m_itemMenu->addAction(itemProperties);
    m_groupMenu = new QMenu(m_list);
    m_groupMenu->setObjectName(QStringLiteral("PoPup"));
    m_groupMenu->addAction(collapse);
    m_groupMenu->addAction(expand);
}

void CReaderController::LoadViewSettings() {
    AppearanceSettings appearance;
    ArticleListStyle style;
    style.smallFont = ListFont(false);
    style.bigFont = ListFont(true);
    if (m_session.AppConfig().ReadAppearanceSettings(appearance) == 1) {
        style.unreadTitle = FromColorRef(appearance.titleUnreadColor);
        style.readTitle = FromColorRef(appearance.titleReadColor);
        style.dateAndAuthor = FromColorRef(appearance.dateAndAuthorColor);
        style.bigTitleFont = appearance.useBigTitleFont != 0;
        style.boldTitleFont = appearance.useBoldTitleFont != 0;
    }
    m_model->SetStyle(style);
}

// ---- tree ------------------------------------------------------------------------------------

void CReaderController::StyleTreeItem(QTreeWidgetItem* item, const ChannelNode& node) {
    item->setText(0, Q(node.caption));
    item->setData(0, kUnreadRole, node.unreadCount);
    item->setData(0, kIsFolderRole, node.IsFolder());
    item->setIcon(0, TreeImage(node.IsFolder() ? kImageFolder : node.image));
    // Items with children blue, the others dark grey.
    item->setForeground(0, node.children.empty() ? QColor(100, 100, 100) : QColor(0, 0, 255));
    item->setToolTip(0, node.IsChannel() ? Q(node.feedUrl) : QString());
    Qt::ItemFlags flags =
        Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    // The first node of the file keeps its name.
    if (node.id != 0) {
        flags |= Qt::ItemIsEditable;
    }
    item->setFlags(flags);
}

QTreeWidgetItem* CReaderController::AddTreeItems(NodeId id, QTreeWidgetItem* parent) {
    const std::optional<ChannelNode> node = m_session.Tree().Node(id);
    if (!node) {
        return nullptr;
    }
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
    item->setData(0, kNodeRole, id);
    StyleTreeItem(item, *node);
    m_tree->Remember(id, item);
    for (NodeId child : node->children) {
        AddTreeItems(child, item);
    }
    item->setExpanded(node->expanded);
    return item;
}

void CReaderController::RebuildTree() {
    m_rebuilding = true;
    const QSignalBlocker blocker(m_tree);
    m_tree->ClearItems();
    for (NodeId id : m_session.Tree().Children(kNoNode)) {
        AddTreeItems(id, nullptr);
    }
    const NodeId current = m_session.Tree().Current();
    if (QTreeWidgetItem* item = m_tree->ItemOf(current)) {
        m_tree->setCurrentItem(item);
    }
    m_rebuilding = false;
}

void CReaderController::ReloadTree() {
    RebuildTree();
}

void CReaderController::UpdateCountsUpward(NodeId id) {
    for (NodeId up = id; up != kNoNode; up = m_session.Tree().Parent(up)) {
        QTreeWidgetItem* item = m_tree->ItemOf(up);
        if (item == nullptr) {
            break;
        }
        const int unread = m_session.Tree().Unread(up);
        if (item->data(0, kUnreadRole).toInt() != unread) {
            item->setData(0, kUnreadRole, unread);
        }
    }
}

void CReaderController::RefreshAllCounts() {
    for (NodeId id : m_session.Tree().Walk()) {
        QTreeWidgetItem* item = m_tree->ItemOf(id);
        if (item == nullptr) {
            continue;
        }
        const int unread = m_session.Tree().Unread(id);
        if (item->data(0, kUnreadRole).toInt() != unread) {
            item->setData(0, kUnreadRole, unread);
        }
    }
}

NodeId CReaderController::TargetNode() const {
    if (m_menuNode != kNoNode) {
        return m_menuNode;
    }
    return m_tree->NodeOf(m_tree->currentItem());
}

NodeId CReaderController::TargetFolderForAdd() const {
    NodeId id = TargetNode();
    const std::optional<ChannelNode> node = m_session.Tree().Node(id);
    if (!node) {
        return kNoNode;
    }
    return node->IsFolder() ? id : node->parent;
}

void CReaderController::OnTreeCurrentChanged(QTreeWidgetItem* current) {
    if (m_rebuilding || current == nullptr) {
        return;
    }
    const NodeId id = m_tree->NodeOf(current);
    SelectNode(id);
    // "点击频道时立即更新": choosing a channel receives it as well, showing it again when done.
    const std::optional<ChannelNode> node = m_session.Tree().Node(id);
    if (node && node->IsChannel() && m_session.Settings().clickChannelAutoReceive != 0 &&
        m_session.Receiver() != nullptr && !m_closing) {
        m_session.Receiver()->StartReceive(m_session.Store(), id, 1);
    }
}

void CReaderController::SelectNode(int node) {
    if (!m_session.Tree().Exists(node)) {
        return;
    }
    if (QTreeWidgetItem* item = m_tree->ItemOf(node); item && m_tree->currentItem() != item) {
        const QSignalBlocker blocker(m_tree);
        m_tree->setCurrentItem(item);
    }
    if (node == m_shownNode && m_ownerTag != 0) {
        ShowNode(node, m_page_, false);  // chosen again: shown afresh, nothing marked
        return;
    }
    ShowNode(node, 0, true);
}

void CReaderController::OnTreeMenu(QTreeWidgetItem* item, const QPoint& globalPos) {
    if (item == nullptr) {
        return;
    }
    const NodeId id = m_tree->NodeOf(item);
    const std::optional<ChannelNode> node = m_session.Tree().Node(id);
    if (!node) {
        return;
    }
    if (node->IsChannel() && m_tree->currentItem() != item) {
        m_tree->setCurrentItem(item);  // shows its list
    }
    m_menuNode = id;
    (node->IsFolder() ? m_folderMenu : m_channelMenu)->exec(globalPos);
    m_menuNode = kNoNode;
}

void CReaderController::OnNodeDropped(int node, int target) {
    if (!m_session.Editor().MoveOnto(node, target)) {
        return;
    }
    RebuildTree();
    if (QTreeWidgetItem* item = m_tree->ItemOf(node)) {
        const QSignalBlocker blocker(m_tree);
        m_tree->setCurrentItem(item);
        m_tree->scrollToItem(item);
    }
}

void CReaderController::OnRenameCommitted(QWidget* editor) {
    auto* edit = qobject_cast<QLineEdit*>(editor);
    QTreeWidgetItem* item = m_tree->currentItem();
    if (edit == nullptr || item == nullptr) {
        return;
    }
    const NodeId id = m_tree->NodeOf(item);
    const QString text = edit->text().trimmed();
    const std::optional<ChannelNode> node = m_session.Tree().Node(id);
    if (!node) {
        return;
    }
    // The delegate has already written the text into the item: put it right if the file
    // refused the name (or the name was empty).
    QTimer::singleShot(0, this, [this, id, text] {
        if (!text.isEmpty()) {
            m_session.Editor().Rename(id, text.toStdString());
        }
        const std::optional<ChannelNode> now = m_session.Tree().Node(id);
        if (QTreeWidgetItem* current = m_tree->ItemOf(id); now && current) {
            current->setText(0, Q(now->caption));
        }
    });
}

// ---- tree commands ---------------------------------------------------------------------------

void CReaderController::CmdReceive() {
    const NodeId id = TargetNode();
    const std::optional<ChannelNode> node = m_session.Tree().Node(id);
    if (!node || m_session.Receiver() == nullptr) {
        return;
    }
    if (node->IsChannel()) {
        m_session.Receiver()->StartReceive(m_session.Store(), id, 1);
    } else {
        m_session.Receiver()->StartFolderReceive(id, 0);
    }
}

void CReaderController::CmdReceiveFolderAll() {
    const NodeId id = TargetNode();
    if (m_session.Tree().Exists(id) && m_session.Receiver() != nullptr) {
        m_session.Receiver()->StartFolderReceive(id, 1);
    }
}

void CReaderController::ReceiveAll() {
    if (m_session.Receiver() != nullptr) {
        m_session.Receiver()->StartReceiveAll(0);
    }
}

void CReaderController::CmdMarkRead() {
    const NodeId id = TargetNode();
    if (!m_session.Tree().Exists(id)) {
        return;
    }
    if (!m_session.MarkNodeRead(id, true)) {
        emit StatusText(Q(m_session.Error()));
        return;
    }
    RefreshAllCounts();
    if (m_shownNode != kNoNode && (m_session.Tree().IsInSubtree(m_shownNode, id) ||
                                   m_session.Tree().IsInSubtree(id, m_shownNode))) {
        m_model->SetAllRead();
    }
}

void CReaderController::CmdOpenHomeInside() {
    const std::optional<ChannelNode> node = m_session.Tree().Node(TargetNode());
    if (node && !node->homeUrl.empty()) {
        m_page->OpenUrl(Q(node->homeUrl));
    }
}

void CReaderController::CmdOpenHomeExternal() {
    const std::optional<ChannelNode> node = m_session.Tree().Node(TargetNode());
    if (node && !node->homeUrl.empty()) {
        const QUrl url(Q(node->homeUrl));
        if (RouteLink(url, true) == LinkRoute::System) {
            QDesktopServices::openUrl(url);
        }
    }
}

void CReaderController::CmdAddChannel() {
    // From a folder's menu: the dialog, into that folder. From elsewhere: the wizard.
    if (m_menuNode == kNoNode) {
        OpenAddSubscription(QString());
        return;
    }
    const NodeId parent = TargetFolderForAdd();
    CAddChannelDialog dialog(m_session.Tree(), m_tree);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const NodeId target = dialog.ToRoot() ? kNoNode : parent;
    const NodeId added = m_session.Editor().AddChannel(
        target, dialog.Fields()->Title().toStdString(), dialog.Fields()->FeedUrl().toStdString(),
        dialog.Fields()->HomeUrl().toStdString());
    if (added != kNoNode) {
        if (target != kNoNode) {
            m_session.Tree().SetExpanded(target, true);
        }
        RebuildTree();
    }
}

void CReaderController::CmdAddFolder() {
    if (m_menuNode == kNoNode) {
        OpenAddFolderWizard();
        return;
    }
    const NodeId parent = TargetFolderForAdd();
    CAddFolderDialog dialog(m_tree);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const NodeId target = dialog.ToRoot() ? kNoNode : parent;
    if (m_session.Editor().AddFolder(target, dialog.Name().toStdString(),
                                     dialog.Url().toStdString()) != kNoNode) {
        if (target != kNoNode) {
            m_session.Tree().SetExpanded(target, true);
        }
        RebuildTree();
    }
}

void CReaderController::OpenAddSubscription(const QString& url) {
    const NodeId preselect = TargetFolderForAdd();
    CSubscriptionWizard wizard(m_session.Tree(), false, preselect, m_parentWidget);
    if (!url.isEmpty()) {
        wizard.Fields()->SetValues(QString(), url, QString());
    }
    if (wizard.exec() != QDialog::Accepted) {
        return;
    }
    const NodeId parent = wizard.ToRoot() ? kNoNode : wizard.ChosenFolder();
    const NodeId added = m_session.Editor().AddChannel(
        parent, wizard.Fields()->Title().toStdString(), wizard.Fields()->FeedUrl().toStdString(),
        wizard.Fields()->HomeUrl().toStdString());
    if (added != kNoNode) {
        if (parent != kNoNode) {
            m_session.Tree().SetExpanded(parent, true);
        }
        RebuildTree();
    }
}

void CReaderController::OpenAddFolderWizard() {
    CSubscriptionWizard wizard(m_session.Tree(), true, TargetFolderForAdd(), m_parentWidget);
    if (wizard.exec() != QDialog::Accepted) {
        return;
    }
    const NodeId parent = wizard.ToRoot() ? kNoNode : wizard.ChosenFolder();
    if (m_session.Editor().AddFolder(parent, wizard.FolderName().toStdString(),
                                     wizard.FolderUrl().toStdString()) != kNoNode) {
        if (parent != kNoNode) {
            m_session.Tree().SetExpanded(parent, true);
        }
        RebuildTree();
    }
}

void CReaderController::CmdMoveUp() {
    const NodeId id = TargetNode();
    if (!m_session.Tree().Exists(id) || !m_session.Editor().MoveUp(id)) {
        return;
    }
    RebuildTree();
    if (QTreeWidgetItem* item = m_tree->ItemOf(id)) {
        const QSignalBlocker blocker(m_tree);
        m_tree->setCurrentItem(item);
    }
}

void CReaderController::CmdMoveToRoot() {
    const NodeId id = TargetNode();
    if (!m_session.Tree().Exists(id) || !m_session.Editor().MoveToRoot(id)) {
        return;
    }
    RebuildTree();
    if (QTreeWidgetItem* item = m_tree->ItemOf(id)) {
        const QSignalBlocker blocker(m_tree);
        m_tree->setCurrentItem(item);
        m_tree->scrollToItem(item);
    }
}

void CReaderController::CmdClear() {
    const NodeId id = TargetNode();
    if (!m_session.Tree().Exists(id) || !AskYesNo(m_tree, kConfirmClearChannel)) {
        return;
    }
    if (!m_session.Editor().ClearArticles(id, m_session.Store())) {
        return;
    }
    for (NodeId channel : m_session.Tree().SubtreeChannels(id)) {
        m_session.Tree().SetImage(channel, kImageChannel);
        if (QTreeWidgetItem* item = m_tree->ItemOf(channel)) {
            item->setIcon(0, TreeImage(kImageChannel));
        }
    }
    RefreshAllCounts();
    ClearList();
}

void CReaderController::CmdDelete() {
    const NodeId id = TargetNode();
    if (!m_session.Tree().Exists(id) || !AskYesNo(m_tree, kConfirmDeleteChannel)) {
        return;
    }
    const bool shownInside =
        m_shownNode != kNoNode && m_session.Tree().IsInSubtree(m_shownNode, id);
    if (!m_session.Editor().Delete(id, m_session.Store())) {
        return;
    }
    if (shownInside) {
        m_shownNode = kNoNode;
        m_ownerTag = 0;
    }
    RebuildTree();
    ClearList();
}

void CReaderController::CmdRename() {
    QTreeWidgetItem* item = m_tree->ItemOf(TargetNode());
    if (item != nullptr && (item->flags() & Qt::ItemIsEditable)) {
        m_tree->setCurrentItem(item);
        m_tree->editItem(item);
    }
}

void CReaderController::CmdProperties() {
    const NodeId id = TargetNode();
    const std::optional<ChannelNode> node = m_session.Tree().Node(id);
    if (!node) {
        return;
    }
    if (node->IsChannel()) {
        BindChannel(m_session.Tree(), id, m_session.Store());
        emit ChannelPropertiesRequested(id);
    } else {
        emit FolderPropertiesRequested(id);
    }
}

void CReaderController::CmdImport() {
    SaveState();
    emit ImportOpmlRequested();
}

void CReaderController::CmdExportCurrent() {
    emit ExportOpmlRequested(TargetNode(), false);
}

void CReaderController::CmdExportAll() {
    emit ExportOpmlRequested(TargetNode(), true);
}

void CReaderController::CmdEbook() {
    emit EbookRequested(TargetNode());
}

// ---- list ------------------------------------------------------------------------------------

void CReaderController::ShowNode(NodeId node, int page, bool selected) {
    const ChannelTreeSettings settings = m_session.Settings();
    // Leaving a list the user chose marks it read when the settings say so.
    if (selected && settings.switchChannelAutoMakeRead != 0 && m_ownerTag != 0 &&
        m_shownNode != kNoNode && m_shownNode != node && m_session.Tree().Exists(m_shownNode)) {
        if (m_session.MarkNodeRead(m_shownNode, true)) {
            RefreshAllCounts();
        }
    }
    ItemPage result;
    if (!m_session.ListPage(node, m_filter, page, m_page->QuickReading(), result)) {
        // The list keeps its rows; the user learns why nothing changed.
        emit StatusText(QStringLiteral("无法读取文章列表: ") + Q(m_session.Error()));
        return;
    }
    const std::optional<ChannelNode> shown = m_session.Tree().Node(node);
    m_session.Tree().SetCurrent(node);
    m_shownNode = node;
    FillList(std::move(result), shown && shown->IsChannel() ? [&] {
        int feedId = 0;
        m_session.FeedIdOf(node, feedId);
        return feedId == 0 ? -1 : feedId;
    }() : kFolderListTag);
}

void CReaderController::FillList(ItemPage page, int ownerTag) {
    m_ownerTag = ownerTag;
    m_page_ = page.page;
    m_pageCount = page.pageCount;
    if (page.folder) {
        for (RssItem& item : page.items) {
            auto found = page.channels.find(item.channelId);
            const std::optional<ChannelNode> channel =
                found == page.channels.end() ? std::nullopt : m_session.Tree().Node(found->second);
            item.group = channel ? channel->caption : std::string("?");
        }
    }
    m_pageItems = page.items;
    m_model->SetItems(std::move(page.items), page.folder);
    static const char* const kEmpty[] = {"没有文章", "没有已读文章", "没有未读文章", "没有新文章"};
    m_list->SetEmptyText(QString::fromUtf8(ownerTag == 0 ? "没有未读文章" : kEmpty[m_filter]));
    emit PagingChanged(m_page_, m_pageCount);
    if (m_page->QuickReading() && !m_pageItems.empty()) {
        m_page->ShowList(m_pageItems, m_pageItems.front().link);
    } else {
        m_page->ShowBlank();
    }
    if (page.truncated) {
        emit StatusText(QStringLiteral("只显示最新的 %1 篇文章").arg(kFeedsItemsLimit));
    }
}

void CReaderController::ClearList() {
    m_model->Clear();
    m_list->SetEmptyText(QString());
    m_pageItems.clear();
    m_page_ = 0;
    m_pageCount = 1;
    emit PagingChanged(0, 1);
    m_page->ShowBlank();
}

void CReaderController::ShowAllUnread() {
    ItemPage page;
    if (!m_session.ListAllUnread(page)) {
        emit StatusText(QStringLiteral("无法读取文章列表: ") + Q(m_session.Error()));
        return;
    }
    m_shownNode = kNoNode;
    FillList(std::move(page), 0);
}

void CReaderController::PreviousPage() {
    GoToPage(m_page_ - 1);
}

void CReaderController::NextPage() {
    GoToPage(m_page_ + 1);
}

void CReaderController::GoToPage(int page) {
    if (m_shownNode == kNoNode || page < 0 || page >= m_pageCount || page == m_page_) {
        return;
    }
    ShowNode(m_shownNode, page, false);
}

void CReaderController::SetFilter(int filter) {
    if (filter < kAllItems || filter > kNewItems) {
        filter = kNewItems;
    }
    m_filter = filter;
    for (QAction* action : m_filterGroup->actions()) {
        action->setChecked(action->objectName() == QStringLiteral("listFilter%1").arg(filter));
    }
    if (m_shownNode != kNoNode) {
        ShowNode(m_shownNode, 0, false);
    }
}

void CReaderController::ShowRowItem(int row) {
    const RssItem* listed = m_model->Item(row);
    if (listed == nullptr) {
        return;
    }
    if (m_page->QuickReading() && !m_page->DirectBrowsing()) {
        m_page->ShowList(m_pageItems, listed->link);
        return;
    }
    RssItem item;
    if (!m_session.Store().GetItem(listed->id, false, item)) {
        emit StatusText(QStringLiteral("无法读取文章: ") + Q(m_session.Store().GetLastError()));
        return;
    }
    m_page->ShowItem(item);
    if (!m_page->LastError().isEmpty()) {
        emit StatusText(m_page->LastError());
    }
}

void CReaderController::OnCurrentRowChanged(int row) {
    ShowRowItem(row);
}

void CReaderController::OnRowPressed(int row, int column) {
    const RssItem* item = m_model->Item(row);
    if (item == nullptr) {
        return;
    }
    const int itemId = item->id;
    if (column == kColReadState) {
        MarkItem(itemId, item->read == 0);
        return;
    }
    if (item->read == 0 && m_ownerTag != 0) {
        MarkItem(itemId, true);
    }
    m_list->setFocus();
    ShowRowItem(m_model->RowOfItem(itemId));
}

void CReaderController::MarkItem(int itemId, bool read) {
    NodeId channel = kNoNode;
    int unread = 0;
    if (!m_session.MarkItemRead(itemId, read, channel, unread)) {
        emit StatusText(QStringLiteral("无法标记文章: ") + Q(m_session.Error()));
        return;
    }
    m_model->SetRead(itemId, read);
    RefreshAllCounts();
}

int CReaderController::CurrentItemId() const {
    const QModelIndex index = m_list->currentIndex();
    return index.isValid() ? m_model->ItemId(index.row()) : 0;
}

void CReaderController::OpenRowLink(int row) {
    const int itemId = m_model->ItemId(row);
    std::string link;
    if (itemId == 0 || !m_session.Store().GetItemLink(itemId, false, link)) {
        return;
    }
    const QUrl url(Q(link));
    if (RouteLink(url, true) == LinkRoute::System) {
        QDesktopServices::openUrl(url);
    } else {
        emit StatusText(QStringLiteral("这篇文章的链接不是网页地址: ") + Q(link));
    }
}

void CReaderController::OnListMenu(int row, const QPoint& globalPos) {
    if (row < 0) {
        if (m_model->Grouped()) {
            m_groupMenu->exec(globalPos);
        }
        return;
    }
    m_itemMenu->exec(globalPos);
}

void CReaderController::CmdOpenItemInBrowser() {
    if (m_list->currentIndex().isValid()) {
        OpenRowLink(m_list->currentIndex().row());
    }
}

void CReaderController::CmdAddToFavourites() {
    if (const int id = CurrentItemId()) {
        emit AddToFavouritesRequested(id);
    }
}

void CReaderController::CmdAddToBrowserFavourites() {
    const RssItem* item = m_model->Item(m_list->currentIndex().row());
    if (item != nullptr) {
        std::string link;
        m_session.Store().GetItemLink(item->id, false, link);
        emit AddToBrowserFavouritesRequested(Q(link), Q(item->title));
    }
}

void CReaderController::CmdPublishItem() {
    if (const int id = CurrentItemId()) {
        emit PublishItemRequested(id);
    }
}

void CReaderController::CmdItemProperties() {
    const int id = CurrentItemId();
    RssItem item;
    if (id == 0 || !m_session.Store().GetItem(id, false, item)) {
        return;
    }
    CItemPropertiesDialog dialog(item, m_list);
    dialog.exec();
}

void CReaderController::CmdToggleRead() {
    const RssItem* item = m_model->Item(m_list->currentIndex().row());
    if (item != nullptr) {
        MarkItem(item->id, item->read == 0);
    }
}

void CReaderController::CmdCollapseGroups() {
    m_list->SetAllGroupsCollapsed(true);
}

void CReaderController::CmdExpandGroups() {
    m_list->SetAllGroupsCollapsed(false);
}

// ---- receiving -------------------------------------------------------------------------------

void CReaderController::OnImageChanged(NodeId node, int image) {
    if (QTreeWidgetItem* item = m_tree->ItemOf(node)) {
        item->setIcon(0, TreeImage(image));
    }
}

void CReaderController::OnUnreadChanged(NodeId node, int unread) {
    Q_UNUSED(unread);
    UpdateCountsUpward(node);
}

void CReaderController::OnNewItemNotice(NodeId node, int unread) {
    const std::optional<ChannelNode> channel = m_session.Tree().Node(node);
    if (!channel || unread <= 0) {
        return;
    }
    emit NewItemsNotice(Q(channel->caption), unread, channel->feedId);
}

void CReaderController::OnRefreshList(int feedId) {
    if (m_shownNode == kNoNode || feedId == 0) {
        return;
    }
    // A channel listed before its first receive had no store row yet; the receive bound it.
    const std::optional<ChannelNode> shown = m_session.Tree().Node(m_shownNode);
    if (m_ownerTag != feedId && !(shown && shown->IsChannel() && shown->feedId == feedId)) {
        return;
    }
    const int keep = CurrentItemId();
    ShowNode(m_shownNode, m_page_, false);
    const int row = keep != 0 ? m_model->RowOfItem(keep) : -1;
    if (row >= 0) {
        const QSignalBlocker blocker(m_list->selectionModel());
        m_list->setCurrentIndex(m_model->index(row, kColTitle));
    }
}

void CReaderController::StartScheduled(ScheduledReceive what) {
    CReceiveManager* receiver = m_session.Receiver();
    if (receiver == nullptr || m_closing) {
        return;
    }
    switch (what) {
        case ScheduledReceive::WeightedAll:
            receiver->StartWeightedReceiveAll();
            break;
        case ScheduledReceive::All:
            receiver->StartReceiveAll(0);
            break;
        case ScheduledReceive::None:
            break;
    }
}

void CReaderController::StartupReceive() {
    const ChannelTreeSettings settings = m_session.Settings();
    StartScheduled(zirvo::StartupReceive(settings.startupAutoReceive, settings.autoReceiveType));
    m_timerState = ReceiveTimerState{false, settings.autoReceive, settings.autoReceiveType,
                                     settings.autoReceiveTime};
    ApplyTimerDecision(StartupTimerDecision(m_timerState));
}

void CReaderController::ApplyReceiveSettings() {
    ReceiveSettings receive;
    StorageSettings storage;
    if (m_session.AppConfig().ReadReceiveSettings(receive) != 1 ||
        m_session.AppConfig().ReadStorageSettings(storage) != 1) {
        return;
    }
    const int oldPageSize = ArticlePageSize(m_session.Settings());
    m_timerState.running = m_timer->isActive();
    ApplyTimerDecision(
        zirvo::ApplyReceiveSettings(m_session.Tree(), m_timerState, receive, storage));
    LoadViewSettings();
    if (ArticlePageSize(m_session.Settings()) != oldPageSize && m_shownNode != kNoNode) {
        ShowNode(m_shownNode, 0, false);
    }
}

void CReaderController::ApplyTimerDecision(const TimerDecision& decision) {
    switch (decision.action) {
        case TimerAction::Start:
        case TimerAction::Restart:
            m_timer->stop();
            m_timer->start(decision.periodMs);
            break;
        case TimerAction::Stop:
            m_timer->stop();
            break;
        case TimerAction::None:
            break;
    }
    m_timerState.running = m_timer->isActive();
}

void CReaderController::OnTimerTick() {
    StartScheduled(TimerTickReceive(m_timerState.type, m_session.Tree().FolderReceiveRunning()));
}

// ---- messages and the end --------------------------------------------------------------------

void CReaderController::OnWindowMessage(int number, qint64 wParam, qint64 lParam) {
    switch (number) {
        case kMsgNewItemNotice:
            OnNewItemNotice(static_cast<NodeId>(wParam), static_cast<int>(lParam));
            break;
        case kMsgRefreshList:
            OnRefreshList(static_cast<int>(wParam));
            break;
        case kMsgItemReadState:
            if (wParam > 0 && wParam <= INT_MAX) {
                MarkItem(static_cast<int>(wParam), lParam == 1);
            }
            break;
        case kMsgReceiveStatus:
            if (wParam == 0) {
                emit StatusText(QString());
            }
            break;
        case kMsgMarkShownRead:
            if (m_shownNode != kNoNode && m_session.MarkNodeRead(m_shownNode, true)) {
                RefreshAllCounts();
                m_model->SetAllRead();
            }
            break;
        default:
            break;
    }
}

void CReaderController::SaveState() {
    m_session.Editor().SaveState();
    m_session.AppConfig().WriteAppValue(kArticleStyleKey, m_page->SkinName().toStdString());
}

void CReaderController::Shutdown() {
    if (m_closing) {
        return;
    }
    m_closing = true;
    SetClosing(true);
    m_timer->stop();
    // Transfers in flight stop at the closing flag; the workers are joined here, while the
    // views they report to still exist.
    m_session.StopReceiving();
    WaitForTitleFetches();
    SaveState();
}

}  // namespace zirvo::gui
