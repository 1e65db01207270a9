// The lock of the application framework: a critical section entered and left around a single
// read or write of shared state. Not recursive.
#pragma once

#include <mutex>

class CCriticalSection {
public:
    CCriticalSection() = default;
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Lock() { m_mutex.lock(); }
    void Unlock() { m_mutex.unlock(); }

    // Scoped entry: enters on construction, leaves on destruction.
    class CScope {
    public:
        explicit CScope(CCriticalSection& cs) : m_cs(cs) { m_cs.Lock(); }
        ~CScope() { m_cs.Unlock(); }
        CScope(const CScope&) = delete;
        CScope& operator=(const CScope&) = delete;

    private:
        CCriticalSection& m_cs;
    };

private:
    std::mutex m_mutex;
};
