#pragma once
// The receive workers' observer for the windows: every call is re-posted to the window thread
// as a functor on the target object and handled there; only values cross (node handles, ids,
// counts, texts).
//
// The workers do not wait for the window thread: the tree model has already been updated when
// a call arrives, so a queued repaint loses nothing, and a worker that never blocks on the
// window thread can always be joined by a closing window. FlushPendingMarkRead has nothing to
// settle here, because the article list writes every read mark to the store at once, on the
// window thread, before it repaints.
//
// After OnStopping (the window is closing) nothing more is posted.
//
// Threading: the On* calls come from receive worker threads; construction, the handlers and
// destruction belong to the window thread. The adapter must outlive the workers (the session
// joins them in Close, before the controller goes).

#include <QObject>
#include <atomic>
#include <functional>
#include <string>

#include "core/receive/receive_observer.h"

namespace zirvo::gui {

// What the window thread does with each call (set by the controller).
struct ReceiveHandlers {
    std::function<void(NodeId, int)> imageChanged;
    std::function<void(NodeId, int)> unreadChanged;
    std::function<void(NodeId, int)> newItemNotice;
    std::function<void(int)> refreshList;
    std::function<void(const std::string&)> statusText;
    std::function<void(const ChannelReceiveOutcome&)> channelDone;
};

class CReceiveObserverAdapter : public IReceiveObserver {
public:
    // `target` is the window-thread object the functors run on.
    CReceiveObserverAdapter(QObject* target, ReceiveHandlers handlers);

    void OnImageChanged(NodeId node, NodeImage image) override;
    void OnUnreadChanged(NodeId node, int unread) override;
    void OnNewItemNotice(NodeId node, int unread) override;
    void OnRefreshList(int feedId) override;
    void OnStatusText(const std::string& text) override;
    void FlushPendingMarkRead() override {}
    void OnChannelDone(const ChannelReceiveOutcome& outcome) override;
    void OnStopping() override;

private:
    void Post(std::function<void(const ReceiveHandlers&)> call);

    QObject* m_target;
    ReceiveHandlers m_handlers;
    std::atomic<bool> m_stopping{false};
};

}  // namespace zirvo::gui
