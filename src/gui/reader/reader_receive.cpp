// Receiving: the commands that start it, the workers' reports, the start-up receive and the
// timer. Every start goes through the session.

#include <QTimer>

#include "core/receive/apply_receive_settings.h"
#include "core/views/page_settings.h"
#include "gui/reader/article_list_model.h"
#include "gui/reader/article_page.h"
#include "gui/reader/article_table_view.h"
#include "gui/reader/channel_tree_widget.h"
#include "gui/reader/reader_controller.h"
#include "gui/reader/reader_icons.h"
#include "gui/reader/reader_text.h"

namespace zirvo::gui {

void CReaderController::CmdReceive() {
    const NodeId id = TargetNode();
    if (m_session.Tree().Exists(id)) {
        m_session.Receive(id, false, true);
    }
}

void CReaderController::CmdReceiveFolderAll() {
    const NodeId id = TargetNode();
    if (m_session.Tree().Exists(id)) {
        m_session.Receive(id, true);
    }
}

void CReaderController::ReceiveAll() {
    if (!m_closing) {
        m_session.Receive(kNoNode);
    }
}

void CReaderController::OnImageChanged(NodeId node, int image) {
    if (QTreeWidgetItem* item = m_tree->ItemOf(node)) {
        item->setIcon(0, TreeImage(image));
    }
}

void CReaderController::OnUnreadChanged(NodeId node, int unread) {
    Q_UNUSED(unread);
    UpdateCountsUpward(node);
    // Whatever started the receive (a channel, a folder, all, the timer, start-up), the list
    // that shows the channel takes its new items in.
    if (m_showingAllUnread || ListShowsPartOf(node)) {
        ScheduleRefill();
    }
}

void CReaderController::OnNewItemNotice(NodeId node, int unread) {
    const std::optional<ChannelNode> channel = m_session.Tree().Node(node);
    if (!channel || unread <= 0) {
        return;
    }
    emit NewItemsNotice(Q(channel->caption), unread, channel->feedId);
}

void CReaderController::OnRefreshList(int feedId) {
    if (m_shownNode == kNoNode || feedId == 0) {
        return;
    }
    // A channel listed before its first receive had no store row yet; the receive bound it.
    const std::optional<ChannelNode> shown = m_session.Tree().Node(m_shownNode);
    if (m_ownerTag != feedId && !(shown && shown->IsChannel() && shown->feedId == feedId)) {
        return;
    }
    RefillShownList();
}

void CReaderController::OnChannelDone(const ChannelReceiveOutcome& outcome) {
    const std::optional<ChannelNode> channel = m_session.Tree().Node(outcome.node);
    if (outcome.ok) {
        m_fetchFailures.remove(outcome.node);
    } else {
        const std::string& why = outcome.message.empty() ? outcome.error : outcome.message;
        m_fetchFailures.insert(outcome.node, Q(why));
        if (channel) {
            emit StatusText(QStringLiteral("「") + Q(channel->caption) +
                            QStringLiteral("」更新失败: ") + Q(why));
        }
    }
    if (QTreeWidgetItem* item = m_tree->ItemOf(outcome.node); item && channel) {
        item->setToolTip(0, ChannelToolTip(*channel));
    }
}

void CReaderController::StartScheduled(ScheduledReceive what) {
    if (m_closing) {
        return;
    }
    // A refused start (a walk still running) waits for the next tick.
    switch (what) {
        case ScheduledReceive::WeightedAll:
            m_session.ReceiveWeighted();
            break;
        case ScheduledReceive::All:
            // Unlike "全部更新", a site's request to wait is honoured.
            m_session.ReceiveScheduled();
            break;
        case ScheduledReceive::None:
            break;
    }
}

void CReaderController::StartupReceive() {
    const ChannelTreeSettings settings = m_session.Settings();
    if (m_countingAtStart) {
        m_startupReceivePending = true;
    } else {
        StartScheduled(
            zirvo::StartupReceive(settings.startupAutoReceive, settings.autoReceiveType));
    }
    m_timerState = ReceiveTimerState{false, settings.autoReceive, settings.autoReceiveType,
                                     settings.autoReceiveTime};
    ApplyTimerDecision(StartupTimerDecision(m_timerState));
}

void CReaderController::ApplyReceiveSettings() {
    m_page->SetRemotePictures(ReadShowWebPictures(m_session.AppConfig()));
    ReceiveSettings receive;
    StorageSettings storage;
    if (m_session.AppConfig().ReadReceiveSettings(receive) != 1 ||
        m_session.AppConfig().ReadStorageSettings(storage) != 1) {
        return;
    }
    const int oldPageSize = ArticlePageSize(m_session.Settings());
    m_timerState.running = m_timer->isActive();
    ApplyTimerDecision(
        zirvo::ApplyReceiveSettings(m_session.Tree(), m_timerState, receive, storage));
    LoadViewSettings();
    if (ArticlePageSize(m_session.Settings()) != oldPageSize && m_shownNode != kNoNode) {
        ShowNode(m_shownNode, 0, false);
    }
}

void CReaderController::ApplyTimerDecision(const TimerDecision& decision) {
    switch (decision.action) {
        case TimerAction::Start:
        case TimerAction::Restart:
            m_timer->stop();
            m_timer->start(decision.periodMs);
            break;
        case TimerAction::Stop:
            m_timer->stop();
            break;
        case TimerAction::None:
            break;
    }
    m_timerState.running = m_timer->isActive();
}

void CReaderController::OnTimerTick() {
    StartScheduled(TimerTickReceive(m_timerState.type, m_session.Tree().FolderReceiveRunning()));
}

}  // namespace zirvo::gui
