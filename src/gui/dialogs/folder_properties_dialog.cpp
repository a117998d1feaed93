#include "gui/dialogs/folder_properties_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/session/reader_session.h"
#include "gui/dialogs/storage_choice.h"

namespace zirvo::gui {

namespace {
QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}
}  // namespace

CFolderPropertiesDialog::CFolderPropertiesDialog(CReaderSession& session, NodeId folder,
                                                 QWidget* parent)
    : QDialog(parent), m_session(session), m_folder(folder) {
    setWindowTitle(QStringLiteral("频道目录设置"));
    setObjectName(QStringLiteral("folderPropertiesDialog"));
    m_tabs = new QTabWidget(this);
    m_tabs->addTab(BuildGeneralPage(), QStringLiteral("常规"));
    m_tabs->addTab(BuildBatchPage(), Q(kBatchDialogTitle));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CFolderPropertiesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QWidget* CFolderPropertiesDialog::BuildGeneralPage() {
    const ChannelNode node = m_session.Tree().Node(m_folder).value_or(ChannelNode{});
    auto* page = new QWidget(this);
    auto* form = new QFormLayout(page);
    m_title = new QLineEdit(QString::fromStdString(node.caption), page);
    m_title->setObjectName(QStringLiteral("title"));
    m_home = new QLineEdit(QString::fromStdString(node.homeUrl), page);
    m_home->setObjectName(QStringLiteral("homeUrl"));
    form->addRow(QStringLiteral("目录名称(&T):"), m_title);
    form->addRow(QStringLiteral("主页(&H):"), m_home);
    return page;
}

QWidget* CFolderPropertiesDialog::BuildBatchPage() {
    const FolderBatchInput input =
        FolderBatchInputOf(m_session.Tree(), m_folder, m_session.Store());
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto makeButton = [this, page](BatchGroup group) {
        auto* button = new QPushButton(Q(kBatchSetButton), page);
        button->setObjectName(QStringLiteral("set%1").arg(static_cast<int>(group)));
        m_buttons[static_cast<int>(group)] = button;
        connect(button, &QPushButton::clicked, this,
                [this, button, group] { RunBatch(button, false, group); });
        return button;
    };

    auto* rank = new QGroupBox(Q(kBatchRankGroup), page);
    auto* rl = new QHBoxLayout(rank);
    m_rank = new QComboBox(rank);
    m_rank->setObjectName(QStringLiteral("rank"));
    m_rank->addItems({Q(kBatchRankByWeight), Q(kBatchRankAlways)});
    m_rank->setCurrentIndex(input.rankChoice);
    rl->addWidget(m_rank, 1);
    rl->addWidget(makeButton(BatchGroup::RssRank));
    layout->addWidget(rank);

    auto* storage = new QGroupBox(QStringLiteral("存储设置"), page);
    auto* sl = new QGridLayout(storage);
    m_ownStorage = new QCheckBox(Q(kBatchOwnStorage) + QStringLiteral("(&O)"), storage);
    m_ownStorage->setObjectName(QStringLiteral("ownStorage"));
    m_ownStorage->setChecked(input.ownStorage);
    m_storage = new CStorageChoice(storage);
    m_storage->SetType(input.storageRadio);
    m_storage->CountBox()->setEditText(QString::fromStdString(input.storageCountText));
    sl->addWidget(m_ownStorage, 0, 0);
    sl->addWidget(m_storage, 1, 0);
    sl->addWidget(makeButton(BatchGroup::Storage), 1, 1, Qt::AlignBottom);
    layout->addWidget(storage);

    auto* other = new QGroupBox(QStringLiteral("更新与提示"), page);
    auto* ol = new QGridLayout(other);
    m_noAutoUpdate = new QCheckBox(Q(kBatchNoAutoUpdate) + QStringLiteral("(&A)"), other);
    m_noAutoUpdate->setObjectName(QStringLiteral("noAutoUpdate"));
    m_noAutoUpdate->setChecked(input.noAutoUpdate);
    m_notice = new QCheckBox(Q(kBatchShowNotice) + QStringLiteral("(&N)"), other);
    m_notice->setObjectName(QStringLiteral("showNotice"));
    m_notice->setChecked(input.showNotice);
    ol->addWidget(m_noAutoUpdate, 0, 0);
    ol->addWidget(makeButton(BatchGroup::AutoUpdate), 0, 1);
    ol->addWidget(m_notice, 1, 0);
    ol->addWidget(makeButton(BatchGroup::Notice), 1, 1);
    ol->setColumnStretch(0, 1);
    layout->addWidget(other);

    auto* bottom = new QHBoxLayout;
    auto* notes = new QLabel(Q(kBatchNote1) + QStringLiteral("\n") + Q(kBatchNote2), page);
    notes->setWordWrap(true);
    m_setAll = new QPushButton(Q(kBatchSetAllButton), page);
    m_setAll->setObjectName(QStringLiteral("setAll"));
    connect(m_setAll, &QPushButton::clicked, this,
            [this] { RunBatch(m_setAll, true, BatchGroup::RssRank); });
    bottom->addWidget(notes, 1);
    bottom->addWidget(m_setAll, 0, Qt::AlignBottom);
    layout->addLayout(bottom);
    layout->addStretch();
    return page;
}

QPushButton* CFolderPropertiesDialog::GroupButton(BatchGroup group) const {
    return m_buttons[static_cast<int>(group)];
}

FolderBatchInput CFolderPropertiesDialog::Input() const {
    FolderBatchInput input;
    input.rankChoice = m_rank->currentIndex();
    input.ownStorage = m_ownStorage->isChecked();
    input.storageRadio = m_storage->Type();
    input.storageCountText = m_storage->CountText().toStdString();
    input.noAutoUpdate = m_noAutoUpdate->isChecked();
    input.showNotice = m_notice->isChecked();
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
             ? m_storage->FirstRadio()
             : static_cast<QWidget*>(m_storage->CountBox()))
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
    if (!m_session.Editor().SetFolderProperties(m_folder, m_title->text().toStdString(),
                                                m_home->text().toStdString())) {
        m_tabs->setCurrentIndex(0);
        return;
    }
    QDialog::accept();
}

}  // namespace zirvo::gui
