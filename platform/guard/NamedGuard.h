// Named guards for single-instance checks: a name that lives as long as one process holds it,
// whose creation tells atomically whether the name was already taken. "Global\NAME" is shared
// by the whole machine; a plain NAME is local to the login session.
#pragma once

#include <string>

namespace platform {

struct GuardObject;
// An open guard; nullptr stands for "none". Closing it releases the name.
using GuardHandle = GuardObject*;

enum class GuardStatus {
    Created,       // the name was free and the returned handle now holds it
    AlreadyExists, // another holder has the name; no handle
    Failed,        // the guard could not be created at all (bad name, no resources)
};

// Takes the name. The handle is non-null only when status is Created.
GuardHandle CreateNamedGuard(const std::string& name, GuardStatus* status);
// Releases the name; nullptr is ignored.
void CloseNamedGuard(GuardHandle handle);

// True when machine-wide ("Global\") names are available. Always so on Linux, unless the
// environment variable NORVANE_NO_GLOBAL_NAMESPACE is set to a non-empty value other than "0",
// or a test has overridden the answer.
bool GlobalGuardNamespaceExists();
// Test seam: 1 or 0 forces the answer, -1 restores the normal one.
void OverrideGlobalGuardNamespace(int exists);

// The address a guard name maps to:
//   "Global\NAME" -> ROOT/global/NAME, anything else -> ROOT/session/SESSION/NAME.
// ROOT is "norvane" unless NORVANE_GUARD_ROOT names another (tests use it to keep parallel
// runs apart); SESSION is XDG_SESSION_ID when set and non-empty, else the user id.
std::string GuardAddress(const std::string& name, const std::string& root,
                         const std::string& sessionId);
// The address for a name in this process's environment.
std::string GuardAddressForProcess(const std::string& name);

} // namespace platform
