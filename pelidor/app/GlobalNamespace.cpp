// The machine-wide guard namespace always exists on this platform; the platform layer lets
// tests say otherwise.
#include "pelidor/app/GlobalNamespace.h"

#include "platform/guard/NamedGuard.h"

bool HasGlobalNamespace() {
    return platform::GlobalGuardNamespaceExists();
}
