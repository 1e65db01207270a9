// A fixture that gives each test its own guard root, so that the names it takes clash with
// nothing else on the machine, and restores the global-namespace answer afterwards.
#pragma once

#include "platform/guard/NamedGuard.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

class GuardFixture : public ::testing::Test {
protected:
    void SetUp() override {
        static int s_nCounter = 0;
        const std::string root =
            "norvane-apptest-" + std::to_string(getpid()) + "-" + std::to_string(++s_nCounter);
        setenv("NORVANE_GUARD_ROOT", root.c_str(), 1);
        platform::OverrideGlobalGuardNamespace(-1);
    }
    void TearDown() override {
        platform::OverrideGlobalGuardNamespace(-1);
        unsetenv("NORVANE_GUARD_ROOT");
    }

    // Tries a name through the platform layer: Created (and released again), AlreadyExists
    // or Failed.
    static platform::GuardStatus Probe(const std::string& name) {
        platform::GuardStatus status = platform::GuardStatus::Failed;
        platform::CloseNamedGuard(platform::CreateNamedGuard(name, &status));
        return status;
    }
};

// Holds a guard name for the lifetime of the object.
class HeldGuard {
public:
    explicit HeldGuard(const std::string& name)
        : m_hGuard(platform::CreateNamedGuard(name, nullptr)) {}
    ~HeldGuard() { platform::CloseNamedGuard(m_hGuard); }
    HeldGuard(const HeldGuard&) = delete;
    HeldGuard& operator=(const HeldGuard&) = delete;
    bool Held() const { return m_hGuard != nullptr; }

private:
    platform::GuardHandle m_hGuard;
};
