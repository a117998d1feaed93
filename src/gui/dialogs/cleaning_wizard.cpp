#include "gui/dialogs/cleaning_wizard.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>

#include "core/feeds/rss_store.h"
#include "core/receive/cleaning_wizard.h"
#include "core/receive/receive_settings_checks.h"
#include "ui_cleaning_wizard.h"

namespace zirvo::gui {

namespace {
QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}
constexpr int kNodeRole = Qt::UserRole + 1;
}  // namespace

CCleaningWizard::CCleaningWizard(CReaderSession& session, QWidget* parent)
    : QWizard(parent), m_session(session), m_ui(std::make_unique<Ui::CleaningWizard>()) {
    m_ui->setupUi(this);
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage);
    setButtonText(QWizard::FinishButton, Q(kCleanStartButton));
    setButtonText(QWizard::NextButton, QStringLiteral("下一步(&N) >"));
    setButtonText(QWizard::BackButton, QStringLiteral("< 上一步(&B)"));
    setButtonText(QWizard::CancelButton, QStringLiteral("取消"));

    // NOTE: Enter in an editable box would otherwise settle the text on the box's current entry
    // (the "0" preset, which empties the ticked channels) or add the text as an entry.
    QComboBox* days = m_ui->days;
    days->setInsertPolicy(QComboBox::NoInsert);
    days->setCompleter(nullptr);
    for (const char* preset : kCleanDaysPresets) {
        days->addItem(Q(preset));
    }
    days->setCurrentIndex(days->findText(Q(kCleanDaysInitial)));
    days->setEditText(Q(kCleanDaysInitial));
    // The hints stand apart from the fields above and the reason below by a line's height.
    const int gap = fontMetrics().height();
    m_ui->hintsLayout->setContentsMargins(0, gap, 0, gap);

    // Room for a screenful of channels: the list is the page's content.
    m_ui->channels->setMinimumHeight(fontMetrics().lineSpacing() * 16);
    FillChannels(kNoNode, nullptr);
    m_ui->channels->expandAll();
    connect(m_ui->selectAll, &QPushButton::clicked, this, [this] { SetAllChecked(true); });
    connect(m_ui->selectNone, &QPushButton::clicked, this, [this] { SetAllChecked(false); });
    // A folder's box ticks or clears every channel below it.
    connect(m_ui->channels, &QTreeWidget::itemChanged, this, [](QTreeWidgetItem* item, int) {
        for (int i = 0; i < item->childCount(); ++i) {
            item->child(i)->setCheckState(0, item->checkState(0));
        }
    });
}

CCleaningWizard::~CCleaningWizard() = default;

QComboBox* CCleaningWizard::DaysBox() const {
    return m_ui->days;
}

QTreeWidget* CCleaningWizard::ChannelList() const {
    return m_ui->channels;
}

void CCleaningWizard::FillChannels(NodeId parent, QTreeWidgetItem* item) {
    for (NodeId id : m_session.Tree().Children(parent)) {
        const auto node = m_session.Tree().Node(id);
        if (!node) {
            continue;
        }
        auto* child =
            item != nullptr ? new QTreeWidgetItem(item) : new QTreeWidgetItem(m_ui->channels);
        child->setText(0, QString::fromStdString(node->caption));
        child->setData(0, kNodeRole, static_cast<qlonglong>(id));
        child->setCheckState(0, Qt::Unchecked);
        FillChannels(id, child);
    }
}

void CCleaningWizard::SetAllChecked(bool checked) {
    for (int i = 0; i < m_ui->channels->topLevelItemCount(); ++i) {
        m_ui->channels->topLevelItem(i)->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    }
}

bool CCleaningWizard::validateCurrentPage() {
    if (m_running) {
        return false;
    }
    if (currentId() == 0) {
        int days = 0;
        const SettingsCheck check =
            CheckCleaningDays(m_ui->days->currentText().toStdString(), days);
        if (!check.ok) {
            m_acceptedDays = -1;
            QMessageBox::warning(this, windowTitle(), QString::fromStdString(check.message));
            m_ui->days->setFocus();
            return false;
        }
        m_acceptedDays = days;
        return true;
    }
    if (m_cleaned) {
        return true;  // "清理完成": the finish button now just closes
    }
    StartCleaning();
    return false;
}

void CCleaningWizard::SetBusy(bool busy) {
    m_running = busy;
    for (auto which : {QWizard::BackButton, QWizard::FinishButton, QWizard::CancelButton}) {
        button(which)->setEnabled(!busy);
    }
    m_ui->channels->setEnabled(!busy);
    setButtonText(QWizard::FinishButton, busy ? Q(kCleanBusyButton) : Q(kCleanStartButton));
}

