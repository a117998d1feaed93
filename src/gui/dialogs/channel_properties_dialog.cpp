#include "gui/dialogs/channel_properties_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/receive/receive_settings_checks.h"
#include "core/session/reader_session.h"
#include "gui/dialogs/storage_choice.h"

namespace zirvo::gui {

CChannelPropertiesDialog::CChannelPropertiesDialog(CReaderSession& session, NodeId channel,
                                                   QWidget* parent)
    : QDialog(parent), m_session(session), m_channel(channel) {
    setWindowTitle(QStringLiteral("频道设置"));
    setObjectName(QStringLiteral("channelPropertiesDialog"));
    const ChannelNode node = session.Tree().Node(channel).value_or(ChannelNode{});
    m_tabs = new QTabWidget(this);
    m_tabs->addTab(BuildGeneralPage(node), QStringLiteral("常规"));
    m_storagePage = BuildStoragePage(node);
    m_tabs->addTab(m_storagePage, QStringLiteral("存储"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CChannelPropertiesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(sizeHint().expandedTo(QSize(460, 0)));
}

QWidget* CChannelPropertiesDialog::BuildGeneralPage(const ChannelNode& node) {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* form = new QFormLayout;
    m_title = new QLineEdit(QString::fromStdString(node.caption), page);
    m_title->setObjectName(QStringLiteral("title"));
    m_address = new QLineEdit(QString::fromStdString(node.feedUrl), page);
    m_address->setObjectName(QStringLiteral("feedUrl"));
    m_home = new QLineEdit(QString::fromStdString(node.homeUrl), page);
    m_home->setObjectName(QStringLiteral("homeUrl"));
    form->addRow(QStringLiteral("频道名称(&T):"), m_title);
    form->addRow(QStringLiteral("RSS地址(&U):"), m_address);
    form->addRow(QStringLiteral("主页(&H):"), m_home);
    layout->addLayout(form);

    auto* receive = new QGroupBox(QStringLiteral("更新"), page);
    auto* rl = new QFormLayout(receive);
    m_rank = new QComboBox(receive);
    m_rank->setObjectName(QStringLiteral("rssRank"));
    m_rank->addItems({QStringLiteral("按权重更新此频道"), QStringLiteral("总是更新此频道")});
    m_rank->setCurrentIndex(RssRankChoice(node.settings.rssRank));
    rl->addRow(QStringLiteral("RssRank(&R):"), m_rank);
    m_noAutoUpdate = new QCheckBox(QStringLiteral("不自动更新此频道(&A)"), receive);
    m_noAutoUpdate->setObjectName(QStringLiteral("noAutoUpdate"));
    m_noAutoUpdate->setChecked(node.settings.autoUpdate == 0);
    m_notice = new QCheckBox(QStringLiteral("有新更新时显示提示(&N)"), receive);
    m_notice->setObjectName(QStringLiteral("newItemShowTip"));
    m_notice->setChecked(node.settings.newItemShowTip != 0);
    rl->addRow(m_noAutoUpdate);
    rl->addRow(m_notice);
    layout->addWidget(receive);

    auto* counts = new QGroupBox(QStringLiteral("统计"), page);
    auto* cl = new QFormLayout(counts);
    m_total = new QLabel(QStringLiteral("-"), counts);
    m_total->setObjectName(QStringLiteral("total"));
    m_unread = new QLabel(QStringLiteral("-"), counts);
    m_unread->setObjectName(QStringLiteral("unread"));
    cl->addRow(QStringLiteral("文章总数:"), m_total);
    cl->addRow(QStringLiteral("未读文章:"), m_unread);
    layout->addWidget(counts);

    auto* fetch = new QGroupBox(QStringLiteral("上次收取"), page);
    auto* fl = new QFormLayout(fetch);
    m_lastFetchTime = new QLabel(QStringLiteral("从未收取"), fetch);
    m_lastFetchTime->setObjectName(QStringLiteral("lastFetchTime"));
    m_lastFetchMessage = new QLabel(QStringLiteral("-"), fetch);
    m_lastFetchMessage->setObjectName(QStringLiteral("lastFetchMessage"));
    m_lastFetchMessage->setWordWrap(true);
    m_lastFetchMessage->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // The message comes from the network: never read as rich text.
    m_lastFetchMessage->setTextFormat(Qt::PlainText);
    fl->addRow(QStringLiteral("时间:"), m_lastFetchTime);
    fl->addRow(QStringLiteral("结果:"), m_lastFetchMessage);
    layout->addWidget(fetch);
    layout->addStretch();

    // One channel's two counts use the channel index; cheap enough for the window thread.
    int feedId = 0;
    int total = 0;
    int unread = 0;
    if (m_session.FeedIdOf(m_channel, feedId) && feedId != 0 &&
        m_session.Store().CountFeed(feedId, total, unread)) {
        m_total->setText(QString::number(total));
        m_unread->setText(QString::number(unread));
    } else if (feedId == 0) {
        m_total->setText(QStringLiteral("0"));
        m_unread->setText(QStringLiteral("0"));
    }
    ShowLastFetch(feedId);
    return page;
}

void CChannelPropertiesDialog::ShowLastFetch(int feedId) {
    // One row by key, like the counts above.
    FeedFetchState state;
    if (feedId <= 0 || !m_session.Store().GetFetchState(feedId, state) || state.NeverFetched()) {
        return;
    }
    m_lastFetchTime->setText(QDateTime::fromSecsSinceEpoch(state.time)
                                 .toLocalTime()
                                 .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    const QString verdict = state.ok ? QStringLiteral("成功") : QStringLiteral("失败");
    m_lastFetchMessage->setText(state.message.empty() ? verdict
                                                      : verdict + QStringLiteral(": ") +
                                                            QString::fromStdString(state.message));
}

QWidget* CChannelPropertiesDialog::BuildStoragePage(const ChannelNode& node) {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    m_ownStorage = new QCheckBox(QStringLiteral("对此频道独立配置存储设置(&O)"), page);
    m_ownStorage->setObjectName(QStringLiteral("ownStorage"));
    auto* group = new QGroupBox(QStringLiteral("存储设置"), page);
    auto* gl = new QVBoxLayout(group);
    m_storage = new CStorageChoice(group);
    gl->addWidget(m_storage);
    layout->addWidget(m_ownStorage);
    layout->addWidget(group);
    auto* note = new QLabel(QStringLiteral("注意：第1、2个选项会覆盖清除冗余的数据"), page);
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addStretch();
    m_ownStorage->setChecked(node.settings.storageType != 0);
    group->setEnabled(m_ownStorage->isChecked());
    connect(m_ownStorage, &QCheckBox::toggled, group, &QWidget::setEnabled);
    m_storage->SetType(node.settings.storageType);
    m_storage->SetCount(node.settings.storageNum);
    return page;
}

void CChannelPropertiesDialog::accept() {
    FeedSettings settings = m_session.Tree().Node(m_channel).value_or(ChannelNode{}).settings;
    const SettingsCheck check =
        CheckChannelStoragePage(m_ownStorage->isChecked(), m_storage->CountText().toStdString(),
                                m_storage->Type(), settings.storageType, settings.storageNum);
    if (!check.ok) {
        m_tabs->setCurrentWidget(m_storagePage);
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(check.message));
        (check.focus == SettingsField::StorageType ? m_storage->FirstRadio()
                                                   : static_cast<QWidget*>(m_storage->CountBox()))
            ->setFocus();
        return;
    }
    settings.rssRank = RssRankFromChoice(m_rank->currentIndex());
    settings.autoUpdate = m_noAutoUpdate->isChecked() ? 0 : 1;
    settings.newItemShowTip = m_notice->isChecked() ? 1 : 0;
    // The editor checks the general fields and reports a refusal itself; the sheet stays open.
    if (!m_session.Editor().SetChannelProperties(
            m_channel, m_title->text().toStdString(), m_address->text().toStdString(),
            m_home->text().toStdString(), settings, m_session.Store())) {
        m_tabs->setCurrentIndex(0);
        return;
    }
    QDialog::accept();
}

}  // namespace zirvo::gui
