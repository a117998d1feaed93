#include "gui/reader/subscription_wizard.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWizardPage>

#include "core/subscriptions/channel_checks.h"
#include "gui/reader/reader_icons.h"
#include "gui/reader/subscription_dialogs.h"

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
    : QWizard(parent), m_tree(tree), m_folder(folder) {
    setWindowTitle(QStringLiteral("新建订阅向导"));
    setObjectName(QStringLiteral("subscriptionWizard"));
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage);
    setButtonText(QWizard::BackButton, QStringLiteral("< 上一步(&B)"));
    setButtonText(QWizard::NextButton, QStringLiteral("下一步(&N) >"));
    setButtonText(QWizard::FinishButton, QStringLiteral("完成"));
    setButtonText(QWizard::CancelButton, QStringLiteral("取消"));

    auto* first = new QWizardPage(this);
    auto* firstLayout = new QVBoxLayout(first);
    if (!folder) {
        first->setTitle(QStringLiteral("添加RSS订阅"));
        first->setSubTitle(QStringLiteral("此向导将帮助你添加一个RSS订阅"));
        m_fields = new CChannelFields(first);
        m_fields->PrefillFromClipboard();
        firstLayout->addWidget(m_fields);
    } else {
        first->setTitle(QStringLiteral("添加频道目录"));
        first->setSubTitle(QStringLiteral("此向导将帮助你添加一个频道目录"));
        m_folderName = new QLineEdit(first);
        m_folderName->setObjectName(QStringLiteral("folderNameEdit"));
        m_folderUrl = new QLineEdit(first);
        m_folderUrl->setObjectName(QStringLiteral("folderUrlEdit"));
        m_folderUrl->setPlaceholderText(QStringLiteral("可以不填"));
        auto* form = new QFormLayout;
        form->addRow(QStringLiteral("目录名称(&M):"), m_folderName);
        form->addRow(QStringLiteral("主页(&H):"), m_folderUrl);
        firstLayout->addLayout(form);
    }
    firstLayout->addStretch(1);
    addPage(first);

    auto* second = new QWizardPage(this);
    second->setTitle(QStringLiteral("选择一个目录"));
    second->setSubTitle(QStringLiteral("新的%1将放在选中的目录中。")
                            .arg(folder ? QStringLiteral("目录") : QStringLiteral("频道")));
    m_folders = new QTreeWidget(second);
    m_folders->setObjectName(QStringLiteral("folderPicker"));
    m_folders->setHeaderHidden(true);
    m_folders->setIconSize(QSize(16, 16));
    AddPickerItems(tree, kNoNode, nullptr, m_folders, preselect);
    m_folders->expandAll();
    m_toRoot = new QCheckBox(QStringLiteral("添加到根节点(&R)"), second);
    m_toRoot->setObjectName(QStringLiteral("toRootCheck"));
    connect(m_toRoot, &QCheckBox::toggled, m_folders, &QWidget::setDisabled);
    auto* secondLayout = new QVBoxLayout(second);
    secondLayout->addWidget(m_folders, 1);
    secondLayout->addWidget(m_toRoot);
    addPage(second);
    resize(520, 420);
}

QString CSubscriptionWizard::FolderName() const {
    return m_folderName ? m_folderName->text().trimmed() : QString();
}

QString CSubscriptionWizard::FolderUrl() const {
    return m_folderUrl ? m_folderUrl->text().trimmed() : QString();
}

bool CSubscriptionWizard::ToRoot() const {
    return m_toRoot->isChecked();
}

NodeId CSubscriptionWizard::ChosenFolder() const {
    QTreeWidgetItem* item = m_folders->currentItem();
    return item ? item->data(0, kPickerNodeRole).toInt() : kNoNode;
}

void CSubscriptionWizard::initializePage(int id) {
    QWizard::initializePage(id);
    if (id == 0 && m_fields) {
        // After QWizard has given the page's first field the focus.
        QTimer::singleShot(0, m_fields->FeedUrlEdit(), [edit = m_fields->FeedUrlEdit()] {
            edit->setFocus(Qt::OtherFocusReason);
        });
    }
}

bool CSubscriptionWizard::validateCurrentPage() {
    if (currentId() == 0) {
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
                    if (filled && self->currentId() == 0) {
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
            (check.field == DialogField::HomeUrl ? m_folderUrl : m_folderName)->setFocus();
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
