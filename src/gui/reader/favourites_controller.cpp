// The favourites pane: building, the tree and the list. The commands are in
// favourites_commands.cpp.

#include "gui/reader/favourites_controller.h"

#include <QAction>
#include <QMenu>
#include <QMimeData>

#include "core/session/reader_session.h"
#include "gui/library/ebook_launcher.h"
#include "gui/reader/article_list_model.h"
#include "gui/reader/article_page.h"
#include "gui/reader/article_table_view.h"
#include "gui/reader/channel_tree_widget.h"
#include "gui/reader/favourite_tree_widget.h"
#include "gui/reader/reader_fonts.h"
#include "gui/reader/reader_icons.h"
#include "gui/reader/reader_text.h"
#include "gui/shell/command_table.h"

namespace zirvo::gui {

namespace {

// The favourites list: the article list's rows, which can be dragged onto a favourite node.
class CFavouriteListModel : public CArticleListModel {
public:
    using CArticleListModel::CArticleListModel;

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags flags = CArticleListModel::flags(index);
        if (index.isValid() && ItemId(index.row()) != 0) {
            flags |= Qt::ItemIsDragEnabled;
        }
        return flags;
    }
    QStringList mimeTypes() const override { return {QString::fromLatin1(kFavouriteItemsMime)}; }
    QMimeData* mimeData(const QModelIndexList& indexes) const override {
        QList<int> ids;
        for (const QModelIndex& index : indexes) {
            const int id = ItemId(index.row());
            if (id != 0 && !ids.contains(id)) {
                ids.append(id);
            }
        }
        QByteArray text;
        for (int id : ids) {
            text += QByteArray::number(id) + '\n';
        }
        auto* mime = new QMimeData;
        mime->setData(QString::fromLatin1(kFavouriteItemsMime), text);
        return mime;
    }
    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
};

}  // namespace

CFavouritesController::CFavouritesController(CReaderSession& session, CCommandTable& commands,
                                             CArticlePage* page, QWidget* parentForWidgets)
    : QObject(parentForWidgets),
      m_session(session),
      m_commands(commands),
      m_page(page),
      m_parentWidget(parentForWidgets),
      m_fav(m_model, session.Root().FavoriteOpmlPath(), session.Messages()) {
    // A file that cannot be read has said so (message 8000); the tree stays empty.
    m_fav.Load();
    m_ebook = new CEbookLauncher(session.Root(), &session, parentForWidgets);
    CreateWidgets(parentForWidgets);
    CreateActions();
    RebuildTree();
    UpdateCommandState();
}

CFavouritesController::~CFavouritesController() = default;

QWidget* CFavouritesController::TreeWidget() const {
    return m_tree;
}

QWidget* CFavouritesController::ListWidget() const {
    return m_list;
}

QAction* CFavouritesController::Action(const QString& objectName) const {
    for (QAction* action : m_actions) {
        if (action->objectName() == objectName) {
            return action;
        }
    }
    return nullptr;
}

void CFavouritesController::SaveState() {
    m_fav.SaveState();
}

