#include "gui/dialogs/cleaning_wizard.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <memory>

#include "core/feeds/rss_store.h"
#include "core/receive/cleaning_wizard.h"
#include "core/receive/receive_settings_checks.h"

namespace zirvo::gui {

namespace {
QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}
constexpr int kNodeRole = Qt::UserRole + 1;
}  // namespace

CCleaningWizard::CCleaningWizard(CChannelTree& tree, const std::string& dataRoot, QWidget* parent)
    : QWizard(parent), m_tree(tree), m_dataRoot(dataRoot) {
    setWindowTitle(Q(kCleanWizardTitle));
    setObjectName(QStringLiteral("cleaningWizard"));
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage);
    addPage(BuildDaysPage());
    addPage(BuildChannelsPage());
    setButtonText(QWizard::FinishButton, Q(kCleanStartButton));
    setButtonText(QWizard::NextButton, QStringLiteral("下一步(&N) >"));
    setButtonText(QWizard::BackButton, QStringLiteral("< 上一步(&B)"));
    setButtonText(QWizard::CancelButton, QStringLiteral("取消"));
    resize(520, 440);
}

QWizardPage* CCleaningWizard::BuildDaysPage() {
    auto* page = new QWizardPage(this);
    page->setTitle(Q(kCleanPage1Title));
    auto* layout = new QVBoxLayout(page);
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(Q(kCleanDaysLabel) + QStringLiteral("(&D):"), page);
    m_days = new QComboBox(page);
    m_days->setObjectName(QStringLiteral("days"));
    m_days->setEditable(true);
    for (const char* preset : kCleanDaysPresets) {
        m_days->addItem(Q(preset));
    }
    m_days->setEditText(Q(kCleanDaysInitial));
    m_days->setMinimumContentsLength(5);
    label->setBuddy(m_days);
    row->addWidget(label);
    row->addWidget(m_days);
    row->addWidget(new QLabel(QStringLiteral("天"), page));
    row->addStretch();
    layout->addLayout(row);
    m_includeUnread = new QCheckBox(Q(kCleanIncludeUnread) + QStringLiteral("(&U)"), page);
    m_includeUnread->setObjectName(QStringLiteral("includeUnread"));
    layout->addWidget(m_includeUnread);
    layout->addSpacing(12);
    for (const char* hint : {kCleanHintZero, kCleanHintStopAuto}) {
        layout->addWidget(new QLabel(Q(hint), page));
    }
    layout->addSpacing(12);
    auto* why = new QLabel(Q(kCleanHintWhy1) + Q(kCleanHintWhy2), page);
    why->setWordWrap(true);
    layout->addWidget(why);
    layout->addStretch();
    return page;
}

QWizardPage* CCleaningWizard::BuildChannelsPage() {
    auto* page = new QWizardPage(this);
    page->setTitle(QStringLiteral("选择要清理的频道"));
    auto* layout = new QVBoxLayout(page);
    m_channels = new QTreeWidget(page);
    m_channels->setObjectName(QStringLiteral("channels"));
    m_channels->setHeaderHidden(true);
    FillChannels(kNoNode, nullptr);
    m_channels->expandAll();
    layout->addWidget(m_channels, 1);
    auto* buttons = new QHBoxLayout;
    auto* all = new QPushButton(Q(kCleanSelectAll) + QStringLiteral("(&A)"), page);
    all->setObjectName(QStringLiteral("selectAll"));
    auto* none = new QPushButton(Q(kCleanSelectNone) + QStringLiteral("(&O)"), page);
    none->setObjectName(QStringLiteral("selectNone"));
    buttons->addWidget(all);
    buttons->addWidget(none);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(all, &QPushButton::clicked, this, [this] { SetAllChecked(true); });
    connect(none, &QPushButton::clicked, this, [this] { SetAllChecked(false); });
    // A folder's box ticks or clears every channel below it.
    connect(m_channels, &QTreeWidget::itemChanged, this, [](QTreeWidgetItem* item, int) {
        for (int i = 0; i < item->childCount(); ++i) {
            item->child(i)->setCheckState(0, item->checkState(0));
        }
    });
    return page;
}

