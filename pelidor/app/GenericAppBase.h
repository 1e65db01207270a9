// CGenericAppBase: a reusable base for a window-less application that allows one running
// instance. Its start routine is the single-instance check on a named guard; the guard stays
// held until the application object is destroyed at the end of the process.
#pragma once

#include "platform/guard/NamedGuard.h"
#include "platform/runtime/WinApp.h"

#include <cstdint>
#include <string>

class CGenericAppBase : public CWinApp {
public:
    CGenericAppBase();
    ~CGenericAppBase() override;

    // Runs the single-instance check and returns its result.
    bool Startup() override;
    int Shutdown() override;

    // True when this instance now holds the guard; sets m_hMutex and m_nInstanceState.
    bool CheckSingleInstance();
    // True when this call created the named guard, which m_hMutex then holds; on false
    // m_hMutex is null.
    bool CreateOwnedMutex(const std::string& name);

    std::int32_t GetInstanceState() const { return m_nInstanceState; }
    bool HoldsMutex() const { return m_hMutex != nullptr; }

protected:
    std::string m_strMutexName; // guard name without namespace prefix; set by the derived class
    platform::GuardHandle m_hMutex;
    // 0: guard held (global name where a global namespace exists, else the plain name);
    // 1: the plain name could not be taken; 2: the global name was taken elsewhere but the
    // plain one was free (and was released again at once).
    std::int32_t m_nInstanceState;
};
