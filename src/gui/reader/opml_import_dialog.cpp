#include "gui/reader/opml_import_dialog.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMenu>
#include <QPointer>
#include <QPushButton>

#include "core/net/http_client.h"
#include "core/session/reader_session.h"
#include "core/subscriptions/opml_import.h"
#include "gui/reader/channel_tree_widget.h"
#include "gui/reader/opml_import_trees.h"
#include "gui/reader/reader_icons.h"
#include "gui/reader/reader_text.h"
#include "gui/reader/subscription_dialogs.h"
#include "ui_opml_import_dialog.h"

namespace zirvo::gui {

namespace {

const char kOpenFilter[] = "XML文件 (*.xml *.opml);;所有文件 (*)";
const char kAddressTitle[] = "输入Internet上的OPML频道";
const char kFetching[] = "获取中...";

}  // namespace

COpmlImportDialog::COpmlImportDialog(CReaderSession& session, QWidget* parent)
    : QDialog(parent),
      m_session(session),
      m_ui(std::make_unique<Ui::COpmlImportDialog>()),
      m_import(std::make_unique<COpmlImport>(session.Root(), session.Messages())) {
    m_ui->setupUi(this);
    QPushButton* save = m_ui->buttonBox->button(QDialogButtonBox::Save);
    save->setText(QStringLiteral("保存(&S)"));
    save->setObjectName(QStringLiteral("saveButton"));
    QPushButton* cancel = m_ui->buttonBox->button(QDialogButtonBox::Cancel);
    cancel->setText(QStringLiteral("取消"));
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &COpmlImportDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &COpmlImportDialog::reject);
    connect(m_ui->fileButton, &QPushButton::clicked, this, &COpmlImportDialog::ChooseFile);
    connect(m_ui->addressButton, &QPushButton::clicked, this, &COpmlImportDialog::AskAddress);
    connect(m_ui->importButton, &QPushButton::clicked, this, &COpmlImportDialog::ImportSelected);
    connect(m_ui->importAllButton, &QPushButton::clicked, this, &COpmlImportDialog::ImportAll);
    connect(m_ui->newFolderButton, &QPushButton::clicked, this, &COpmlImportDialog::NewFolder);
    connect(m_ui->currentTree, &COpmlTargetTree::SourceDropped, this,
            &COpmlImportDialog::ImportDropped);
    connect(m_ui->currentTree, &QWidget::customContextMenuRequested, this,
            &COpmlImportDialog::ShowCurrentMenu);
    connect(m_ui->sourceTree, &QTreeWidget::currentItemChanged, this,
            &COpmlImportDialog::UpdateButtons);
    UpdateButtons();
}

COpmlImportDialog::~COpmlImportDialog() {
    if (m_abort) {
        *m_abort = true;
    }
}

QTreeWidget* COpmlImportDialog::SourceTree() const {
    return m_ui->sourceTree;
}

QTreeWidget* COpmlImportDialog::CurrentTree() const {
    return m_ui->currentTree;
}

bool COpmlImportDialog::Begin() {
    if (!m_import->Begin()) {
        return false;
    }
    ShowCurrentTree();
    return true;
}

void COpmlImportDialog::ChooseFile() {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("选择本地文件"),
                                                      QString(), QString::fromUtf8(kOpenFilter));
    if (!path.isEmpty()) {
        LoadFile(path);
    }
}

void COpmlImportDialog::AskAddress() {
    QInputDialog input(this);
    input.setObjectName(QStringLiteral("opmlAddressDialog"));
    input.setWindowTitle(QString::fromUtf8(kAddressTitle));
    input.setLabelText(QStringLiteral("URL:"));
    input.setInputMode(QInputDialog::TextInput);
    input.resize(480, input.sizeHint().height());
    if (input.exec() != QDialog::Accepted || input.textValue().trimmed().isEmpty()) {
        return;
    }
    LoadAddress(input.textValue().trimmed());
}

void COpmlImportDialog::LoadFile(const QString& path) {
    const std::string file = path.toStdString();
    StartRead([file](const std::atomic<bool>&) { return ReadOpmlSourceFile(file); });
}

void COpmlImportDialog::LoadAddress(const QString& url) {
    const std::string address = url.toStdString();
    const std::string tempDir = m_session.Root().TempDir();
    m_ui->addressButton->setText(QString::fromUtf8(kFetching));
    StartRead([address, tempDir](const std::atomic<bool>& abort) {
        CCurlHttpClient http;
        return ReadOpmlSourceAddress(tempDir, address, http, &abort);
    });
}

