#pragma once
// The publishing jobs' observer for the windows: each call runs on the window thread, and a
// worker waits until it has (as a worker's SendMessage would), so the tree and the list have
// seen a change before the job goes on. Once Stop() has run (the close sequence), waiting
// workers are released and later calls are dropped, so the window can join the workers.
//
// Threading: the On* calls come from job workers (OnJobStarted from the window thread);
// construction, Stop and the handlers belong to the window thread.

#include <QObject>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "core/publishing/publish_observer.h"

namespace zirvo::gui {

class CPublishObserverAdapter : public QObject, public IPublishObserver {
    Q_OBJECT

public:
    explicit CPublishObserverAdapter(QObject* parent = nullptr);

    void Stop();

    void OnJobStarted(int jobId, PublishJobKind kind, const std::string& account, int row) override;
    void OnJobStatus(int jobId, const std::string& text) override;
    void OnTreeRecount(int treeCode, TreeCountChange change) override;
    void OnJobNotice(PublishNotice notice) override;
    void OnArticlesChanged(const std::string& account, BlogFolder folder) override;
    void OnPostSent(int jobId, const std::string& account, int articleId,
                    const std::string& postId) override;
    void OnRowStatus(int jobId, int row, const std::string& text) override;
    void OnEndpointMoved(int jobId, const std::string& account,
                         const std::string& address) override;
    void OnJobEnded(int jobId, int result) override;

signals:
    void JobStarted(int jobId, int kind, const QString& account, int row);
    void JobStatus(int jobId, const QString& text);
    void TreeRecount(int treeCode, int change);
    void JobNotice(int notice);
    void ArticlesChanged(const QString& account, int folder);
    void RowStatus(int jobId, int row, const QString& text);
    // The account's server answered from another address (after JobStatus said so).
    void EndpointMoved(const QString& account, const QString& address);
    void JobEnded(int jobId, int result);

private:
    // Runs `call` on the window thread and waits for it (or for Stop).
    void Send(std::function<void()> call);

    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_stopped = false;
};

}  // namespace zirvo::gui
