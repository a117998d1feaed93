#include "gui/dialogs/folder_properties_dialog.h"

#include <QMessageBox>
#include <QPushButton>

#include "core/session/reader_session.h"
#include "gui/common/tab_order.h"
#include "gui/dialogs/storage_choice.h"
#include "ui_folder_properties_dialog.h"

namespace zirvo::gui {

namespace {
QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}
// Room for a typical address without scrolling, in the dialog's own font.
constexpr int kAddressChars = 56;
}  // namespace

CFolderPropertiesDialog::CFolderPropertiesDialog(CReaderSession& session, NodeId folder,
                                                 QWidget* parent)
    : QDialog(parent),
      m_session(session),
      m_folder(folder),
      m_ui(std::make_unique<Ui::FolderPropertiesDialog>()) {
    m_ui->setupUi(this);
    m_ui->homeUrl->setMinimumWidth(fontMetrics().averageCharWidth() * kAddressChars);
    ChainTabOrder({m_ui->rank, m_ui->set1, m_ui->ownStorage, m_ui->storage, m_ui->set2,
                   m_ui->noAutoUpdate, m_ui->set3, m_ui->showNotice, m_ui->set4, m_ui->setAll});
    ShowGeneral();
    ShowBatch();
    connect(m_ui->buttons, &QDialogButtonBox::accepted, this, &CFolderPropertiesDialog::accept);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CFolderPropertiesDialog::~CFolderPropertiesDialog() = default;

QTabWidget* CFolderPropertiesDialog::Pages() const {
    return m_ui->pages;
}

QPushButton* CFolderPropertiesDialog::SetAllButton() const {
    return m_ui->setAll;
}

void CFolderPropertiesDialog::ShowGeneral() {
    const ChannelNode node = m_session.Tree().Node(m_folder).value_or(ChannelNode{});
    m_ui->title->setText(QString::fromStdString(node.caption));
    m_ui->homeUrl->setText(QString::fromStdString(node.homeUrl));
}

void CFolderPropertiesDialog::ShowBatch() {
    // The batch page's texts are the core's, shared with its rules.
    m_ui->pages->setTabText(m_ui->pages->indexOf(m_ui->batchPage), Q(kBatchDialogTitle));
    m_ui->rankGroup->setTitle(Q(kBatchRankGroup));
    m_ui->rank->addItems({Q(kBatchRankByWeight), Q(kBatchRankAlways)});
    m_ui->ownStorage->setText(Q(kBatchOwnStorage) + QStringLiteral("(&O)"));
    m_ui->noAutoUpdate->setText(Q(kBatchNoAutoUpdate) + QStringLiteral("(&A)"));
    m_ui->showNotice->setText(Q(kBatchShowNotice) + QStringLiteral("(&N)"));
    m_ui->notes->setText(Q(kBatchNote1) + QStringLiteral("\n") + Q(kBatchNote2));
    m_ui->setAll->setText(Q(kBatchSetAllButton));
    connect(m_ui->setAll, &QPushButton::clicked, this,
            [this] { RunBatch(m_ui->setAll, true, BatchGroup::RssRank); });
    const std::pair<BatchGroup, QPushButton*> groups[] = {{BatchGroup::RssRank, m_ui->set1},
                                                          {BatchGroup::Storage, m_ui->set2},
                                                          {BatchGroup::AutoUpdate, m_ui->set3},
                                                          {BatchGroup::Notice, m_ui->set4}};
    for (const auto& [group, button] : groups) {
        button->setText(Q(kBatchSetButton));
        m_buttons[static_cast<int>(group)] = button;
        connect(button, &QPushButton::clicked, this,
                [this, button, group] { RunBatch(button, false, group); });
    }

    const FolderBatchInput input =
        FolderBatchInputOf(m_session.Tree(), m_folder, m_session.Store());
    m_ui->rank->setCurrentIndex(input.rankChoice);
    m_ui->ownStorage->setChecked(input.ownStorage);
    m_ui->storage->SetType(input.storageRadio);
    m_ui->storage->CountBox()->setEditText(QString::fromStdString(input.storageCountText));
    m_ui->noAutoUpdate->setChecked(input.noAutoUpdate);
    m_ui->showNotice->setChecked(input.showNotice);
}

QPushButton* CFolderPropertiesDialog::GroupButton(BatchGroup group) const {
    return m_buttons[static_cast<int>(group)];
}

FolderBatchInput CFolderPropertiesDialog::Input() const {
    FolderBatchInput input;
    input.rankChoice = m_ui->rank->currentIndex();
    input.ownStorage = m_ui->ownStorage->isChecked();
    input.storageRadio = m_ui->storage->Type();
    input.storageCountText = m_ui->storage->CountText().toStdString();
    input.noAutoUpdate = m_ui->noAutoUpdate->isChecked();
    input.showNotice = m_ui->showNotice->isChecked();
    return input;
}

void CFolderPropertiesDialog::RunBatch(QPushButton* button, bool all, BatchGroup group) {
    const QString caption = button->text();
    button->setText(Q(kBatchBusyButton));
    button->setEnabled(false);
    button->repaint();
    const FolderBatchResult result =
        all ? ApplyFolderBatchAll(m_session.Tree(), m_folder, m_session.Store(), Input())
            : ApplyFolderBatchGroup(m_session.Tree(), m_folder, m_session.Store(), Input(), group);
    button->setText(caption);
    button->setEnabled(true);
    if (!result.check.ok) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(result.check.message));
        (result.check.focus == SettingsField::StorageType
             ? m_ui->storage->FirstRadio()
             : static_cast<QWidget*>(m_ui->storage->CountBox()))
            ->setFocus();
        return;
    }
    QString text = QString::fromStdString(result.message);
    if (!result.error.empty()) {
        text += QStringLiteral("\n") + QString::fromStdString(result.error);
    }
    QMessageBox::information(this, windowTitle(), text);
    emit BatchApplied();
}

void CFolderPropertiesDialog::accept() {
    if (!m_session.Editor().SetFolderProperties(m_folder, m_ui->title->text().toStdString(),
                                                m_ui->homeUrl->text().toStdString())) {
        m_ui->pages->setCurrentWidget(m_ui->generalPage);
        return;
    }
    QDialog::accept();
}

}  // namespace zirvo::gui
