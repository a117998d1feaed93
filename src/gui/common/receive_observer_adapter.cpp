#include "gui/common/receive_observer_adapter.h"

#include <QMetaObject>

namespace zirvo::gui {

CReceiveObserverAdapter::CReceiveObserverAdapter(QObject* target, ReceiveHandlers handlers)
    : m_target(target), m_handlers(std::move(handlers)) {}

void CReceiveObserverAdapter::Post(std::function<void(const ReceiveHandlers&)> call) {
    if (m_stopping) {
        return;
    }
    // The target outlives the workers (they are joined before it goes), and a functor still
    // queued when it goes is dropped with it.
    QMetaObject::invokeMethod(
        m_target,
        [this, call = std::move(call)] {
            if (!m_stopping) {
                call(m_handlers);
            }
        },
        Qt::QueuedConnection);
}

void CReceiveObserverAdapter::OnImageChanged(NodeId node, NodeImage image) {
    Post([node, image](const ReceiveHandlers& h) {
        if (h.imageChanged)
            h.imageChanged(node, image);
    });
}

void CReceiveObserverAdapter::OnUnreadChanged(NodeId node, int unread) {
    Post([node, unread](const ReceiveHandlers& h) {
        if (h.unreadChanged)
            h.unreadChanged(node, unread);
    });
}

void CReceiveObserverAdapter::OnNewItemNotice(NodeId node, int unread) {
    Post([node, unread](const ReceiveHandlers& h) {
        if (h.newItemNotice)
            h.newItemNotice(node, unread);
    });
}

void CReceiveObserverAdapter::OnRefreshList(int feedId) {
    Post([feedId](const ReceiveHandlers& h) {
        if (h.refreshList)
            h.refreshList(feedId);
    });
}

void CReceiveObserverAdapter::OnStatusText(const std::string& text) {
    Post([text](const ReceiveHandlers& h) {
        if (h.statusText)
            h.statusText(text);
    });
}

void CReceiveObserverAdapter::OnChannelDone(const ChannelReceiveOutcome& outcome) {
    Post([outcome](const ReceiveHandlers& h) {
        if (h.channelDone)
            h.channelDone(outcome);
    });
}

void CReceiveObserverAdapter::OnStopping() {
    m_stopping = true;
}

}  // namespace zirvo::gui
