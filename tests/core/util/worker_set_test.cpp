// The worker set: a throwing worker is that job's failure and not the program's end; closing
// cuts pauses short, joins everything and refuses what comes after.

#include "core/util/worker_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace zirvo {
namespace {

using namespace std::chrono_literals;

TEST(WorkerSetTest, AnExceptionLeavingAWorkerGoesToItsFailureHandlerOnly) {
    CWorkerSet workers;
    std::mutex mutex;
    std::vector<std::string> failures;
    int finished = 0;
    auto record = [&](const std::string& what) {
        std::lock_guard lock(mutex);
        failures.push_back(what);
    };
    ASSERT_TRUE(workers.Start([] { throw std::runtime_error("disk full"); }, record));
    ASSERT_TRUE(workers.Start([] { throw std::bad_alloc(); }, record));
    ASSERT_TRUE(workers.Start([] { throw 42; }, record));
    // A handler that throws as well is swallowed; there is nobody left to tell.
    ASSERT_TRUE(workers.Start([] { throw std::runtime_error("first"); },
                              [](const std::string&) { throw std::runtime_error("second"); }));
    ASSERT_TRUE(workers.Start(
        [&] {
            std::lock_guard lock(mutex);
            ++finished;
        },
        record));
    workers.WaitAll();
    EXPECT_EQ(workers.Running(), 0u);
    std::sort(failures.begin(), failures.end());
    EXPECT_EQ(failures,
              (std::vector<std::string>{"disk full", "std::bad_alloc", "unknown exception"}));
    EXPECT_EQ(finished, 1);
    // The set still takes work after its workers failed.
    EXPECT_TRUE(workers.Start([] {}));
}

TEST(WorkerSetTest, CloseWakesPausesRaisesTheFlagAndRefusesNewWorkers) {
    CWorkerSet workers;
    std::atomic<int> pauseResult{-1};
    std::atomic<bool> sawFlag{false};
    std::atomic<bool> started{false};
    ASSERT_TRUE(workers.Start([&] {
        started = true;
        // An hour: only Close can end this wait within the test's time.
        pauseResult = workers.Pause(std::chrono::hours(1)) ? 1 : 0;
        sawFlag = workers.StopFlag()->load();
    }));
    while (!started) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(workers.Running(), 1u);
    workers.Close();
    EXPECT_EQ(pauseResult, 0);
    EXPECT_TRUE(sawFlag);
    EXPECT_EQ(workers.Running(), 0u);
    EXPECT_FALSE(workers.Start([] {}));
    EXPECT_FALSE(workers.Pause(0ms));
}

}  // namespace
}  // namespace zirvo
