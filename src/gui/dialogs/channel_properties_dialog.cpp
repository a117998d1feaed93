#include "gui/dialogs/channel_properties_dialog.h"

#include <QDateTime>
#include <QMessageBox>

#include "core/receive/receive_settings_checks.h"
#include "core/session/reader_session.h"
#include "gui/common/tab_order.h"
#include "gui/dialogs/storage_choice.h"
#include "ui_channel_properties_dialog.h"

namespace zirvo::gui {

namespace {
// Room for a typical feed address without scrolling, in the dialog's own font.
constexpr int kAddressChars = 56;
}  // namespace

CChannelPropertiesDialog::CChannelPropertiesDialog(CReaderSession& session, NodeId channel,
                                                   QWidget* parent)
    : QDialog(parent),
      m_session(session),
      m_channel(channel),
      m_ui(std::make_unique<Ui::ChannelPropertiesDialog>()) {
    m_ui->setupUi(this);
    m_ui->feedUrl->setMinimumWidth(fontMetrics().averageCharWidth() * kAddressChars);
    ChainTabOrder({m_ui->ownStorage, m_ui->storage});
    const ChannelNode node = session.Tree().Node(channel).value_or(ChannelNode{});
    ShowGeneral(node);
    ShowStorage(node);
    connect(m_ui->buttons, &QDialogButtonBox::accepted, this, &CChannelPropertiesDialog::accept);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CChannelPropertiesDialog::~CChannelPropertiesDialog() = default;

QTabWidget* CChannelPropertiesDialog::Pages() const {
    return m_ui->pages;
}

void CChannelPropertiesDialog::ShowGeneral(const ChannelNode& node) {
    m_ui->title->setText(QString::fromStdString(node.caption));
    m_ui->feedUrl->setText(QString::fromStdString(node.feedUrl));
    m_ui->homeUrl->setText(QString::fromStdString(node.homeUrl));
    m_ui->rssRank->setCurrentIndex(RssRankChoice(node.settings.rssRank));
    m_ui->noAutoUpdate->setChecked(node.settings.autoUpdate == 0);
    m_ui->newItemShowTip->setChecked(node.settings.newItemShowTip != 0);

    // One channel's two counts use the channel index; cheap enough for the window thread.
    int feedId = 0;
    int total = 0;
    int unread = 0;
    if (m_session.FeedIdOf(m_channel, feedId) && feedId != 0 &&
        m_session.Store().CountFeed(feedId, total, unread)) {
        m_ui->total->setText(QString::number(total));
        m_ui->unread->setText(QString::number(unread));
    } else if (feedId == 0) {
        m_ui->total->setText(QStringLiteral("0"));
        m_ui->unread->setText(QStringLiteral("0"));
    }
    ShowLastFetch(feedId);
}

void CChannelPropertiesDialog::ShowLastFetch(int feedId) {
    // One row by key, like the counts above.
    FeedFetchState state;
    if (feedId <= 0 || !m_session.Store().GetFetchState(feedId, state) || state.NeverFetched()) {
        return;
    }
    m_ui->lastFetchTime->setText(QDateTime::fromSecsSinceEpoch(state.time)
                                     .toLocalTime()
                                     .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    const QString verdict = state.ok ? QStringLiteral("成功") : QStringLiteral("失败");
    // The message comes from the network: the label shows it as plain text.
    m_ui->lastFetchMessage->setText(state.message.empty()
                                        ? verdict
                                        : verdict + QStringLiteral(": ") +
                                              QString::fromStdString(state.message));
}

void CChannelPropertiesDialog::ShowStorage(const ChannelNode& node) {
    m_ui->ownStorage->setChecked(node.settings.storageType != 0);
    m_ui->storageGroup->setEnabled(m_ui->ownStorage->isChecked());
    connect(m_ui->ownStorage, &QCheckBox::toggled, m_ui->storageGroup, &QWidget::setEnabled);
    m_ui->storage->SetType(node.settings.storageType);
    m_ui->storage->SetCount(node.settings.storageNum);
}

void CChannelPropertiesDialog::accept() {
    FeedSettings settings = m_session.Tree().Node(m_channel).value_or(ChannelNode{}).settings;
    const SettingsCheck check = CheckChannelStoragePage(
        m_ui->ownStorage->isChecked(), m_ui->storage->CountText().toStdString(),
        m_ui->storage->Type(), settings.storageType, settings.storageNum);
    if (!check.ok) {
        m_ui->pages->setCurrentWidget(m_ui->storagePage);
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(check.message));
        (check.focus == SettingsField::StorageType
             ? m_ui->storage->FirstRadio()
             : static_cast<QWidget*>(m_ui->storage->CountBox()))
            ->setFocus();
        return;
    }
    settings.rssRank = RssRankFromChoice(m_ui->rssRank->currentIndex());
    settings.autoUpdate = m_ui->noAutoUpdate->isChecked() ? 0 : 1;
    settings.newItemShowTip = m_ui->newItemShowTip->isChecked() ? 1 : 0;
    // The editor checks the general fields and reports a refusal itself; the sheet stays open.
    if (!m_session.Editor().SetChannelProperties(
            m_channel, m_ui->title->text().toStdString(), m_ui->feedUrl->text().toStdString(),
            m_ui->homeUrl->text().toStdString(), settings, m_session.Store())) {
        m_ui->pages->setCurrentWidget(m_ui->generalPage);
        return;
    }
    QDialog::accept();
}

}  // namespace zirvo::gui