void COpmlImportDialog::StartRead(std::function<OpmlSourceRead(const std::atomic<bool>&)> read) {
    if (m_loading) {
        return;
    }
    m_loading = true;
    m_abort = std::make_shared<std::atomic<bool>>(false);
    m_ui->sourceStatus->setText(QStringLiteral("正在读取..."));
    UpdateButtons();
    QPointer<COpmlImportDialog> self(this);
    std::shared_ptr<std::atomic<bool>> abort = m_abort;
    const bool started = m_session.StartJob([self, abort, read = std::move(read)] {
        auto outcome = std::make_shared<OpmlSourceRead>();
        try {
            *outcome = read(*abort);
        } catch (...) {
            // Out of memory on a hostile file: that file's failure, not the program's.
            *outcome = OpmlSourceRead();
            outcome->message = std::string(kUnknownOpmlFormat) + "\nthe file is too big to read";
        }
        if (*abort) {
            return;
        }
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, outcome] {
                if (self) {
                    self->TakeRead(std::move(*outcome));
                }
            },
            Qt::QueuedConnection);
    });
    if (!started) {
        m_loading = false;
        UpdateButtons();
    }
}

void COpmlImportDialog::TakeRead(OpmlSourceRead read) {
    m_loading = false;
    m_ui->addressButton->setText(QStringLiteral("互联网上的地址(&W)..."));
    // Whatever came of it, the list as it is may be saved.
    m_saveAllowed = true;
    const bool ok = m_import->TakeSource(std::move(read));
    m_sourceRead = ok;
    ShowSourceTree();
    if (ok) {
        const size_t refused = m_import->Refused().size();
        QString status = QStringLiteral("可导入 %1 个条目.").arg(m_import->Source().LiveCount());
        if (refused > 0) {
            QStringList lines;
            for (const RefusedOutline& outline : m_import->Refused()) {
                lines << Q(outline.path + ": " + outline.reason);
                if (lines.size() == 20) {
                    lines << QStringLiteral("...");
                    break;
                }
            }
            status +=
                QStringLiteral(" %1 个条目不能订阅, 没有列出 (原因见这里的提示).").arg(refused);
            m_ui->sourceStatus->setToolTip(lines.join(QLatin1Char('\n')));
        }
        m_ui->sourceStatus->setText(status);
    } else {
        m_ui->sourceStatus->setText(QStringLiteral("没有读到频道列表, 可以再选择一个文件或地址."));
    }
    UpdateButtons();
    emit SourceLoaded(ok);
}

QTreeWidgetItem* COpmlImportDialog::AddItems(const CChannelTree& tree, NodeId id,
                                             QTreeWidgetItem* parent, QTreeWidget* view,
                                             bool expand) {
    const std::optional<ChannelNode> node = tree.Node(id);
    if (!node) {
        return nullptr;
    }
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(view);
    item->setText(0, Q(node->caption));
    item->setData(0, kNodeRole, id);
    item->setData(0, kIsFolderRole, node->IsFolder());
    item->setIcon(0, TreeImage(node->IsFolder() ? kImageFolder : kImageChannel));
    if (node->IsChannel()) {
        item->setToolTip(0, Q(node->feedUrl));
    }
    for (NodeId child : node->children) {
        AddItems(tree, child, item, view, expand);
    }
    if (expand && node->expanded) {
        item->setExpanded(true);
    }
    return item;
}

void COpmlImportDialog::ShowSourceTree() {
    QTreeWidget* view = m_ui->sourceTree;
    view->setUpdatesEnabled(false);
    view->clear();
    const CChannelTree& tree = m_import->Source();
    for (NodeId id : tree.Children(kNoNode)) {
        AddItems(tree, id, nullptr, view);
    }
    // Folders open only one level deep: a list of thousands stays readable.
    for (int i = 0; i < view->topLevelItemCount(); ++i) {
        view->topLevelItem(i)->setExpanded(true);
    }
    if (view->topLevelItemCount() > 0) {
        view->setCurrentItem(view->topLevelItem(0));
    }
    view->setUpdatesEnabled(true);
}

void COpmlImportDialog::ShowCurrentTree() {
    QTreeWidget* view = m_ui->currentTree;
    view->setUpdatesEnabled(false);
    view->clear();
    const CChannelTree& tree = m_import->Current();
    for (NodeId id : tree.Children(kNoNode)) {
        // Opened and closed as the reader shows it.
        AddItems(tree, id, nullptr, view, true);
    }
    view->setUpdatesEnabled(true);
}

