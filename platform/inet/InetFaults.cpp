// Fault seams of the internet layer: process-wide switches read by the session.
#include "platform/inet/InetFaults.h"

#include <atomic>

namespace platform {

namespace {
constexpr std::uint32_t kMaxOptionId = 16;
std::atomic<bool> g_bFailSession{false};
std::atomic<bool> g_bFailRead[kMaxOptionId + 1];
std::atomic<bool> g_bFailSet[kMaxOptionId + 1];
} // namespace

void SetSessionOpenFailure(bool fail) {
    g_bFailSession.store(fail);
}

void SetOptionFailure(std::uint32_t id, bool failRead, bool failSet) {
    if (id > kMaxOptionId)
        return;
    g_bFailRead[id].store(failRead);
    g_bFailSet[id].store(failSet);
}

void ClearInternetFaults() {
    g_bFailSession.store(false);
    for (std::uint32_t id = 0; id <= kMaxOptionId; ++id)
        SetOptionFailure(id, false, false);
}

bool IsSessionOpenFailing() {
    return g_bFailSession.load();
}
bool IsOptionReadFailing(std::uint32_t id) {
    return id <= kMaxOptionId && g_bFailRead[id].load();
}
bool IsOptionSetFailing(std::uint32_t id) {
    return id <= kMaxOptionId && g_bFailSet[id].load();
}

} // namespace platform