void CFavouritesController::CreateWidgets(QWidget* parent) {
    m_tree = new CFavouriteTreeWidget(parent);
    m_tree->setObjectName(QStringLiteral("favouriteTree"));
    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { OnTreeCurrentChanged(current); });
    connect(m_tree, &CFavouriteTreeWidget::ContextMenuAt, this, &CFavouritesController::OnTreeMenu);
    connect(m_tree, &CFavouriteTreeWidget::ItemsDropped, this, &CFavouritesController::MoveItems);
    auto trackExpansion = [this](QTreeWidgetItem* item, bool expanded) {
        if (!m_rebuilding) {
            m_model.SetExpanded(m_tree->NodeOf(item), expanded);
        }
    };
    connect(m_tree, &QTreeWidget::itemExpanded, this,
            [trackExpansion](QTreeWidgetItem* item) { trackExpansion(item, true); });
    connect(m_tree, &QTreeWidget::itemCollapsed, this,
            [trackExpansion](QTreeWidgetItem* item) { trackExpansion(item, false); });

    m_items = new CFavouriteListModel(this);
    ArticleListStyle style;
    style.smallFont = ListFont(false);
    style.bigFont = ListFont(true);
    m_items->SetStyle(style);
    m_list = new CArticleTableView(parent);
    m_list->setObjectName(QStringLiteral("favouriteList"));
    m_list->SetListModel(m_items);
    m_list->FitDateColumn(style.smallFont);
    m_list->setDragEnabled(true);
    m_list->setDragDropMode(QAbstractItemView::DragOnly);
    m_list->setDefaultDropAction(Qt::MoveAction);
    m_list->SetEmptyText(QStringLiteral("请在左侧选择一个收藏节点"));
    // Favourites mode: a click only shows the item.
    connect(m_list, &CArticleTableView::RowPressed, this, [this](int row, int) {
        m_list->setFocus();
        ShowRow(row);
    });
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!m_list->ChangingByMouse() && current.isValid()) {
                    ShowRow(current.row());
                }
            });
    connect(m_list, &QAbstractItemView::doubleClicked, this, [this] { CmdOpenItem(); });
    connect(m_list, &CArticleTableView::OpenRequested, this, [this] { CmdOpenItem(); });
    connect(m_list, &CArticleTableView::ContextMenuAt, this,
            [this](int row, const QPoint& globalPos) {
                if (row >= 0) {
                    m_itemMenu->exec(globalPos);
                }
            });
    // The page is shared with the reader: only the list that is shown moves it.
    connect(m_page, &CArticlePage::PreviousItemRequested, this, [this] {
        if (m_list->isVisible()) {
            m_list->MoveCurrent(-1);
        }
    });
    connect(m_page, &CArticlePage::NextItemRequested, this, [this] {
        if (m_list->isVisible()) {
            m_list->MoveCurrent(1);
        }
    });
}

// ---- the tree --------------------------------------------------------------------------------

bool CFavouritesController::IsFavouriteNode(NodeId id) const {
    return m_fav.FolderIdOf(id) != 0;
}

QTreeWidgetItem* CFavouritesController::AddTreeItems(NodeId id, QTreeWidgetItem* parent) {
    const std::optional<ChannelNode> node = m_model.Node(id);
    if (!node) {
        return nullptr;
    }
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
    const int favId = CFavouriteTree::FolderIdOf(*node);
    item->setText(0, Q(node->caption));
    item->setData(0, kNodeRole, id);
    item->setData(0, kFavouriteIdRole, favId);
    item->setIcon(0, TreeImage(favId != 0 ? kImageChannel : kImageFolder));
    item->setToolTip(0, Q(node->homeUrl));
    for (NodeId child : node->children) {
        AddTreeItems(child, item);
    }
    item->setExpanded(node->expanded);
    return item;
}

void CFavouritesController::RebuildTree() {
    m_rebuilding = true;
    const QSignalBlocker blocker(m_tree);
    m_tree->clear();
    for (NodeId id : m_model.Children(kNoNode)) {
        AddTreeItems(id, nullptr);
    }
    if (QTreeWidgetItem* shown = m_tree->ItemOf(m_shownNode)) {
        m_tree->setCurrentItem(shown);
    }
    m_rebuilding = false;
    UpdateCommandState();
}

void CFavouritesController::SelectInTree(NodeId id) {
    if (QTreeWidgetItem* item = m_tree->ItemOf(id)) {
        m_tree->setCurrentItem(item);
        m_tree->scrollToItem(item);
    }
}

void CFavouritesController::OnTreeCurrentChanged(QTreeWidgetItem* current) {
    UpdateCommandState();
    if (m_rebuilding || current == nullptr) {
        return;
    }
    ShowNode(m_tree->NodeOf(current));
}

