// The worker controller: start, wait (re-reading the exit status every 50 ms, woken at once
// when the worker ends), cancel and the cancel flag under its lock.
#include "pelidor/transfer/ThreadOperation.h"

#include "platform/thread/Thread.h"

namespace {
constexpr std::uint32_t kPollIntervalMs = 50;
}

CThreadOperation::CThreadOperation() : m_pThread(nullptr), m_bCancel(0) {}

CThreadOperation::~CThreadOperation() {
    Cancel();
}

RESULT_CODE CThreadOperation::Start(ThreadEntry entry, void* parameter) {
    if (m_pThread != nullptr)
        return RC_WORKER_RUNNING;
    // Created suspended, so the object is stored before the entry can run, let alone end.
    std::unique_ptr<platform::CThread> thread =
        platform::CThread::CreateSuspended(entry, parameter);
    if (!thread)
        return RC_NO_WORKER;
    m_pThread = thread.release();
    m_pThread->Resume();
    return RC_SUCCESS;
}

RESULT_CODE CThreadOperation::Wait() {
    if (m_pThread == nullptr)
        return RC_NO_WORKER;
    RESULT_CODE result = RC_WORKER_EXIT_UNKNOWN;
    std::uint32_t status = 0;
    if (m_pThread->GetExitStatus(status)) {
        bool bReadable = true;
        while (status == platform::THREAD_STILL_ACTIVE) {
            m_pThread->WaitForEnd(kPollIntervalMs);
            if (!m_pThread->GetExitStatus(status)) {
                bReadable = false;
                break;
            }
        }
        if (bReadable)
            result = static_cast<RESULT_CODE>(status);
    }
    SetCancelRequested(0);
    delete m_pThread;
    m_pThread = nullptr;
    return result;
}

RESULT_CODE CThreadOperation::Cancel() {
    if (m_pThread == nullptr)
        return RC_NO_WORKER;
    SetCancelRequested(1);
    return Wait();
}

std::int32_t CThreadOperation::IsCancelRequested() {
    CCriticalSection::CScope lock(m_csCancel);
    return m_bCancel;
}

void CThreadOperation::SetCancelRequested(std::int32_t value) {
    CCriticalSection::CScope lock(m_csCancel);
    m_bCancel = value;
}
