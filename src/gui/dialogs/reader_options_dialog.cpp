#include "gui/dialogs/reader_options_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <memory>

#include "core/feeds/rss_store.h"
#include "core/receive/receive_settings_checks.h"
#include "core/views/page_settings.h"
#include "gui/dialogs/appearance_page.h"
#include "gui/dialogs/storage_choice.h"

namespace zirvo::gui {

CReaderOptionsDialog::CReaderOptionsDialog(CAppConfig& config, const QString& dataRoot,
                                           JobStarter startJob, QWidget* parent)
    : QDialog(parent), m_config(config), m_dataRoot(dataRoot), m_startJob(std::move(startJob)) {
    setWindowTitle(QStringLiteral("阅读器设置"));
    setObjectName(QStringLiteral("readerOptionsDialog"));
    m_tabs = new QTabWidget(this);
    m_generalPage = BuildGeneralPage();
    m_storagePage = BuildStoragePage();
    m_tabs->addTab(m_generalPage, QStringLiteral("常规"));
    m_tabs->addTab(m_storagePage, QStringLiteral("存储"));
    m_appearance = new CAppearancePage(m_config, this);
    m_tabs->addTab(m_appearance, QString::fromUtf8(kAppearancePageTitle));
    m_tabs->addTab(BuildStatisticsPage(), QStringLiteral("统计信息"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CReaderOptionsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    setMinimumWidth(460);
    LoadValues();
    StartCounting();
}

QWidget* CReaderOptionsDialog::BuildGeneralPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);

    auto* receive = new QGroupBox(QStringLiteral("频道更新"), page);
    auto* rl = new QVBoxLayout(receive);
    m_startup = new QCheckBox(QStringLiteral("启动时更新频道(&S)"), receive);
    m_clickReceive = new QCheckBox(QStringLiteral("点击频道时立即更新(&C)"), receive);
    m_switchMarkRead =
        new QCheckBox(QStringLiteral("切换频道时标记上一频道为已读(推荐)(&K)"), receive);
    m_rememberUnread = new QCheckBox(QStringLiteral("退出时记住频道未读文章数字(&R)"), receive);
    m_autoReceive = new QCheckBox(QStringLiteral("自动更新频道(&A)"), receive);
    m_startup->setObjectName(QStringLiteral("startupAutoReceive"));
    m_clickReceive->setObjectName(QStringLiteral("clickChannelAutoReceive"));
    m_switchMarkRead->setObjectName(QStringLiteral("switchChannelAutoMakeRead"));
    m_rememberUnread->setObjectName(QStringLiteral("whenExitRememberUnreadNum"));
    m_autoReceive->setObjectName(QStringLiteral("autoReceive"));
    for (QCheckBox* box :
         {m_startup, m_clickReceive, m_switchMarkRead, m_rememberUnread, m_autoReceive}) {
        rl->addWidget(box);
    }
    auto* timerBox = new QWidget(receive);
    auto* tl = new QVBoxLayout(timerBox);
    tl->setContentsMargins(24, 0, 0, 0);
    m_byRank = new QRadioButton(QStringLiteral("根据RssRank自动更新(&W)"), timerBox);
    m_byRank->setObjectName(QStringLiteral("typeByRank"));
    auto* minutesRow = new QHBoxLayout;
    m_everyMinutes = new QRadioButton(QStringLiteral("每隔(&E)"), timerBox);
    m_everyMinutes->setObjectName(QStringLiteral("typeEveryMinutes"));
    m_minutes = new QComboBox(timerBox);
    m_minutes->setObjectName(QStringLiteral("minutes"));
    m_minutes->setEditable(true);
    m_minutes->addItems({QStringLiteral("10"), QStringLiteral("15"), QStringLiteral("30"),
                         QStringLiteral("60"), QStringLiteral("90")});
    m_minutes->setMinimumContentsLength(5);
    minutesRow->addWidget(m_everyMinutes);
    minutesRow->addWidget(m_minutes);
    minutesRow->addWidget(new QLabel(QStringLiteral("分钟"), timerBox));
    minutesRow->addStretch();
    tl->addWidget(m_byRank);
    tl->addLayout(minutesRow);
    rl->addWidget(timerBox);
    auto* types = new QButtonGroup(page);
    types->addButton(m_byRank, 0);
    types->addButton(m_everyMinutes, 1);
    connect(m_autoReceive, &QCheckBox::toggled, timerBox, &QWidget::setEnabled);
    layout->addWidget(receive);

    auto* list = new QGroupBox(QStringLiteral("文章列表"), page);
    auto* ll = new QHBoxLayout(list);
    m_pageSize = new QSpinBox(list);
    m_pageSize->setObjectName(QStringLiteral("pageSize"));
    // The range check is the core's (with its message); the spin box itself accepts more so
    // that a typed value reaches that check instead of being silently clamped.
    m_pageSize->setRange(0, 99999);
    m_pageSize->setSingleStep(10);
    auto* pageLabel = new QLabel(QStringLiteral("每页显示(&P)"), list);
    pageLabel->setBuddy(m_pageSize);
    ll->addWidget(pageLabel);
    ll->addWidget(m_pageSize);
    ll->addWidget(new QLabel(QStringLiteral("条/页"), list));
    ll->addStretch();
    layout->addWidget(list);

    auto* article = new QGroupBox(QStringLiteral("文章页面"), page);
    auto* al = new QVBoxLayout(article);
    m_webPictures = new QCheckBox(QStringLiteral("显示网络图片(&I)"), article);
    m_webPictures->setObjectName(QStringLiteral("showWebPictures"));
    m_webPictures->setToolTip(
        QStringLiteral("关闭后, 文章中的网络图片只在点击页面上方的“显示图片”后才载入, "
                       "发布者便无法从图片请求得知您读过这篇文章"));
    al->addWidget(m_webPictures);
    layout->addWidget(article);
    layout->addStretch();
    return page;
}

QWidget* CReaderOptionsDialog::BuildStoragePage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* group = new QGroupBox(QStringLiteral("频道默认存储设置"), page);
    auto* gl = new QVBoxLayout(group);
    auto* choice = new CStorageChoice(group);
    choice->setObjectName(QStringLiteral("storageChoice"));
    gl->addWidget(choice);
    layout->addWidget(group);
    auto* note = new QLabel(QStringLiteral("注意：第1、2个选项会覆盖清除冗余的数据"), page);
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addStretch();
    m_storageCount = choice->CountBox();
    return page;
}