void CCleaningWizard::FillChannels(NodeId parent, QTreeWidgetItem* item) {
    for (NodeId id : m_tree.Children(parent)) {
        const auto node = m_tree.Node(id);
        if (!node) {
            continue;
        }
        auto* child = item != nullptr ? new QTreeWidgetItem(item) : new QTreeWidgetItem(m_channels);
        child->setText(0, QString::fromStdString(node->caption));
        child->setData(0, kNodeRole, static_cast<qlonglong>(id));
        child->setCheckState(0, Qt::Unchecked);
        FillChannels(id, child);
    }
}

void CCleaningWizard::SetAllChecked(bool checked) {
    for (int i = 0; i < m_channels->topLevelItemCount(); ++i) {
        m_channels->topLevelItem(i)->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    }
}

bool CCleaningWizard::validateCurrentPage() {
    if (m_running) {
        return false;
    }
    if (currentId() == 0) {
        int days = 0;
        const SettingsCheck check = CheckCleaningDays(m_days->currentText().toStdString(), days);
        if (!check.ok) {
            QMessageBox::warning(this, windowTitle(), QString::fromStdString(check.message));
            m_days->setFocus();
            return false;
        }
        return true;
    }
    if (m_cleaned) {
        return true;  // "清理完成": the finish button now just closes
    }
    StartCleaning();
    return false;
}

void CCleaningWizard::StartCleaning() {
    std::vector<NodeId> ticked;
    for (QTreeWidgetItemIterator it(m_channels, QTreeWidgetItemIterator::Checked); *it; ++it) {
        ticked.push_back(static_cast<NodeId>((*it)->data(0, kNodeRole).toLongLong()));
    }
    int days = 0;
    CheckCleaningDays(m_days->currentText().toStdString(), days);
    const bool includeUnread = m_includeUnread->isChecked();
    // A refusal that needs no store (nothing ticked) is answered at once.
    if (ticked.empty()) {
        QMessageBox::warning(this, windowTitle(), Q(kMsgChooseChannelToClean));
        return;
    }
    m_running = true;
    for (auto which : {QWizard::BackButton, QWizard::FinishButton, QWizard::CancelButton}) {
        button(which)->setEnabled(false);
    }
    m_channels->setEnabled(false);
    setButtonText(QWizard::FinishButton, Q(kCleanBusyButton));

    auto result = std::make_shared<CleaningResult>();
    CChannelTree* tree = &m_tree;
    const std::string root = m_dataRoot;
    QThread* worker = QThread::create([tree, ticked, days, includeUnread, root, result] {
        CRssStore store(root);
        if (!store.Open()) {
            result->message = kMsgCleanFailed;
            result->error = store.GetLastError();
            return;
        }
        *result = FinishCleaning(*tree, ticked, days, includeUnread, store);
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    connect(worker, &QThread::finished, this, [this, result] {
        m_running = false;
        button(QWizard::FinishButton)->setEnabled(true);
        button(QWizard::CancelButton)->setEnabled(!result->ok);
        button(QWizard::BackButton)->setEnabled(result->stay);
        m_channels->setEnabled(true);
        if (result->stay) {
            setButtonText(QWizard::FinishButton, Q(kCleanStartButton));
            QMessageBox::warning(this, windowTitle(), QString::fromStdString(result->message));
            return;
        }
        m_cleaned = result->ok;
        setButtonText(QWizard::FinishButton,
                      result->ok ? Q(kCleanDoneButton) : Q(kCleanStartButton));
        QString text = QString::fromStdString(result->message);
        if (!result->error.empty()) {
            text += QStringLiteral("\n") + QString::fromStdString(result->error);
        }
        QMessageBox::information(this, windowTitle(), text);
        if (result->ok) {
            emit CountsChanged();
        }
    });
    worker->start();
}

void CCleaningWizard::reject() {
    // The worker holds the tree; the wizard stays until it has finished.
    if (!m_running) {
        QWizard::reject();
    }
}

}  // namespace zirvo::gui
