#include "core/util/worker_set.h"

#include <algorithm>
#include <exception>
#include <system_error>

#include "core/util/closing_flag.h"

namespace zirvo {

CWorkerSet::~CWorkerSet() {
    Close();
}

void CWorkerSet::RunGuarded(const Body& body, const FailureHandler& onFailure) noexcept {
    std::string what;
    try {
        body();
        return;
    } catch (const std::exception& e) {
        what = e.what();
    } catch (...) {
        what = "unknown exception";
    }
    if (onFailure) {
        try {
            onFailure(what);
        } catch (...) {
            // Nothing is left to tell: the job is over either way, and a throw here would end
            // the whole program.
        }
    }
}

bool CWorkerSet::Start(Body body, FailureHandler onFailure) {
    if (m_closing) {
        return false;
    }
    ReapFinished();
    auto worker = std::make_unique<Worker>();
    Worker* self = worker.get();
    std::lock_guard lock(m_mutex);
    // Checked again under the lock: Close() may have taken the list in the meantime, and a
    // worker added after that would never be joined.
    if (m_closing) {
        return false;
    }
    try {
        self->thread =
            std::thread([this, self, body = std::move(body), onFailure = std::move(onFailure)] {
                RunGuarded(body, onFailure);
                {
                    std::lock_guard ended(m_mutex);
                    self->done = true;
                }
                m_wake.notify_all();
            });
    } catch (const std::system_error&) {
        return false;
    }
    m_workers.push_back(std::move(worker));
    return true;
}

void CWorkerSet::ReapFinished() {
    std::list<std::unique_ptr<Worker>> finished;
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_workers.begin(); it != m_workers.end();) {
            if ((*it)->done) {
                finished.splice(finished.end(), m_workers, it++);
            } else {
                ++it;
            }
        }
    }
    for (auto& worker : finished) {
        worker->thread.join();
    }
}

size_t CWorkerSet::Running() const {
    std::lock_guard lock(m_mutex);
    return static_cast<size_t>(std::count_if(m_workers.begin(), m_workers.end(),
                                             [](const auto& worker) { return !worker->done; }));
}

void CWorkerSet::WaitAll() {
    // One at a time off the list, so that a worker may still be started (by another worker's
    // report reaching the owner) while the earlier ones are joined.
    for (;;) {
        std::unique_ptr<Worker> next;
        {
            std::lock_guard lock(m_mutex);
            if (m_workers.empty()) {
                return;
            }
            next = std::move(m_workers.front());
            m_workers.pop_front();
        }
        next->thread.join();
    }
}

void CWorkerSet::BeginClose() {
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_wake.notify_all();
}

void CWorkerSet::Close() {
    BeginClose();
    WaitAll();
}

bool CWorkerSet::Pause(std::chrono::milliseconds duration) {
    // The process-wide flag is polled: it is set without a word to this set.
    const auto end = std::chrono::steady_clock::now() + duration;
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_closing || IsClosing()) {
            return false;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= end) {
            return true;
        }
        m_wake.wait_for(lock, std::min<std::chrono::steady_clock::duration>(
                                  end - now, std::chrono::milliseconds(50)));
    }
}

}  // namespace zirvo
