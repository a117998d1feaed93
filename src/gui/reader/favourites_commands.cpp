// The favourites' commands: the tree's menus, the list's menu and the favourites mode's
// commands of the window's command table.

#include <QAbstractButton>
#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QUrl>

#include "core/ebook/ebook_sources.h"
#include "core/session/reader_session.h"
#include "gui/common/system_browser.h"
#include "gui/library/ebook_dialog.h"
#include "gui/library/ebook_launcher.h"
#include "gui/reader/article_list_model.h"
#include "gui/reader/article_page.h"
#include "gui/reader/article_table_view.h"
#include "gui/reader/favourite_dialogs.h"
#include "gui/reader/favourite_tree_widget.h"
#include "gui/reader/favourites_controller.h"
#include "gui/reader/item_properties_dialog.h"
#include "gui/reader/reader_text.h"
#include "gui/reader/subscription_dialogs.h"
#include "gui/shell/command_table.h"

namespace zirvo::gui {

namespace {

QMenu* NewMenu(const QString& name, QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(name);
    menu->setToolTipsVisible(true);
    return menu;
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

QAction* CFavouritesController::MakeAction(const QString& text, const QKeySequence& key,
                                           const char* name,
                                           void (CFavouritesController::*slot)()) {
    auto* action = new QAction(text, this);
    action->setObjectName(QString::fromLatin1(name));
    if (!key.isEmpty()) {
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    }
    connect(action, &QAction::triggered, this, slot);
    m_actions.append(action);
    return action;
}

void CFavouritesController::CreateActions() {
    using C = CFavouritesController;
    m_commands.SetHandler(kCmdAddFavourite, this, [this] { CmdNewNode(); });
    m_commands.SetHandler(kCmdNewFavouriteFolder, this, [this] { CmdNewFolder(); });
    m_commands.SetHandler(kCmdAddFavouriteItem, this, [this] { CmdAddItem(); });
    m_commands.SetHandler(kCmdImportFavourites, this, [this] { CmdImport(); });

    QAction* newNode =
        MakeAction(QStringLiteral("收藏节点(&N)..."), {}, "favNewNode", &C::CmdNewNode);
    QAction* newFolder =
        MakeAction(QStringLiteral("收藏夹(&M)..."), {}, "favNewFolder", &C::CmdNewFolder);
    QAction* addItem =
        MakeAction(QStringLiteral("添加收藏项(&A)..."), {}, "favAddItem", &C::CmdAddItem);
    QAction* inside = MakeAction(QStringLiteral("内置浏览器(&B)"), {}, "favOpenHomeInside",
                                 &C::CmdOpenHomeInside);
    QAction* outside = MakeAction(QStringLiteral("外部浏览器打开(&O)"), {}, "favOpenHomeExternal",
                                  &C::CmdOpenHomeExternal);
    QAction* moveUp =
        MakeAction(QStringLiteral("上移(&U)"), QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Up),
                   "favMoveUp", &C::CmdMoveUp);
    QAction* moveToRoot =
        MakeAction(QStringLiteral("到根目录(&T)"), QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Home),
                   "favMoveToRoot", &C::CmdMoveToRoot);
    QAction* remove = MakeAction(QStringLiteral("删除(&D)"), QKeySequence(Qt::Key_Delete),
                                 "favDelete", &C::CmdDelete);
    QAction* properties =
        MakeAction(QStringLiteral("属性(&P)..."), QKeySequence(Qt::ALT | Qt::Key_Return),
                   "favProperties", &C::CmdProperties);
    QAction* exportFeed =
        MakeAction(QStringLiteral("导出FEED(&E)..."), {}, "favExportFeed", &C::CmdExportFeed);
    QAction* ebook =
        MakeAction(QStringLiteral("制作CHM电子书(&Z)..."), {}, "favEbook", &C::CmdEbook);
    for (QAction* action : {remove, properties, moveUp, moveToRoot}) {
        m_tree->addAction(action);
    }

