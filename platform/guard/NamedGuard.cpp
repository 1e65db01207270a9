// Portable part of the named guards: how a guard name becomes an address, and the answer to
// whether the machine-wide namespace exists.
#include "platform/guard/NamedGuard.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

constexpr char kGlobalPrefix[] = "Global\\";
std::atomic<int> g_nGlobalOverride{-1};

} // namespace

std::string GuardAddress(const std::string& name, const std::string& root,
                         const std::string& sessionId) {
    const std::size_t prefixLength = std::strlen(kGlobalPrefix);
    if (name.compare(0, prefixLength, kGlobalPrefix) == 0)
        return root + "/global/" + name.substr(prefixLength);
    return root + "/session/" + sessionId + "/" + name;
}

bool GlobalGuardNamespaceExists() {
    const int override = g_nGlobalOverride.load();
    if (override >= 0)
        return override != 0;
    const char* value = std::getenv("NORVANE_NO_GLOBAL_NAMESPACE");
    return value == nullptr || value[0] == '\0' || std::strcmp(value, "0") == 0;
}

void OverrideGlobalGuardNamespace(int exists) {
    g_nGlobalOverride.store(exists < 0 ? -1 : exists != 0);
}

} // namespace platform
