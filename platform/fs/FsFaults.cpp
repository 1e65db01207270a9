// Fault seams of the file-system services (portable).
#include "platform/fs/FsFaults.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <string>

namespace platform {
namespace {

std::atomic<unsigned> g_nFaults{0};
std::atomic<unsigned> g_nReadOnlyDrives{0}; // bit i: drive 'A' + i
std::once_flag g_onceEnvironment;

void LoadOnce() {
    std::call_once(g_onceEnvironment, [] { ApplyFsFaultList(std::getenv("PELIDOR_FS_FAULTS")); });
}

unsigned Bit(EFsFault fault) {
    return 1u << static_cast<unsigned>(fault);
}

int LetterIndex(char letter) {
    if (letter >= 'A' && letter <= 'Z')
        return letter - 'A';
    if (letter >= 'a' && letter <= 'z')
        return letter - 'a';
    return -1;
}

} // namespace

void SetFsFault(EFsFault fault, bool active) {
    LoadOnce();
    if (active)
        g_nFaults.fetch_or(Bit(fault));
    else
        g_nFaults.fetch_and(~Bit(fault));
}

bool HasFsFault(EFsFault fault) {
    LoadOnce();
    return (g_nFaults.load() & Bit(fault)) != 0;
}

void SetDriveReadOnly(char letter, bool readOnly) {
    LoadOnce();
    const int index = LetterIndex(letter);
    if (index < 0)
        return;
    if (readOnly)
        g_nReadOnlyDrives.fetch_or(1u << index);
    else
        g_nReadOnlyDrives.fetch_and(~(1u << index));
}

bool IsDriveReadOnly(char letter) {
    LoadOnce();
    const int index = LetterIndex(letter);
    return index >= 0 && (g_nReadOnlyDrives.load() & (1u << index)) != 0;
}

void ClearFsFaults() {
    LoadOnce();
    g_nFaults.store(0);
    g_nReadOnlyDrives.store(0);
}

void ApplyFsFaultList(const char* list) {
    if (list == nullptr)
        return;
    const std::string text = list;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string name = text.substr(start, end - start);
        start = end + 1;
        if (name == "free-space")
            g_nFaults.fetch_or(Bit(EFsFault::FreeSpaceUnreadable));
        else if (name == "flush")
            g_nFaults.fetch_or(Bit(EFsFault::FlushFails));
        else if (name == "status-write")
            g_nFaults.fetch_or(Bit(EFsFault::StatusWriteFails));
        else if (name == "remove")
            g_nFaults.fetch_or(Bit(EFsFault::RemoveFails));
        else if (name.size() == 10 && name.compare(0, 9, "readonly=") == 0 &&
                 LetterIndex(name[9]) >= 0)
            g_nReadOnlyDrives.fetch_or(1u << LetterIndex(name[9]));
    }
}

} // namespace platform