void CFavouritesController::OnTreeMenu(QTreeWidgetItem* item, const QPoint& globalPos) {
    if (item == nullptr) {
        return;
    }
    const NodeId id = m_tree->NodeOf(item);
    const std::optional<ChannelNode> node = m_model.Node(id);
    if (!node) {
        return;
    }
    m_menuNode = id;
    UpdateCommandState();
    (IsFavouriteNode(id) ? m_nodeMenu : m_folderMenu)->exec(globalPos);
    m_menuNode = kNoNode;
    UpdateCommandState();
}

NodeId CFavouritesController::TargetNode() const {
    return m_menuNode != kNoNode ? m_menuNode : m_tree->NodeOf(m_tree->currentItem());
}

NodeId CFavouritesController::TargetFolder() const {
    const NodeId id = TargetNode();
    const std::optional<ChannelNode> node = m_model.Node(id);
    if (!node) {
        return kNoNode;
    }
    return IsFavouriteNode(id) ? node->parent : id;
}

void CFavouritesController::UpdateCommandState() {
    const NodeId target = TargetNode();
    const std::optional<ChannelNode> node = m_model.Node(target);
    const bool isNode = node && IsFavouriteNode(target);
    const bool hasHome = node && !node->homeUrl.empty();
    auto enable = [](QAction* action, bool on, const char* reason) {
        if (action == nullptr) {
            return;
        }
        action->setEnabled(on);
        action->setToolTip(on ? QString() : QString::fromUtf8(reason));
    };
    const char* chooseNode = "请先在收藏中选择一个收藏节点";
    enable(m_commands.Action(kCmdAddFavouriteItem), isNode, chooseNode);
    enable(Action(QStringLiteral("favAddItem")), isNode, chooseNode);
    enable(Action(QStringLiteral("favExportFeed")), isNode, chooseNode);
    for (const char* name : {"favOpenHomeInside", "favOpenHomeExternal"}) {
        enable(Action(QString::fromLatin1(name)), hasHome, "这个收藏没有主页地址");
    }
    for (const char* name :
         {"favMoveUp", "favMoveToRoot", "favDelete", "favProperties", "favEbook"}) {
        enable(Action(QString::fromLatin1(name)), node.has_value(), "请先在收藏中选择一项");
    }
}

// ---- the list --------------------------------------------------------------------------------

void CFavouritesController::ShowNode(int node) {
    if (!IsFavouriteNode(node)) {
        return;  // a folder shows nothing
    }
    CRssStore& store = m_session.Store();
    std::vector<RssItem> items;
    // A node whose row was removed by hand gets it back with the same id.
    if (!m_fav.EnsureRow(node, store) || !m_fav.ListItems(node, store, items)) {
        emit StatusText(QStringLiteral("无法读取收藏: ") + Q(store.GetLastError()));
        return;
    }
    // Favourites have no read state: they are shown as kept, not as news.
    for (RssItem& item : items) {
        item.read = 1;
        item.isNew = 0;
    }
    m_shownNode = node;
    if (QTreeWidgetItem* item = m_tree->ItemOf(node); item && m_tree->currentItem() != item) {
        const QSignalBlocker blocker(m_tree);
        m_tree->setCurrentItem(item);
    }
    const std::optional<ChannelNode> shown = m_model.Node(node);
    m_list->SetEmptyText(QStringLiteral("这个收藏节点还没有文章"));
    const std::vector<RssItem> page = items;
    m_items->SetItems(std::move(items), false);
    if (m_page->QuickReading() && !page.empty()) {
        m_page->ShowList(page, page.front().link);
    } else {
        m_page->ShowBlank();
    }
    emit StatusText(QStringLiteral("%1: %2 篇文章")
                        .arg(shown ? Q(shown->caption) : QString())
                        .arg(m_items->ItemRowCount()));
}

void CFavouritesController::ShowRow(int row) {
    const int id = m_items->ItemId(row);
    RssItem item;
    if (id == 0 || !m_session.Store().GetFavourite(id, item)) {
        return;
    }
    m_page->ShowItem(item);
}

int CFavouritesController::CurrentItemId() const {
    const QModelIndex index = m_list->currentIndex();
    return index.isValid() ? m_items->ItemId(index.row()) : 0;
}

}  // namespace zirvo::gui