    m_folderMenu = NewMenu(QStringLiteral("PopMenuDir"), m_tree);
    m_folderMenu->addActions({newNode, newFolder});
    m_folderMenu->addSeparator();
    m_folderMenu->addActions({inside, outside});
    m_folderMenu->addSeparator();
    m_folderMenu->addActions({moveUp, moveToRoot});
    m_folderMenu->addSeparator();
    m_folderMenu->addActions({remove, ebook});
    m_folderMenu->addSeparator();
    m_folderMenu->addAction(m_commands.Action(kCmdImportOpml));
    m_folderMenu->addSeparator();
    m_folderMenu->addAction(properties);

    m_nodeMenu = NewMenu(QStringLiteral("PopMenuLeaf"), m_tree);
    m_nodeMenu->addAction(addItem);
    m_nodeMenu->addSeparator();
    m_nodeMenu->addActions({inside, outside});
    m_nodeMenu->addSeparator();
    m_nodeMenu->addActions({moveUp, moveToRoot});
    m_nodeMenu->addSeparator();
    m_nodeMenu->addActions({remove, exportFeed, ebook});
    m_nodeMenu->addSeparator();
    m_nodeMenu->addAction(properties);

    QAction* openItem =
        MakeAction(QStringLiteral("在浏览器中查看(&B)"), QKeySequence(Qt::CTRL | Qt::Key_B),
                   "favOpenItem", &C::CmdOpenItem);
    QAction* deleteItem = MakeAction(QStringLiteral("删除(&D)"), QKeySequence(Qt::Key_Delete),
                                     "favDeleteItem", &C::CmdDeleteItem);
    QAction* itemProperties =
        MakeAction(QStringLiteral("属性(&P)..."), QKeySequence(Qt::ALT | Qt::Key_Return),
                   "favItemProperties", &C::CmdItemProperties);
    for (QAction* action : {openItem, deleteItem, itemProperties}) {
        m_list->addAction(action);
    }
    m_itemMenu = NewMenu(QStringLiteral("ReportMenuForRssFavorite"), m_list);
    m_itemMenu->addAction(openItem);
    m_itemMenu->addAction(deleteItem);
    m_itemMenu->addSeparator();
    m_itemMenu->addAction(itemProperties);
}

QString CFavouritesController::ChooseFile(bool save, const QString& proposal,
                                          const QString& filter) {
    if (m_fileChooser) {
        return m_fileChooser(save, proposal, filter);
    }
    return save ? QFileDialog::getSaveFileName(m_parentWidget, QStringLiteral("导出FEED"), proposal,
                                               filter)
                : QFileDialog::getOpenFileName(m_parentWidget, QStringLiteral("导入收藏"),
                                               QString(), filter);
}

// ---- the tree's commands ---------------------------------------------------------------------

void CFavouritesController::CmdNewNode() {
    const NodeId parent = TargetFolder();
    CFavouriteNodeDialog dialog(CFavouriteNodeDialog::Kind::NewNode, m_parentWidget);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const NodeId target = dialog.ToRoot() ? kNoNode : parent;
    const NodeId added = m_fav.AddNode(target, dialog.Title().toStdString(),
                                       dialog.HomeUrl().toStdString(), m_session.Store());
    if (added != kNoNode) {
        if (target != kNoNode) {
            m_model.SetExpanded(target, true);
        }
        RebuildTree();
        SelectInTree(added);
    }
}

void CFavouritesController::CmdNewFolder() {
    const NodeId parent = TargetFolder();
    CFavouriteNodeDialog dialog(CFavouriteNodeDialog::Kind::NewFolder, m_parentWidget);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const NodeId target = dialog.ToRoot() ? kNoNode : parent;
    const NodeId added =
        m_fav.AddFolder(target, dialog.Title().toStdString(), dialog.HomeUrl().toStdString());
    if (added != kNoNode) {
        if (target != kNoNode) {
            m_model.SetExpanded(target, true);
        }
        RebuildTree();
        SelectInTree(added);
    }
}

void CFavouritesController::CmdAddItem() {
    const NodeId node = TargetNode();
    if (!IsFavouriteNode(node)) {
        return;
    }
    CFavouriteItemDialog dialog(m_parentWidget);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    if (m_fav.AddItemByHand(node, dialog.Title().toStdString(), dialog.Link().toStdString(),
                            dialog.Time().toStdString(), dialog.Author().toStdString(),
                            dialog.Summary().toStdString(), m_session.Store())) {
        ShowNode(node);
    }
}

void CFavouritesController::CmdOpenHomeInside() {
    const std::optional<ChannelNode> node = m_model.Node(TargetNode());
    if (node && !node->homeUrl.empty()) {
        m_page->OpenUrl(Q(node->homeUrl));
    }
}

void CFavouritesController::CmdOpenHomeExternal() {
    const std::optional<ChannelNode> node = m_model.Node(TargetNode());
    if (node && !node->homeUrl.empty()) {
        const QUrl url(Q(node->homeUrl));
        if (RouteLink(url, true) == LinkRoute::System) {
            OpenInSystemBrowser(url, m_tree);
        } else {
            emit StatusText(QStringLiteral("主页地址不是网页地址: ") + Q(node->homeUrl));
        }
    }
}

void CFavouritesController::CmdMoveUp() {
    const NodeId id = TargetNode();
    if (m_model.Exists(id) && m_fav.Editor().MoveUp(id)) {
        RebuildTree();
        SelectInTree(id);
    }
}

void CFavouritesController::CmdMoveToRoot() {
    const NodeId id = TargetNode();
    if (m_model.Exists(id) && m_fav.Editor().MoveToRoot(id)) {
        RebuildTree();
        SelectInTree(id);
    }
}

void CFavouritesController::CmdDelete() {
    const NodeId id = TargetNode();
    if (!m_model.Exists(id) || !AskYesNo(m_tree, kConfirmDeleteFavourite)) {
        return;
    }
    const bool shownInside = m_shownNode != kNoNode && m_model.IsInSubtree(m_shownNode, id);
    if (!m_fav.Delete(id, m_session.Store())) {
        emit StatusText(QStringLiteral("无法删除收藏: ") + Q(m_session.Store().GetLastError()));
        return;
    }
    if (shownInside) {
        m_shownNode = kNoNode;
        m_items->Clear();
        m_page->ShowBlank();
    }
    RebuildTree();
}

void CFavouritesController::CmdProperties() {
    const NodeId id = TargetNode();
    const std::optional<ChannelNode> node = m_model.Node(id);
    if (!node) {
        return;
    }
    CFavouriteNodeDialog dialog(IsFavouriteNode(id) ? CFavouriteNodeDialog::Kind::NodeProperties
                                                    : CFavouriteNodeDialog::Kind::FolderProperties,
                                m_parentWidget);
    dialog.SetValues(Q(node->caption), Q(node->homeUrl));
    if (dialog.exec() == QDialog::Accepted &&
        m_fav.Editor().SetFolderProperties(id, dialog.Title().toStdString(),
                                           dialog.HomeUrl().toStdString())) {
        RebuildTree();
        SelectInTree(id);
    }
}

void CFavouritesController::CmdExportFeed() {
    const NodeId id = TargetNode();
    const std::optional<ChannelNode> node = m_model.Node(id);
    if (!node || !IsFavouriteNode(id)) {
        return;
    }
    const QString path = ChooseFile(true, Q(node->caption) + QStringLiteral(".xml"),
                                    QStringLiteral("*.xml (*.xml);;所有文件 (*)"));
    if (path.isEmpty()) {
        return;
    }
    if (m_fav.ExportFeed(id, m_session.Store(), path.toStdString())) {
        ShowReaderMessage(m_parentWidget, QString::fromUtf8(kFeedExported));
    }
}

void CFavouritesController::CmdEbook() {
    const NodeId id = TargetNode();
    if (!m_model.Exists(id)) {
        return;
    }
    EbookArticles gathered;
    std::string error;
    if (!GatherFavouriteArticles(m_fav, m_session.Store(), id, gathered, error)) {
        emit StatusText(QStringLiteral("无法读取收藏: ") + Q(error));
        return;
    }
    if (gathered.articles.empty()) {
        ShowReaderMessage(m_parentWidget, Q(kFavouriteFolderEmpty).trimmed());
        return;
    }
    m_ebook->Open(m_ebook->MakeDialogForArticles(std::move(gathered)));
}

void CFavouritesController::CmdImport() {
    const QString path =
        ChooseFile(false, QString(), QStringLiteral("*.xml (*.xml);;所有文件 (*)"));
    if (path.isEmpty()) {
        return;
    }
    const NodeId added = m_fav.ImportFeedFile(path.toStdString(), m_session.Store());
    if (added != kNoNode) {
        RebuildTree();
        SelectInTree(added);
        ShowNode(added);
    }
}

// ---- keeping and moving items --------------------------------------------------------------

void CFavouritesController::KeepItem(int itemId, bool fromStaging) {
    if (itemId <= 0) {
        return;
    }
    // The dialog shows the tree as the file has it.
    m_fav.SaveState();
    NodeId preselect = IsFavouriteNode(m_lastKeptTo) ? m_lastKeptTo : kNoNode;
    if (preselect == kNoNode) {
        for (NodeId id : m_model.Walk()) {
            if (IsFavouriteNode(id)) {
                preselect = id;
                break;
            }
        }
    }
    CKeepFavouriteDialog dialog(m_fav, preselect, m_parentWidget);
    if (dialog.exec() != QDialog::Accepted || dialog.Chosen() == kNoNode) {
        return;
    }
    const NodeId node = dialog.Chosen();
    if (!m_fav.KeepItem(node, itemId, fromStaging, m_session.Store())) {
        return;  // "添加失败" has been shown
    }
    m_lastKeptTo = node;
    const std::optional<ChannelNode> kept = m_model.Node(node);
    emit StatusText(QStringLiteral("已收藏到 \"%1\"").arg(kept ? Q(kept->caption) : QString()));
    if (node == m_shownNode) {
        ShowNode(node);
    }
}

void CFavouritesController::MoveItems(const QList<int>& itemIds, int node) {
    const std::vector<int> ids(itemIds.begin(), itemIds.end());
    m_fav.MoveItems(ids, node, m_shownNode, m_session.Store());
    if (m_shownNode != kNoNode) {
        ShowNode(m_shownNode);
    }
}

// ---- the list's commands ---------------------------------------------------------------------

void CFavouritesController::CmdOpenItem() {
    std::string link;
    const int id = CurrentItemId();
    if (id == 0 || !m_session.Store().GetFavouriteLink(id, link)) {
        return;
    }
    const QUrl url(Q(link));
    if (RouteLink(url, true) == LinkRoute::System) {
        OpenInSystemBrowser(url, m_list);
    } else {
        emit StatusText(QStringLiteral("这篇文章的链接不是网页地址: ") + Q(link));
    }
}

void CFavouritesController::CmdDeleteItem() {
    const int id = CurrentItemId();
    if (id == 0) {
        return;
    }
    if (!m_session.Store().DeleteFavourite(id)) {
        emit StatusText(QStringLiteral("无法删除收藏: ") + Q(m_session.Store().GetLastError()));
        return;
    }
    const int row = m_list->currentIndex().row();
    ShowNode(m_shownNode);
    if (m_items->rowCount() > 0) {
        m_list->setCurrentIndex(m_items->index(qMin(row, m_items->rowCount() - 1), kColTitle));
    }
}

void CFavouritesController::CmdItemProperties() {
    RssItem item;
    const int id = CurrentItemId();
    if (id == 0 || !m_session.Store().GetFavourite(id, item)) {
        return;
    }
    CItemPropertiesDialog dialog(item, m_list);
    dialog.exec();
}

}  // namespace zirvo::gui