QWidget* CReaderOptionsDialog::BuildStatisticsPage() {
    auto* page = new QWidget(this);
    auto* layout = new QFormLayout(page);
    m_channelCount = new QLabel(QStringLiteral("正在统计..."), page);
    m_channelCount->setObjectName(QStringLiteral("channelCount"));
    m_itemCount = new QLabel(QStringLiteral("正在统计..."), page);
    m_itemCount->setObjectName(QStringLiteral("itemCount"));
    m_channelCount->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_itemCount->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addRow(QStringLiteral("RSS源数量:"), m_channelCount);
    layout->addRow(QStringLiteral("RSS Item项数量:"), m_itemCount);
    return page;
}

void CReaderOptionsDialog::LoadValues() {
    ReceiveSettings receive;
    if (m_config.ReadReceiveSettings(receive)) {
        m_startup->setChecked(receive.startupAutoReceive != 0);
        m_clickReceive->setChecked(receive.clickChannelAutoReceive != 0);
        m_switchMarkRead->setChecked(receive.switchChannelAutoMakeRead != 0);
        m_rememberUnread->setChecked(receive.whenExitRememberUnreadNum != 0);
        m_autoReceive->setChecked(receive.autoReceive != 0);
        (receive.autoReceiveType == 1 ? m_everyMinutes : m_byRank)->setChecked(true);
        m_minutes->setEditText(QString::number(receive.autoReceiveTime));
        m_pageSize->setValue(receive.paginationNum);
    }
    m_minutes->parentWidget()->setEnabled(m_autoReceive->isChecked());
    m_webPictures->setChecked(ReadShowWebPictures(m_config));
    StorageSettings storage;
    if (m_config.ReadStorageSettings(storage)) {
        auto* choice = m_storagePage->findChild<CStorageChoice*>();
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
    QPointer<QLabel> channels = m_channelCount;
    QPointer<QLabel> items = m_itemCount;
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
    m_tabs->setCurrentWidget(page);
    QMessageBox::warning(this, windowTitle(), QString::fromStdString(message));
    field->setFocus();
}

void CReaderOptionsDialog::accept() {
    GeneralPageInput input;
    input.startupAutoReceive = m_startup->isChecked() ? 1 : 0;
    input.clickChannelAutoReceive = m_clickReceive->isChecked() ? 1 : 0;
    input.switchChannelAutoMakeRead = m_switchMarkRead->isChecked() ? 1 : 0;
    input.autoReceive = m_autoReceive->isChecked() ? 1 : 0;
    input.whenExitRememberUnreadNum = m_rememberUnread->isChecked() ? 1 : 0;
    input.autoReceiveType = m_everyMinutes->isChecked() ? 1 : 0;
    input.minutesText = m_minutes->currentText().toStdString();
    input.pageSize = m_pageSize->value();
    ReceiveSettings receive;
    const SettingsCheck general = CheckGeneralPage(input, receive);
    if (!general.ok) {
        Refuse(m_generalPage,
               general.focus == SettingsField::PageSize ? static_cast<QWidget*>(m_pageSize)
                                                        : m_minutes,
               general.message);
        return;
    }
    auto* choice = m_storagePage->findChild<CStorageChoice*>();
    StorageSettings storage;
    const SettingsCheck storageCheck =
        CheckStoragePage(choice->CountText().toStdString(), choice->Type(), storage);
    if (!storageCheck.ok) {
        Refuse(m_storagePage,
               storageCheck.focus == SettingsField::StorageType ? choice->FirstRadio()
                                                                : choice->CountBox(),
               storageCheck.message);
        return;
    }
    if (!m_appearance->Commit()) {
        m_tabs->setCurrentWidget(m_appearance);
        return;
    }
    if (!m_config.WriteReceiveSettings(receive) || !m_config.WriteStorageSettings(storage)) {
        return;  // the message has been shown; the dialog stays for another try or Cancel
    }
    // Written only when changed: a root seeded before the setting existed lacks its element.
    if (m_webPictures->isChecked() != ReadShowWebPictures(m_config) &&
        !WriteShowWebPictures(m_config, m_webPictures->isChecked())) {
        return;
    }
    QDialog::accept();
}

}  // namespace zirvo::gui
