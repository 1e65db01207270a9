// Linux rendering of the worker thread object over std::thread: the thread starts at once but
// blocks until it is resumed, publishes the entry's return value when it ends, and the object
// can be read after the thread is gone.
#include "platform/thread/Thread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace platform {

namespace {
std::atomic<bool> g_bFailCreate{false};
std::atomic<int> g_nReadsBeforeFailure{-1};
} // namespace

void SetThreadCreateFailure(bool fail) {
    g_bFailCreate.store(fail);
}
void SetExitStatusReadFailure(int successfulReadsBefore) {
    g_nReadsBeforeFailure.store(successfulReadsBefore);
}

struct CThread::CState {
    std::mutex mutex;
    std::condition_variable cv;
    bool bResumed = false;
    bool bAbandoned = false; // released before it was ever resumed: the entry never runs
    bool bEnded = false;
    std::uint32_t nExitStatus = THREAD_STILL_ACTIVE;
    std::thread thread;
};

std::unique_ptr<CThread> CThread::CreateSuspended(ThreadEntry entry, void* parameter) {
    if (g_bFailCreate.load())
        return nullptr;
    auto state = std::make_shared<CState>();
    try {
        // The thread holds the state too, so a released object never leaves it dangling.
        state->thread = std::thread([state, entry, parameter]() {
            {
                std::unique_lock<std::mutex> lock(state->mutex);
                state->cv.wait(lock, [&] { return state->bResumed || state->bAbandoned; });
                if (!state->bResumed)
                    return;
            }
            const std::uint32_t result = entry(parameter);
            {
                std::lock_guard<std::mutex> lock(state->mutex);
                state->nExitStatus = result;
                state->bEnded = true;
            }
            state->cv.notify_all();
        });
    } catch (const std::system_error&) {
        return nullptr;
    }
    return std::unique_ptr<CThread>(new CThread(std::move(state)));
}

CThread::CThread(std::shared_ptr<CState> state) : m_pState(std::move(state)) {}

CThread::~CThread() {
    bool bEnded = false;
    {
        std::lock_guard<std::mutex> lock(m_pState->mutex);
        // A thread that was never resumed would wait forever: let it end without its entry.
        if (!m_pState->bResumed)
            m_pState->bAbandoned = true;
        bEnded = m_pState->bEnded || m_pState->bAbandoned;
    }
    m_pState->cv.notify_all();
    if (bEnded)
        m_pState->thread.join();
    else
        m_pState->thread.detach();
}

void CThread::Resume() {
    {
        std::lock_guard<std::mutex> lock(m_pState->mutex);
        m_pState->bResumed = true;
    }
    m_pState->cv.notify_all();
}

bool CThread::GetExitStatus(std::uint32_t& status) const {
    int nLeft = g_nReadsBeforeFailure.load();
    while (nLeft >= 0) {
        if (nLeft == 0)
            return false;
        if (g_nReadsBeforeFailure.compare_exchange_weak(nLeft, nLeft - 1))
            break;
    }
    std::lock_guard<std::mutex> lock(m_pState->mutex);
    status = m_pState->bEnded ? m_pState->nExitStatus : THREAD_STILL_ACTIVE;
    return true;
}

bool CThread::WaitForEnd(std::uint32_t milliseconds) const {
    std::unique_lock<std::mutex> lock(m_pState->mutex);
    return m_pState->cv.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                 [&] { return m_pState->bEnded; });
}

} // namespace platform
