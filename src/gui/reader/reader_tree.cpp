// The channel tree: its items, selection, drag and rename, and the tree's commands.

#include <QAbstractButton>
#include <QAction>
#include <QDesktopServices>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <memory>

#include "core/subscriptions/channel_binding.h"
#include "core/subscriptions/favourite_tree.h"
#include "core/views/article_document.h"
#include "gui/common/system_browser.h"
#include "gui/dialogs/channel_properties_dialog.h"
#include "gui/dialogs/folder_properties_dialog.h"
#include "gui/reader/article_list_model.h"
#include "gui/reader/article_page.h"
#include "gui/reader/channel_tree_widget.h"
#include "gui/reader/reader_controller.h"
#include "gui/reader/reader_icons.h"
#include "gui/reader/reader_text.h"
#include "gui/reader/subscription_dialogs.h"
#include "gui/reader/subscription_wizard.h"

namespace zirvo::gui {

namespace {

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

QString CReaderController::ChannelToolTip(const ChannelNode& node) const {
    if (!node.IsChannel()) {
        return QString();
    }
    const auto failure = m_fetchFailures.constFind(node.id);
    if (failure == m_fetchFailures.constEnd()) {
        return Q(node.feedUrl);
    }
    return Q(node.feedUrl) + QStringLiteral("\n上次更新失败: ") + failure.value();
}

void CReaderController::StyleTreeItem(QTreeWidgetItem* item, const ChannelNode& node) {
    item->setText(0, Q(node.caption));
    item->setData(0, kUnreadRole, node.unreadCount);
    item->setData(0, kIsFolderRole, node.IsFolder());
    item->setIcon(0, TreeImage(node.IsFolder() ? kImageFolder : node.image));
    // Items with children blue, the others dark grey.
    item->setForeground(0, node.children.empty() ? QColor(100, 100, 100) : QColor(0, 0, 255));
    item->setToolTip(0, ChannelToolTip(node));
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
    item->setHidden(m_deleting.contains(id));
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

void CReaderController::ApplyExpansion(QTreeWidgetItem* item) {
    const std::optional<ChannelNode> node = m_session.Tree().Node(m_tree->NodeOf(item));
    if (!node) {
        return;
    }
    item->setExpanded(node->expanded);
    for (int i = 0; i < item->childCount(); ++i) {
        ApplyExpansion(item->child(i));
    }
}

void CReaderController::PlaceNode(NodeId id) {
    const CChannelTree& model = m_session.Tree();
    const std::optional<ChannelNode> node = model.Node(id);
    if (!node) {
        return;
    }
    m_rebuilding = true;
    const QSignalBlocker blocker(m_tree);
    QTreeWidgetItem* parentItem = node->parent == kNoNode ? nullptr : m_tree->ItemOf(node->parent);
    QTreeWidgetItem* item = m_tree->ItemOf(id);
    QTreeWidgetItem* oldParent = nullptr;
    if (item == nullptr) {
        item = AddTreeItems(id, parentItem);
    } else {
        oldParent = item->parent();
    }
    if (item != nullptr) {
        if (QTreeWidgetItem* from = item->parent()) {
            from->takeChild(from->indexOfChild(item));
        } else {
            m_tree->takeTopLevelItem(m_tree->indexOfTopLevelItem(item));
        }
        const std::vector<NodeId> siblings = model.Children(node->parent);
        const int index =
            static_cast<int>(std::find(siblings.begin(), siblings.end(), id) - siblings.begin());
        if (parentItem != nullptr) {
            parentItem->insertChild(qMin(index, parentItem->childCount()), item);
        } else {
            m_tree->insertTopLevelItem(qMin(index, m_tree->topLevelItemCount()), item);
        }
        // Taking an item out forgets the expansion of its subtree.
        ApplyExpansion(item);
    }
    // The folders on both ends change colour (with or without children) and count.
    for (QTreeWidgetItem* folder : {oldParent, parentItem}) {
        if (folder == nullptr) {
            continue;
        }
        const NodeId folderId = m_tree->NodeOf(folder);
        if (const std::optional<ChannelNode> folderNode = model.Node(folderId)) {
            StyleTreeItem(folder, *folderNode);
            folder->setExpanded(folderNode->expanded);
        }
        UpdateCountsUpward(folderId);
    }
    m_rebuilding = false;
}

void CReaderController::ReloadTree() {
    RebuildTree();
    // A property sheet, an import or a cleaning may have changed what the shown list holds;
    // rows of deleted items must not stay clickable.
    RefillShownList();
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
        !m_closing) {
        m_session.Receive(id, false, true);
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
    PlaceNode(node);
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

void CReaderController::CmdMarkRead() {
    const NodeId id = TargetNode();
    if (!m_session.Tree().Exists(id)) {
        return;
    }
    MarkNodeReadInBackground(id, 0);
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
            OpenInSystemBrowser(url, m_tree);
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
        PlaceNode(added);
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
    const NodeId added = m_session.Editor().AddFolder(target, dialog.Name().toStdString(),
                                                      dialog.Url().toStdString());
    if (added != kNoNode) {
        if (target != kNoNode) {
            m_session.Tree().SetExpanded(target, true);
        }
        PlaceNode(added);
    }
}

void CReaderController::OpenAddSubscription(const QString& url, const QString& title) {
    const NodeId preselect = TargetFolderForAdd();
    CSubscriptionWizard wizard(m_session.Tree(), false, preselect, m_parentWidget);
    if (!url.isEmpty() || !title.isEmpty()) {
        wizard.Fields()->SetValues(title, url, QString());
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
        PlaceNode(added);
    }
}

void CReaderController::OpenAddFolderWizard() {
    CSubscriptionWizard wizard(m_session.Tree(), true, TargetFolderForAdd(), m_parentWidget);
    if (wizard.exec() != QDialog::Accepted) {
        return;
    }
    const NodeId parent = wizard.ToRoot() ? kNoNode : wizard.ChosenFolder();
    const NodeId added = m_session.Editor().AddFolder(parent, wizard.FolderName().toStdString(),
                                                      wizard.FolderUrl().toStdString());
    if (added != kNoNode) {
        if (parent != kNoNode) {
            m_session.Tree().SetExpanded(parent, true);
        }
        PlaceNode(added);
    }
}

void CReaderController::CmdMoveUp() {
    const NodeId id = TargetNode();
    if (!m_session.Tree().Exists(id) || !m_session.Editor().MoveUp(id)) {
        return;
    }
    PlaceNode(id);
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
    PlaceNode(id);
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
    // Deleting a big channel's items takes seconds: a job of the session does it.
    CChannelTreeEditor* editor = &m_session.Editor();
    RunStoreJob(
        QStringLiteral("正在清空文章..."),
        [editor, id](CRssStore& store) {
            JobOutcome outcome;
            outcome.ok = editor->ClearArticles(id, store);
            outcome.error = outcome.ok ? std::string() : store.GetLastError();
            return outcome;
        },
        [this, id](JobOutcome outcome) {
            if (!outcome.ok) {
                emit StatusText(QStringLiteral("无法清空文章: ") + Q(outcome.error));
            }
            for (NodeId channel : m_session.Tree().SubtreeChannels(id)) {
                if (QTreeWidgetItem* item = m_tree->ItemOf(channel)) {
                    item->setIcon(0, TreeImage(m_session.Tree().Node(channel)->image));
                }
            }
            RefreshAllCounts();
            if (ListShowsPartOf(id) || m_showingAllUnread) {
                RefillShownList();
            }
        });
}

void CReaderController::CmdDelete() {
    const NodeId id = TargetNode();
    if (!m_session.Tree().Exists(id) || m_deleting.contains(id) ||
        !AskYesNo(m_tree, kConfirmDeleteChannel)) {
        return;
    }
    FeedIdList feeds;
    if (!m_session.Editor().FeedsLeavingWith(id, m_session.Store(), feeds)) {
        emit StatusText(QStringLiteral("无法删除这个频道或目录: ") +
                        Q(m_session.Store().GetLastError()));
        return;
    }
    if (m_shownNode != kNoNode && m_session.Tree().IsInSubtree(m_shownNode, id)) {
        m_shownNode = kNoNode;
        m_ownerTag = 0;
        ClearList();
    }
    if (feeds.empty()) {
        FinishDelete(id);
        return;
    }
    // A channel of 100,000 items takes seconds to delete: its node leaves the view at once and
    // its items go in one transaction on a job of the session; the outline and the node follow
    // only when they are gone, so that a store that refuses leaves no items without a node.
    SetDeleting(id, true);
    // Read by a closing window after the job has ended: its report is dropped then.
    auto deleted = std::make_shared<std::atomic<bool>>(false);
    m_deletedItems.insert(id, deleted);
    const bool started = RunStoreJob(
        QStringLiteral("正在删除频道的文章..."),
        [feeds, deleted](CRssStore& store) {
            JobOutcome outcome;
            outcome.ok = store.DeleteFeeds(feeds);
            outcome.error = outcome.ok ? std::string() : store.GetLastError();
            deleted->store(outcome.ok);
            return outcome;
        },
        [this, id](JobOutcome outcome) {
            SetDeleting(id, false);
            if (!m_session.Tree().Exists(id)) {
                return;  // its folder went meanwhile
            }
            if (!outcome.ok) {
                emit StatusText(QStringLiteral("无法删除这个频道或目录: ") + Q(outcome.error));
                return;
            }
            FinishDelete(id);
        });
    if (!started) {
        SetDeleting(id, false);
    }
}

void CReaderController::SetDeleting(NodeId id, bool deleting) {
    if (deleting) {
        m_deleting.insert(id);
    } else {
        m_deleting.remove(id);
        m_deletedItems.remove(id);
    }
    QTreeWidgetItem* item = m_tree->ItemOf(id);
    if (item == nullptr) {
        return;
    }
    m_rebuilding = true;
    const QSignalBlocker blocker(m_tree);
    if (deleting && m_tree->currentItem() != nullptr &&
        m_session.Tree().IsInSubtree(m_tree->NodeOf(m_tree->currentItem()), id)) {
        m_tree->setCurrentItem(nullptr);
    }
    item->setHidden(deleting);
    m_rebuilding = false;
}

void CReaderController::FinishDeletesAtClose() {
    if (m_deletedItems.isEmpty()) {
        return;
    }
    // The jobs' reports no longer arrive: a node whose items have gone leaves the file now, or
    // it would come back, emptied, at the next start.
    m_session.WaitForJobs();
    for (auto it = m_deletedItems.cbegin(); it != m_deletedItems.cend(); ++it) {
        if (it.value()->load() && m_session.Tree().Exists(it.key())) {
            m_session.Editor().Delete(it.key(), m_session.Store());
        }
    }
    m_deletedItems.clear();
    m_deleting.clear();
}

void CReaderController::FinishDelete(NodeId id) {
    const bool shownAround = ListShowsPartOf(id);
    const NodeId parent = m_session.Tree().Parent(id);
    if (!m_session.Editor().Delete(id, m_session.Store())) {
        // A file that cannot be written has been reported with its message; the node stays,
        // with what the store still holds for it.
        emit StatusText(QStringLiteral("无法删除这个频道或目录"));
        if (m_session.Editor().RecountUnread(id, m_session.Store())) {
            RefreshAllCounts();
        }
        return;
    }
    {
        m_rebuilding = true;
        const QSignalBlocker blocker(m_tree);
        m_tree->RemoveItem(m_tree->ItemOf(id));
        if (QTreeWidgetItem* parentItem = m_tree->ItemOf(parent)) {
            StyleTreeItem(parentItem, *m_session.Tree().Node(parent));
        }
        m_rebuilding = false;
    }
    UpdateCountsUpward(parent);
    if (shownAround || m_showingAllUnread) {
        RefillShownList();  // the folder no longer names the channel
    }
}

void CReaderController::CmdRename() {
    QTreeWidgetItem* item = m_tree->ItemOf(TargetNode());
    if (item != nullptr && (item->flags() & Qt::ItemIsEditable)) {
        m_tree->setCurrentItem(item);
        m_tree->editItem(item);
    }
}

void CReaderController::CmdEbook() {
    emit EbookRequested(TargetNode());
}

void CReaderController::CmdProperties() {
    OpenNodeProperties(TargetNode());
}

void CReaderController::OpenNodeProperties(int id) {
    const std::optional<ChannelNode> node = m_session.Tree().Node(id);
    if (!node) {
        return;
    }
    if (node->IsChannel()) {
        BindChannel(m_session.Tree(), id, m_session.Store());
        CChannelPropertiesDialog dialog(m_session, id, m_parentWidget);
        if (dialog.exec() == QDialog::Accepted) {
            const std::optional<ChannelNode> changed = m_session.Tree().Node(id);
            if (QTreeWidgetItem* item = m_tree->ItemOf(id); item && changed) {
                StyleTreeItem(item, *changed);
            }
        }
        return;
    }
    CFolderPropertiesDialog dialog(m_session, id, m_parentWidget);
    bool changed = false;
    connect(&dialog, &CFolderPropertiesDialog::BatchApplied, this, [&changed] { changed = true; });
    if (dialog.exec() == QDialog::Accepted || changed) {
        // A folder's sheet changes its caption and the settings of its channels, which the
        // tree does not draw.
        const std::optional<ChannelNode> now = m_session.Tree().Node(id);
        if (QTreeWidgetItem* item = m_tree->ItemOf(id); item && now) {
            StyleTreeItem(item, *now);
        }
    }
}

}  // namespace zirvo::gui
