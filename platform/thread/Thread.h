// The platform's worker thread object: created suspended, resumed, asked for its exit status
// (THREAD_STILL_ACTIVE while it runs, the entry's return value after) and released. The object
// outlives the thread; releasing it never stops a running thread.
#pragma once

#include <cstdint>
#include <memory>

namespace platform {

// The exit status a thread shows while it still runs. No entry may return it as a result.
constexpr std::uint32_t THREAD_STILL_ACTIVE = 259;

using ThreadEntry = std::uint32_t (*)(void* parameter);

class CThread {
public:
    // Creates a thread that will call entry(parameter) once resumed. Null when the thread
    // cannot be created.
    static std::unique_ptr<CThread> CreateSuspended(ThreadEntry entry, void* parameter);

    // Releases the object. A thread that has ended is joined; one that still runs (its owner
    // gave up on it) is left to finish on its own.
    ~CThread();
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    // Lets a suspended thread run; has no effect on a thread already resumed.
    void Resume();

    // Writes the exit status: THREAD_STILL_ACTIVE while the thread runs, the entry's return
    // value once it has ended. False when the status cannot be read.
    bool GetExitStatus(std::uint32_t& status) const;

    // Blocks until the thread has ended or the given time has passed, whichever is first.
    // Wakes as soon as the entry returns. True when the thread has ended.
    bool WaitForEnd(std::uint32_t milliseconds) const;

    struct CState; // shared with the running thread

private:
    explicit CThread(std::shared_ptr<CState> state);
    std::shared_ptr<CState> m_pState;
};

// Fault seams for tests: make the next thread creations fail, or every exit-status read fail
// after the given number of successful reads (negative: never fail). Both default to off.
void SetThreadCreateFailure(bool fail);
void SetExitStatusReadFailure(int successfulReadsBefore);

} // namespace platform
