#include "gui/dialogs/reader_options_dialog.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>
#include <QStyle>

#include "core/feeds/rss_store.h"
#include "core/receive/receive_settings_checks.h"
#include "core/views/page_settings.h"
#include "gui/dialogs/appearance_page.h"
#include "gui/dialogs/storage_choice.h"
#include "ui_reader_options_dialog.h"

namespace zirvo::gui {

CReaderOptionsDialog::CReaderOptionsDialog(CAppConfig& config, const QString& dataRoot,
                                           JobStarter startJob, QWidget* parent)
    : QDialog(parent),
      m_config(config),
      m_dataRoot(dataRoot),
      m_startJob(std::move(startJob)),
      m_ui(std::make_unique<Ui::ReaderOptionsDialog>()) {
    m_ui->setupUi(this);
    m_appearance = new CAppearancePage(m_config, this);
    m_ui->pages->insertTab(m_ui->pages->indexOf(m_ui->statisticsPage), m_appearance,
                           QString::fromUtf8(kAppearancePageTitle));
    m_ui->pages->setCurrentWidget(m_ui->generalPage);
    // The timer choices sit under the text of "自动更新频道", whatever the style's box width.
    const int indent = style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this) +
                       style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, this);
    m_ui->timerLayout->setContentsMargins(indent, 0, 0, 0);
    auto* types = new QButtonGroup(this);
    types->addButton(m_ui->typeByRank, 0);
    types->addButton(m_ui->typeEveryMinutes, 1);
    connect(m_ui->autoReceive, &QCheckBox::toggled, m_ui->timerBox, &QWidget::setEnabled);
    connect(m_ui->buttons, &QDialogButtonBox::accepted, this, &CReaderOptionsDialog::accept);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    LoadValues();
    StartCounting();
}

CReaderOptionsDialog::~CReaderOptionsDialog() = default;

QTabWidget* CReaderOptionsDialog::Pages() const {
    return m_ui->pages;
}

void CReaderOptionsDialog::LoadValues() {
    ReceiveSettings receive;
    if (m_config.ReadReceiveSettings(receive)) {
        m_ui->startupAutoReceive->setChecked(receive.startupAutoReceive != 0);
        m_ui->clickChannelAutoReceive->setChecked(receive.clickChannelAutoReceive != 0);
        m_ui->switchChannelAutoMakeRead->setChecked(receive.switchChannelAutoMakeRead != 0);
        m_ui->whenExitRememberUnreadNum->setChecked(receive.whenExitRememberUnreadNum != 0);
        m_ui->autoReceive->setChecked(receive.autoReceive != 0);
        (receive.autoReceiveType == 1 ? m_ui->typeEveryMinutes : m_ui->typeByRank)
            ->setChecked(true);
        m_ui->minutes->setEditText(QString::number(receive.autoReceiveTime));
        m_ui->pageSize->setValue(receive.paginationNum);
    }
    m_ui->timerBox->setEnabled(m_ui->autoReceive->isChecked());
    m_ui->showWebPictures->setChecked(ReadShowWebPictures(m_config));
    StorageSettings storage;
    if (m_config.ReadStorageSettings(storage)) {
        CStorageChoice* choice = m_ui->storageChoice;
        choice->SetType(storage.storageType);
        choice->SetCount(storage.storageNum);
    }
}

void CReaderOptionsDialog::StartCounting() {
    struct Counts {
        bool ok = false;
        int channels = 0;
        int items = 0;
    };
    const std::string root = m_dataRoot.toStdString();
    QPointer<QLabel> channels = m_ui->channelCount;
    QPointer<QLabel> items = m_ui->itemCount;
    m_startJob([root, channels, items] {
        Counts counts;
        CRssStore store(root);
        counts.ok = store.Open() && store.CountAll(counts.channels, counts.items);
        // The dialog may have been closed meanwhile: the answer goes to the application, which
        // outlives it, and nowhere when the labels are gone.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [channels, items, counts] {
                if (!channels || !items) {
                    return;
                }
                channels->setText(counts.ok ? QString::number(counts.channels)
                                            : QStringLiteral("-"));
                items->setText(counts.ok ? QString::number(counts.items) : QStringLiteral("-"));
            },
            Qt::QueuedConnection);
    });
}

void CReaderOptionsDialog::Refuse(QWidget* page, QWidget* field, const std::string& message) {
    m_ui->pages->setCurrentWidget(page);
    QMessageBox::warning(this, windowTitle(), QString::fromStdString(message));
    field->setFocus();
}

void CReaderOptionsDialog::accept() {
    GeneralPageInput input;
    input.startupAutoReceive = m_ui->startupAutoReceive->isChecked() ? 1 : 0;
    input.clickChannelAutoReceive = m_ui->clickChannelAutoReceive->isChecked() ? 1 : 0;
    input.switchChannelAutoMakeRead = m_ui->switchChannelAutoMakeRead->isChecked() ? 1 : 0;
    input.autoReceive = m_ui->autoReceive->isChecked() ? 1 : 0;
    input.whenExitRememberUnreadNum = m_ui->whenExitRememberUnreadNum->isChecked() ? 1 : 0;
    input.autoReceiveType = m_ui->typeEveryMinutes->isChecked() ? 1 : 0;
    input.minutesText = m_ui->minutes->currentText().toStdString();
    input.pageSize = m_ui->pageSize->value();
    ReceiveSettings receive;
    const SettingsCheck general = CheckGeneralPage(input, receive);
    if (!general.ok) {
        Refuse(m_ui->generalPage,
               general.focus == SettingsField::PageSize ? static_cast<QWidget*>(m_ui->pageSize)
                                                        : m_ui->minutes,
               general.message);
        return;
    }
    CStorageChoice* choice = m_ui->storageChoice;
    StorageSettings storage;
    const SettingsCheck storageCheck =
        CheckStoragePage(choice->CountText().toStdString(), choice->Type(), storage);
    if (!storageCheck.ok) {
        Refuse(m_ui->storagePage,
               storageCheck.focus == SettingsField::StorageType ? choice->FirstRadio()
                                                                : choice->CountBox(),
               storageCheck.message);
        return;
    }
    if (!m_appearance->Commit()) {
        m_ui->pages->setCurrentWidget(m_appearance);
        return;
    }
    if (!m_config.WriteReceiveSettings(receive) || !m_config.WriteStorageSettings(storage)) {
        return;  // the message has been shown; the dialog stays for another try or Cancel
    }
    // Written only when changed: a root seeded before the setting existed lacks its element.
    if (m_ui->showWebPictures->isChecked() != ReadShowWebPictures(m_config) &&
        !WriteShowWebPictures(m_config, m_ui->showWebPictures->isChecked())) {
        return;
    }
    QDialog::accept();
}

}  // namespace zirvo::gui
