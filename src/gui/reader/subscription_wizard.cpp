#include "gui/reader/subscription_wizard.h"

#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include "core/subscriptions/channel_checks.h"
#include "gui/reader/reader_icons.h"
#include "gui/reader/subscription_dialogs.h"
#include "ui_subscription_wizard.h"

namespace zirvo::gui {

namespace {

constexpr int kPickerNodeRole = Qt::UserRole + 1;

void AddPickerItems(const CChannelTree& tree, NodeId parent, QTreeWidgetItem* parentItem,
                    QTreeWidget* widget, NodeId preselect) {
    for (NodeId id : tree.Children(parent)) {
        const std::optional<ChannelNode> node = tree.Node(id);
        if (!node) {
            continue;
        }
        auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(widget);
        item->setText(0, QString::fromStdString(node->caption));
        item->setData(0, kPickerNodeRole, id);
        item->setIcon(0, TreeImage(node->IsFolder() ? kImageFolder : kImageChannel));
        if (node->IsChannel()) {
            item->setForeground(0, QColor(130, 130, 130));
        }
        if (id == preselect) {
            widget->setCurrentItem(item);
        }
        AddPickerItems(tree, id, item, widget, preselect);
    }
}

}  // namespace

CSubscriptionWizard::CSubscriptionWizard(const CChannelTree& tree, bool folder, NodeId preselect,
                                         QWidget* parent)
    : QWizard(parent),
      m_tree(tree),
      m_folder(folder),
      m_ui(std::make_unique<Ui::SubscriptionWizard>()) {
    m_ui->setupUi(this);
    setOption(QWizard::NoBackButtonOnStartPage);
    setButtonText(QWizard::BackButton, QStringLiteral("< 上一步(&B)"));
    setButtonText(QWizard::NextButton, QStringLiteral("下一步(&N) >"));
    setButtonText(QWizard::FinishButton, QStringLiteral("完成"));
    setButtonText(QWizard::CancelButton, QStringLiteral("取消"));

    // One first page stays (the other goes with its fields), and the pages keep the numbers 0
    // and 1 whichever it is.
    QWizardPage* unused = folder ? m_ui->channelPage : m_ui->folderPage;
    m_firstPage = folder ? m_ui->folderPage : m_ui->channelPage;
    for (int id : pageIds()) {
        removePage(id);
    }
    delete unused;
    setPage(0, m_firstPage);
    setPage(1, m_ui->pickPage);
    if (!folder) {
        m_fields = m_ui->fields;
        m_fields->PrefillFromClipboard();
    }

    m_ui->pickPage->setSubTitle(QStringLiteral("新的%1将放在选中的目录中。")
                                    .arg(folder ? QStringLiteral("目录") : QStringLiteral("频道")));
    AddPickerItems(tree, kNoNode, nullptr, m_ui->folderPicker, preselect);
    m_ui->folderPicker->expandAll();
    connect(m_ui->toRootCheck, &QCheckBox::toggled, m_ui->folderPicker, &QWidget::setDisabled);
}

CSubscriptionWizard::~CSubscriptionWizard() = default;

QTreeWidget* CSubscriptionWizard::FolderTree() const {
    return m_ui->folderPicker;
}

QString CSubscriptionWizard::FolderName() const {
    return m_folder ? m_ui->folderNameEdit->text().trimmed() : QString();
}

QString CSubscriptionWizard::FolderUrl() const {
    return m_folder ? m_ui->folderUrlEdit->text().trimmed() : QString();
}

bool CSubscriptionWizard::ToRoot() const {
    return m_ui->toRootCheck->isChecked();
}

NodeId CSubscriptionWizard::ChosenFolder() const {
    QTreeWidgetItem* item = m_ui->folderPicker->currentItem();
    return item ? item->data(0, kPickerNodeRole).toInt() : kNoNode;
}

void CSubscriptionWizard::initializePage(int id) {
    QWizard::initializePage(id);
    if (page(id) == m_firstPage && m_fields) {
        // After QWizard has given the page's first field the focus.
        QTimer::singleShot(0, m_fields->FeedUrlEdit(), [edit = m_fields->FeedUrlEdit()] {
            edit->setFocus(Qt::OtherFocusReason);
        });
    }
}

bool CSubscriptionWizard::validateCurrentPage() {
    if (currentPage() == m_firstPage) {
        if (m_fields) {
            if (m_fields->Fetching()) {
                return false;  // "下一步" again while the name is being fetched
            }
            if (m_fields->Title().isEmpty() &&
                CheckFetchAddress(m_fields->FeedUrl().toStdString()).ok) {
                // The name comes from the feed; the page is left once it has arrived.
                QPointer<CSubscriptionWizard> self(this);
                button(QWizard::NextButton)->setEnabled(false);
                m_fields->FetchTitle([self](bool filled) {
                    if (!self) {
                        return;
                    }
                    self->button(QWizard::NextButton)->setEnabled(true);
                    if (filled && self->currentPage() == self->m_firstPage) {
                        self->next();
                    }
                });
                return false;
            }
            return m_fields->Validate(m_tree);
        }
        const FieldCheck check =
            CheckFolderFields(FolderName().toStdString(), FolderUrl().toStdString());
        if (!check.ok) {
            ShowReaderMessage(this, QString::fromStdString(check.message));
            (check.field == DialogField::HomeUrl ? m_ui->folderUrlEdit : m_ui->folderNameEdit)
                ->setFocus();
            return false;
        }
        return true;
    }
    const FieldCheck check = CheckWizardFolder(m_tree, ChosenFolder(), ToRoot());
    if (!check.ok) {
        ShowReaderMessage(this, QString::fromStdString(check.message));
        return false;
    }
    return true;
}

}  // namespace zirvo::gui
