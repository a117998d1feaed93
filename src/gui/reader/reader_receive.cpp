// Receiving: the commands that start it, the workers' reports, the start-up receive and the
// timer. Every start goes through the session.

#include <QTimer>
#include <utility>

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
    Q_UNUSED(image);  // the tree model holds it already; the latest one is drawn
    MarkNodeChanged(node);
}

void CReaderController::OnUnreadChanged(NodeId node, int unread) {
    Q_UNUSED(unread);
    MarkNodeChanged(node);
    // Whatever started the receive (a channel, a folder, all, the timer, start-up), the list
    // that shows the channel takes its new items in.
    if (m_showingAllUnread || ListShowsPartOf(node)) {
        ScheduleRefill();
    }
}

void CReaderController::MarkNodeChanged(NodeId node) {
    m_changedNodes.insert(node);
    if (!m_receiveViewTimer->isActive()) {
        m_receiveViewTimer->start();
    }
}

void CReaderController::QueueReceiveStatus(const QString& text, bool failure) {
    // The end of a walk clears its progress text, not the failure of its last channel.
    if (text.isEmpty() && m_receiveStatusPending && m_receiveStatusFailure) {
        return;
    }
    m_receiveStatus = text;
    m_receiveStatusFailure = failure;
    m_receiveStatusPending = true;
    if (!m_receiveViewTimer->isActive()) {
        m_receiveViewTimer->start();
    }
}

bool CReaderController::ReceiveViewsPending() const {
    return m_receiveViewTimer->isActive() || m_refillTimer->isActive();
}

void CReaderController::ApplyReceiveViews() {
    m_receiveViewTimer->stop();
    const QSet<NodeId> changed = std::exchange(m_changedNodes, {});
    for (NodeId id : changed) {
        const std::optional<ChannelNode> node = m_session.Tree().Node(id);
        QTreeWidgetItem* item = m_tree->ItemOf(id);
        if (!node || item == nullptr) {
            continue;
        }
        item->setIcon(0, TreeImage(node->image));
        item->setToolTip(0, ChannelToolTip(*node));
        UpdateCountsUpward(id);
    }
    if (m_receiveStatusPending) {
        m_receiveStatusPending = false;
        emit StatusText(std::exchange(m_receiveStatus, QString()));
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
    ScheduleRefill();
}

void CReaderController::OnChannelDone(const ChannelReceiveOutcome& outcome) {
    if (outcome.ok) {
        m_fetchFailures.remove(outcome.node);
    } else {
        const std::string& why = outcome.message.empty() ? outcome.error : outcome.message;
        m_fetchFailures.insert(outcome.node, Q(why));
        if (const std::optional<ChannelNode> channel = m_session.Tree().Node(outcome.node)) {
            QueueReceiveStatus(QStringLiteral("「") + Q(channel->caption) +
                                   QStringLiteral("」更新失败: ") + Q(why),
                               true);
        }
    }
    MarkNodeChanged(outcome.node);  // its tooltip says why it failed, or no longer
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
