#pragma once
// The threads a front end's jobs run on: the receive manager's workers, the publishing jobs, and
// whatever a window starts in the background. One set per owner keeps the list of workers,
// reaps those that have ended when the next one starts, joins them all on close, and holds the
// owner's closing flag.
//
// A worker never takes the program down: an exception that leaves its body is caught and handed
// to the failure handler given with it, on the worker's thread, as that job's failure (the
// handler itself must not throw; if it does, that is swallowed too).
//
// Closing: Close() raises the set's closing flag (StopFlag(), which a worker polls besides the
// process-wide one, see closing_flag.h), wakes every Pause, and joins every worker. After that
// Start refuses. A window calls it in its close sequence, after setting the process-wide closing
// flag and before the objects the workers report to go away; until the workers have seen the
// flag, a report may still arrive, so the window must not wait for its own thread in a report
// handler once it is closing (see receive_observer.h and publish_observer.h).
//
// Threading: Start, WaitAll and Close are called by the owning thread (the window thread);
// Running, Closing, StopFlag and Pause by any thread.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace zirvo {

class CWorkerSet {
public:
    using Body = std::function<void()>;
    // Receives the exception's what() (or a fixed text for anything that is not an
    // std::exception).
    using FailureHandler = std::function<void(const std::string& what)>;

    CWorkerSet() = default;
    CWorkerSet(const CWorkerSet&) = delete;
    CWorkerSet& operator=(const CWorkerSet&) = delete;
    // Close().
    ~CWorkerSet();

    // Runs `body` on a thread of its own. False, and nothing runs, once the set is closing or
    // when no thread can be made.
    bool Start(Body body, FailureHandler onFailure = {});

    // Workers that have not ended yet.
    size_t Running() const;
    // Joins every worker started so far (they run to their end); the set stays open.
    void WaitAll();
    // Raises the closing flag and wakes every Pause, without waiting: for an owner that has
    // more to say (to its observer) before it joins. Start refuses from then on.
    void BeginClose();
    // BeginClose(), then joins every worker. Idempotent.
    void Close();

    bool Closing() const { return m_closing; }
    // The closing flag itself, for workers that poll a flag (it outlives every worker).
    const std::atomic<bool>* StopFlag() const { return &m_closing; }

    // Waits `duration`, cut short by Close() or the process-wide closing flag; false when it was
    // cut short (or the set was closing already).
    bool Pause(std::chrono::milliseconds duration);

private:
    struct Worker {
        std::thread thread;
        std::atomic<bool> done{false};
    };

    static void RunGuarded(const Body& body, const FailureHandler& onFailure) noexcept;
    void ReapFinished();

    std::atomic<bool> m_closing{false};
    mutable std::mutex m_mutex;  // guards m_workers; Pause waits on it
    std::condition_variable m_wake;
    std::list<std::unique_ptr<Worker>> m_workers;
};

}  // namespace zirvo
