// The single-instance check of a window-less application.
#include "pelidor/app/GenericAppBase.h"

#include "pelidor/app/GlobalNamespace.h"

CGenericAppBase::CGenericAppBase() : m_hMutex(nullptr), m_nInstanceState(0) {}

CGenericAppBase::~CGenericAppBase() {
    if (m_hMutex != nullptr) {
        platform::CloseNamedGuard(m_hMutex);
        m_hMutex = nullptr;
    }
}

bool CGenericAppBase::Startup() {
    return CheckSingleInstance();
}

int CGenericAppBase::Shutdown() {
    return CWinApp::Shutdown();
}

bool CGenericAppBase::CheckSingleInstance() {
    if (HasGlobalNamespace()) {
        if (CreateOwnedMutex("Global\\" + m_strMutexName)) {
            m_nInstanceState = 0;
            return true;
        }
        // The global name is taken. The plain name is only tried, never kept: a running
        // instance holds the global name alone.
        if (CreateOwnedMutex(m_strMutexName)) {
            platform::CloseNamedGuard(m_hMutex);
            m_hMutex = nullptr;
            m_nInstanceState = 2;
            return false;
        }
        m_nInstanceState = 1;
        return false;
    }
    if (CreateOwnedMutex(m_strMutexName)) {
        m_nInstanceState = 0;
        return true;
    }
    m_nInstanceState = 1;
    return false;
}

bool CGenericAppBase::CreateOwnedMutex(const std::string& name) {
    platform::GuardStatus status = platform::GuardStatus::Failed;
    m_hMutex = platform::CreateNamedGuard(name, &status);
    if (m_hMutex == nullptr)
        return false;
    if (status == platform::GuardStatus::AlreadyExists) {
        platform::CloseNamedGuard(m_hMutex);
        m_hMutex = nullptr;
        return false;
    }
    return true;
}