QTreeWidgetItem* COpmlImportDialog::FindItem(QTreeWidget* view, NodeId id) const {
    for (QTreeWidgetItemIterator it(view); *it; ++it) {
        if ((*it)->data(0, kNodeRole).toInt() == id) {
            return *it;
        }
    }
    return nullptr;
}

void COpmlImportDialog::PlaceImported(NodeId added, QTreeWidgetItem* targetItem) {
    QTreeWidgetItem* item = AddItems(m_import->Current(), added, targetItem, m_ui->currentTree);
    if (targetItem != nullptr) {
        targetItem->setExpanded(true);
    }
    if (item != nullptr) {
        m_ui->currentTree->setCurrentItem(item);
        m_ui->currentTree->scrollToItem(item);
    }
}

void COpmlImportDialog::ImportSelected() {
    QTreeWidgetItem* source = m_ui->sourceTree->currentItem();
    if (source == nullptr) {
        return;
    }
    QTreeWidgetItem* target =
        m_ui->toRootCheck->isChecked() ? nullptr : m_ui->currentTree->currentItem();
    ImportDropped(source->data(0, kNodeRole).toInt(), target);
}

void COpmlImportDialog::ImportDropped(int sourceNode, QTreeWidgetItem* target) {
    QTreeWidgetItem* source = FindItem(m_ui->sourceTree, sourceNode);
    if (source == nullptr) {
        return;
    }
    const NodeId targetNode = target ? target->data(0, kNodeRole).toInt() : kNoNode;
    const NodeId added = m_import->Import(sourceNode, targetNode, target == nullptr);
    if (added == kNoNode) {
        return;
    }
    delete source;
    PlaceImported(added, target);
    UpdateButtons();
}

void COpmlImportDialog::ImportAll() {
    QTreeWidgetItem* target =
        m_ui->toRootCheck->isChecked() ? nullptr : m_ui->currentTree->currentItem();
    const NodeId targetNode = target ? target->data(0, kNodeRole).toInt() : kNoNode;
    const std::vector<NodeId> added = m_import->ImportAll(targetNode, target == nullptr);
    if (added.empty()) {
        return;
    }
    m_ui->sourceTree->clear();
    QTreeWidget* view = m_ui->currentTree;
    view->setUpdatesEnabled(false);
    QTreeWidgetItem* first = nullptr;
    for (NodeId id : added) {
        QTreeWidgetItem* item = AddItems(m_import->Current(), id, target, view);
        first = first ? first : item;
    }
    if (target != nullptr) {
        target->setExpanded(true);
    }
    view->setUpdatesEnabled(true);
    if (first != nullptr) {
        view->setCurrentItem(first);
        view->scrollToItem(first);
    }
    UpdateButtons();
}

void COpmlImportDialog::NewFolder() {
    CAddFolderDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    // Under the selected folder, beside the selected channel.
    QTreeWidgetItem* target = m_ui->currentTree->currentItem();
    if (target != nullptr && !target->data(0, kIsFolderRole).toBool()) {
        target = target->parent();
    }
    if (dialog.ToRoot()) {
        target = nullptr;
    }
    const NodeId parent = target ? target->data(0, kNodeRole).toInt() : kNoNode;
    const NodeId added =
        m_import->AddFolder(parent, dialog.Name().toStdString(), dialog.Url().toStdString());
    if (added == kNoNode) {
        return;
    }
    PlaceImported(added, target);
    m_saveAllowed = true;
    UpdateButtons();
}

void COpmlImportDialog::ShowCurrentMenu(const QPoint& pos) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("新建目录(&M)..."), this, &COpmlImportDialog::NewFolder);
    menu.exec(m_ui->currentTree->viewport()->mapToGlobal(pos));
}

void COpmlImportDialog::UpdateButtons() {
    const bool sources = !m_loading && !m_sourceRead;
    m_ui->fileButton->setEnabled(sources);
    m_ui->addressButton->setEnabled(sources);
    const bool anything = m_ui->sourceTree->topLevelItemCount() > 0;
    m_ui->importButton->setEnabled(anything && m_ui->sourceTree->currentItem() != nullptr);
    m_ui->importAllButton->setEnabled(anything);
    m_ui->buttonBox->button(QDialogButtonBox::Save)->setEnabled(m_saveAllowed && !m_loading);
}

void COpmlImportDialog::accept() {
    if (m_loading || !m_import->Save()) {
        return;
    }
    QDialog::accept();
}

void COpmlImportDialog::reject() {
    if (m_abort) {
        *m_abort = true;
    }
    m_import->Cancel();
    QDialog::reject();
}

}  // namespace zirvo::gui
