// The worker controller and the platform thread object: start, wait, cancel, the cancel flag,
// destruction while a worker runs, and the two failures provoked through the thread seams.
#include "pelidor/transfer/ThreadOperation.h"
#include "platform/thread/Thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// What a test worker does; shared between the test and the worker.
struct Work {
    CThreadOperation* pController = nullptr;
    std::atomic<bool> bRelease{false}; // the worker may end
    std::atomic<bool> bStarted{false};
    std::atomic<bool> bEnded{false};
    std::atomic<int> nSawCancel{-1}; // the flag the worker saw at its start
    std::uint32_t nResult = 0;
};

// Returns its result at once.
std::uint32_t Immediate(void* p) {
    auto* w = static_cast<Work*>(p);
    w->nSawCancel = w->pController != nullptr ? w->pController->IsCancelRequested() : -1;
    return w->nResult;
}

// Polls the cancel flag like the transfer loop; ends with 126 when it sees it (bounded).
std::uint32_t PollsCancel(void* p) {
    auto* w = static_cast<Work*>(p);
    w->bStarted = true;
    for (int i = 0; i < 1000; ++i) {
        if (w->pController->IsCancelRequested() != 0)
            return RC_CANCELLED;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return 0;
}

// Never looks at the flag; ends when released (bounded) with its own result.
std::uint32_t IgnoresCancel(void* p) {
    auto* w = static_cast<Work*>(p);
    w->bStarted = true;
    for (int i = 0; i < 1000 && !w->bRelease.load(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    const std::uint32_t result = w->nResult; // the record may go once bEnded is seen
    w->bEnded = true;
    return result;
}

class ThreadOperationTest : public ::testing::Test {
protected:
    void TearDown() override {
        platform::SetThreadCreateFailure(false);
        platform::SetExitStatusReadFailure(-1);
    }
};

TEST_F(ThreadOperationTest, IdleControllerRefusesWaitAndCancel) {
    CThreadOperation controller;
    EXPECT_EQ(controller.Wait(), RC_NO_WORKER);
    EXPECT_EQ(controller.Cancel(), RC_NO_WORKER);
    EXPECT_EQ(controller.IsCancelRequested(), 0); // Cancel without a worker sets nothing
}

TEST_F(ThreadOperationTest, WaitReturnsTheEntrysResult) {
    const std::uint32_t results[] = {0, 118, 306, 314};
    CThreadOperation controller;
    for (std::uint32_t expected : results) {
        SCOPED_TRACE(expected);
        Work work;
        work.nResult = expected;
        ASSERT_EQ(controller.Start(&Immediate, &work), RC_SUCCESS);
        EXPECT_EQ(controller.Wait(), static_cast<RESULT_CODE>(expected));
        EXPECT_EQ(controller.Wait(), RC_NO_WORKER); // released after the first wait
    }
}

TEST_F(ThreadOperationTest, SecondStartIsRefusedAndTheFirstWorkerRunsOn) {
    CThreadOperation controller;
    Work first, second;
    first.nResult = 7;
    second.nResult = 9;
    ASSERT_EQ(controller.Start(&IgnoresCancel, &first), RC_SUCCESS);
    EXPECT_EQ(controller.Start(&IgnoresCancel, &second), RC_WORKER_RUNNING);
    first.bRelease = true;
    EXPECT_EQ(controller.Wait(), 7);
    EXPECT_FALSE(second.bStarted.load());
}

TEST_F(ThreadOperationTest, CancelSeenByTheWorkGives126AndClearsTheFlag) {
    CThreadOperation controller;
    Work work;
    work.pController = &controller;
    ASSERT_EQ(controller.Start(&PollsCancel, &work), RC_SUCCESS);
    while (!work.bStarted.load())
        std::this_thread::yield();
    EXPECT_EQ(controller.Cancel(), RC_CANCELLED);
    EXPECT_EQ(controller.IsCancelRequested(), 0);

    // A new worker after the wait finds the flag cleared.
    Work next;
    next.pController = &controller;
    ASSERT_EQ(controller.Start(&Immediate, &next), RC_SUCCESS);
    EXPECT_EQ(controller.Wait(), 0);
    EXPECT_EQ(next.nSawCancel.load(), 0);
}

TEST_F(ThreadOperationTest, CancelOfAWorkerThatNeverPollsReturnsItsOwnResult) {
    CThreadOperation controller;
    Work work;
    work.nResult = 42;
    ASSERT_EQ(controller.Start(&IgnoresCancel, &work), RC_SUCCESS);
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        work.bRelease = true;
    });
    EXPECT_EQ(controller.Cancel(), 42);
    releaser.join();
}

TEST_F(ThreadOperationTest, WaitWakesSoonAfterTheWorkerEnds) {
    // The worker ends 10 ms in; a wait that slept whole 50 ms steps would take >= 50 ms.
    CThreadOperation controller;
    Work work;
    ASSERT_EQ(controller.Start(&IgnoresCancel, &work), RC_SUCCESS);
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        work.bRelease = true;
    });
    const auto start = Clock::now();
    EXPECT_EQ(controller.Wait(), 0);
    const auto elapsed = Clock::now() - start;
    releaser.join();
    EXPECT_LT(elapsed, std::chrono::milliseconds(45));
}

TEST_F(ThreadOperationTest, DestructionWaitsForARunningWorker) {
    Work work;
    std::thread releaser;
    {
        CThreadOperation controller;
        ASSERT_EQ(controller.Start(&IgnoresCancel, &work), RC_SUCCESS);
        while (!work.bStarted.load())
            std::this_thread::yield();
        releaser = std::thread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            work.bRelease = true;
        });
    }
    EXPECT_TRUE(work.bEnded.load());
    releaser.join();
}

TEST_F(ThreadOperationTest, ThreadCreationFailureLeavesNoWorker) {
    CThreadOperation controller;
    Work work;
    platform::SetThreadCreateFailure(true);
    EXPECT_NE(controller.Start(&Immediate, &work), RC_SUCCESS);
    platform::SetThreadCreateFailure(false);
    EXPECT_EQ(controller.Wait(), RC_NO_WORKER);
    ASSERT_EQ(controller.Start(&Immediate, &work), RC_SUCCESS);
    EXPECT_EQ(controller.Wait(), 0);
}

TEST_F(ThreadOperationTest, UnreadableExitStatusGives202AndReleasesTheWorker) {
    // 0: the first read fails; 1: a read inside the wait loop fails.
    for (int okReads : {0, 1}) {
        SCOPED_TRACE(okReads);
        CThreadOperation controller;
        Work work;
        ASSERT_EQ(controller.Start(&IgnoresCancel, &work), RC_SUCCESS);
        platform::SetExitStatusReadFailure(okReads);
        EXPECT_EQ(controller.Cancel(), RC_WORKER_EXIT_UNKNOWN);
        platform::SetExitStatusReadFailure(-1);
        EXPECT_EQ(controller.IsCancelRequested(), 0); // cleared all the same
        EXPECT_EQ(controller.Wait(), RC_NO_WORKER);   // no longer tracked
        // The abandoned worker still runs; let it end before its work record goes.
        work.bRelease = true;
        while (!work.bEnded.load())
            std::this_thread::yield();
    }
}

} // namespace