void CCleaningWizard::StartCleaning() {
    std::vector<NodeId> ticked;
    for (QTreeWidgetItemIterator it(m_ui->channels, QTreeWidgetItemIterator::Checked); *it; ++it) {
        ticked.push_back(static_cast<NodeId>((*it)->data(0, kNodeRole).toLongLong()));
    }
    // The days page accepted them; the field cannot have changed since (it sits on that page).
    int days = m_acceptedDays;
    if (days < 0 && !CheckCleaningDays(m_ui->days->currentText().toStdString(), days).ok) {
        return;
    }
    const bool includeUnread = m_ui->includeUnread->isChecked();
    // A refusal that needs no store (nothing ticked) is answered at once.
    if (ticked.empty()) {
        QMessageBox::warning(this, windowTitle(), Q(kMsgChooseChannelToClean));
        return;
    }
    SetBusy(true);
    struct Count {
        bool ok = false;
        int items = 0;
        std::string error;
    };
    CChannelTree* tree = &m_session.Tree();
    const std::string root = m_session.Root().Dir();
    QPointer<CCleaningWizard> self(this);
    const bool started = m_session.StartJob([self, tree, root, ticked, days, includeUnread] {
        Count count;
        CRssStore store(root);
        count.ok =
            store.Open() && CountCleaning(*tree, ticked, days, includeUnread, store, count.items);
        if (!count.ok) {
            count.error = store.GetLastError();
        }
        // Posted to the application, which outlives any wizard: the wizard may be gone.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, ticked, days, includeUnread, count] {
                if (!self) {
                    return;
                }
                if (!count.ok) {
                    self->SetBusy(false);
                    QMessageBox::warning(self, self->windowTitle(),
                                         Q(kMsgCleanFailed) + QStringLiteral("\n") +
                                             QString::fromStdString(count.error));
                    return;
                }
                if (count.items > 0) {
                    QMessageBox box(
                        QMessageBox::Question, self->windowTitle(),
                        QStringLiteral("将删除 %1 篇文章，确定要清理吗?").arg(count.items),
                        QMessageBox::Yes | QMessageBox::No, self);
                    box.setObjectName(QStringLiteral("cleaningQuestion"));
                    box.setDefaultButton(QMessageBox::No);
                    if (box.exec() != QMessageBox::Yes) {
                        self->SetBusy(false);
                        return;
                    }
                }
                self->RunCleaning(ticked, days, includeUnread);
            },
            Qt::QueuedConnection);
    });
    if (!started) {
        SetBusy(false);
    }
}

void CCleaningWizard::RunCleaning(const std::vector<NodeId>& ticked, int days, bool includeUnread) {
    CChannelTree* tree = &m_session.Tree();
    const std::string root = m_session.Root().Dir();
    QPointer<CCleaningWizard> self(this);
    const bool started = m_session.StartJob([self, tree, root, ticked, days, includeUnread] {
        CleaningResult result;
        CRssStore store(root);
        if (!store.Open()) {
            result.message = kMsgCleanFailed;
            result.error = store.GetLastError();
        } else {
            result = FinishCleaning(*tree, ticked, days, includeUnread, store);
        }
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, result] {
                if (!self) {
                    return;
                }
                self->SetBusy(false);
                self->button(QWizard::CancelButton)->setEnabled(!result.ok);
                self->button(QWizard::BackButton)->setEnabled(result.stay);
                if (result.stay) {
                    QMessageBox::warning(self, self->windowTitle(),
                                         QString::fromStdString(result.message));
                    return;
                }
                self->m_cleaned = result.ok;
                self->setButtonText(QWizard::FinishButton,
                                    result.ok ? Q(kCleanDoneButton) : Q(kCleanStartButton));
                QString text = QString::fromStdString(result.message);
                if (!result.error.empty()) {
                    text += QStringLiteral("\n") + QString::fromStdString(result.error);
                }
                // The counts and the shown list follow the store whatever the outcome: a
                // failed cleaning keeps what it deleted before the failure.
                emit self->CountsChanged();
                QMessageBox::information(self, self->windowTitle(), text);
            },
            Qt::QueuedConnection);
    });
    if (!started) {
        SetBusy(false);
    }
}

void CCleaningWizard::reject() {
    // A cleaning under way finishes first: its report says what the store kept.
    if (!m_running) {
        QWizard::reject();
    }
}

}  // namespace zirvo::gui
