// CThreadOperation: runs one piece of work on a worker thread, lets its owner wait for the
// worker's result code, and keeps the cancel flag that the work polls to stop early.
#pragma once

#include "pelidor/app/ResultCodes.h"
#include "platform/thread/CriticalSection.h"

#include <cstdint>

namespace platform {
class CThread;
}

class CThreadOperation {
public:
    // The worker's entry: one untyped pointer in, a result code out.
    using ThreadEntry = std::uint32_t (*)(void* parameter);

    CThreadOperation();
    // Asks a worker that is still attached to stop and waits for it.
    virtual ~CThreadOperation();
    CThreadOperation(const CThreadOperation&) = delete;
    CThreadOperation& operator=(const CThreadOperation&) = delete;

    // 0 when the worker started; 200 when one is attached already. When the thread cannot be
    // created no worker is attached and the result is 201.
    RESULT_CODE Start(ThreadEntry entry, void* parameter);
    // Blocks until the worker has ended: its entry's result; 201 without a worker; 202 when its
    // exit status cannot be read. Clears the cancel flag and releases the worker.
    RESULT_CODE Wait();
    // Sets the cancel flag and waits: 201 without a worker, else the result of Wait.
    RESULT_CODE Cancel();

    std::int32_t IsCancelRequested();
    void SetCancelRequested(std::int32_t value);

private:
    platform::CThread* m_pThread;
    std::int32_t m_bCancel;
    CCriticalSection m_csCancel;
};
