#include "gui/library/publish_observer_adapter.h"

#include <QThread>
#include <memory>

#include "core/blogapi/blog_transport.h"

namespace zirvo::gui {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

CPublishObserverAdapter::CPublishObserverAdapter(QObject* parent) : QObject(parent) {}

void CPublishObserverAdapter::Stop() {
    std::lock_guard lock(m_mutex);
    m_stopped = true;
    m_done.notify_all();
}

void CPublishObserverAdapter::Send(std::function<void()> call) {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopped) {
            return;
        }
    }
    if (QThread::currentThread() == thread()) {
        call();
        return;
    }
    auto finished = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        this,
        [this, call = std::move(call), finished] {
            bool stopped = false;
            {
                std::lock_guard lock(m_mutex);
                stopped = m_stopped;
            }
            if (!stopped) {
                call();
            }
            std::lock_guard lock(m_mutex);
            *finished = true;
            m_done.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(m_mutex);
    m_done.wait(lock, [this, &finished] { return *finished || m_stopped; });
}

void CPublishObserverAdapter::OnJobStarted(int jobId, PublishJobKind kind,
                                           const std::string& account, int row) {
    Send([this, jobId, kind, account, row] {
        emit JobStarted(jobId, static_cast<int>(kind), Q(account), row);
    });
}

void CPublishObserverAdapter::OnJobStatus(int jobId, const std::string& text) {
    Send([this, jobId, text] { emit JobStatus(jobId, Q(text)); });
}

void CPublishObserverAdapter::OnTreeRecount(int treeCode, TreeCountChange change) {
    Send([this, treeCode, change] { emit TreeRecount(treeCode, static_cast<int>(change)); });
}

void CPublishObserverAdapter::OnJobNotice(PublishNotice notice) {
    Send([this, notice] { emit JobNotice(static_cast<int>(notice)); });
}

void CPublishObserverAdapter::OnArticlesChanged(const std::string& account, BlogFolder folder) {
    Send([this, account, folder] { emit ArticlesChanged(Q(account), static_cast<int>(folder)); });
}

void CPublishObserverAdapter::OnPostSent(int, const std::string&, int, const std::string&) {}

void CPublishObserverAdapter::OnRowStatus(int jobId, int row, const std::string& text) {
    Send([this, jobId, row, text] { emit RowStatus(jobId, row, Q(text)); });
}

void CPublishObserverAdapter::OnEndpointMoved(int jobId, const std::string& account,
                                              const std::string& address) {
    const std::string text = EndpointMovedText(address);
    Send([this, jobId, text, account, address] {
        emit JobStatus(jobId, Q(text));
        emit EndpointMoved(Q(account), Q(address));
    });
}

void CPublishObserverAdapter::OnJobEnded(int jobId, int result) {
    Send([this, jobId, result] { emit JobEnded(jobId, result); });
}

}  // namespace zirvo::gui
