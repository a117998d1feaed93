#include "core/ebook/ebook_export.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "core/ebook/ebook_rules.h"
#include "core/net/http_client.h"

namespace zirvo {

// What the worker and the owner share; the worker keeps it alive past the owner.
struct CEbookExport::Shared : IEbookStatus {
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    IEbookObserver* observer = nullptr;

    void OnStatus(const std::string& text) override {
        std::lock_guard<std::mutex> lock(mutex);
        if (observer) {
            observer->OnStatus(text);
        }
    }
    void OnCompiling() override {
        std::lock_guard<std::mutex> lock(mutex);
        if (observer) {
            observer->OnCompiling();
        }
    }
    void Finish(const EbookResult& result) {
        std::lock_guard<std::mutex> lock(mutex);
        if (observer) {
            observer->OnFinished(result);
        }
        done = true;
        ended.notify_all();
    }
};

CEbookExport::CEbookExport(CDataRoot root, CWorkerSet& workers, IEbookObserver& observer)
    : m_root(std::move(root)), m_workers(workers), m_observer(observer) {}

CEbookExport::~CEbookExport() {
    Cancel(std::chrono::milliseconds(0));
}

bool CEbookExport::Start(EbookRequest request, Prepare prepare) {
    if (Running()) {
        return false;
    }
    auto shared = std::make_shared<Shared>();
    shared->observer = &m_observer;
    const CDataRoot root = m_root;
    const bool started = m_workers.Start(
        [shared, root, request = std::move(request), prepare = std::move(prepare)]() mutable {
            std::string error;
            if (prepare && !prepare(request, error)) {
                EbookResult failed;
                failed.message = kEbookCompileFailed;
                failed.detail = error;
                shared->Finish(failed);
                return;
            }
            CCurlHttpClient http;
            const EbookResult result =
                BuildEbook(root, std::move(request), http, *shared, shared->stop);
            shared->Finish(result);
        },
        [shared](const std::string& what) {
            EbookResult failed;
            failed.message = kEbookCompileFailed;
            failed.detail = what;
            shared->Finish(failed);
        });
    if (started) {
        m_shared = std::move(shared);
    }
    return started;
}

bool CEbookExport::Running() const {
    if (!m_shared) {
        return false;
    }
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return !m_shared->done;
}

bool CEbookExport::Cancel(std::chrono::milliseconds wait) {
    if (!m_shared) {
        return true;
    }
    m_shared->stop = true;
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    m_shared->observer = nullptr;
    const bool ended = m_shared->ended.wait_for(lock, wait, [this] { return m_shared->done; });
    lock.unlock();
    m_shared.reset();
    return ended;
}

}  // namespace zirvo
