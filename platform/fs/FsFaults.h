// Fault seams of the file-system services: failures that cannot be provoked for real on a test
// machine (the tests run as root). Off by default. Set in-process by tests, or for a child
// process through PELIDOR_FS_FAULTS, a comma-separated list of
//   free-space     the free-space query fails
//   flush          flushing a file to stable storage fails (so its close fails)
//   status-write   writing a file's status fails
//   remove         removing a file fails
//   readonly=X     drive X is write-protected: no file opened for writing, no folder created
// read once, on first use.
#pragma once

namespace platform {

enum class EFsFault { FreeSpaceUnreadable, FlushFails, StatusWriteFails, RemoveFails };

void SetFsFault(EFsFault fault, bool active);
bool HasFsFault(EFsFault fault);
void SetDriveReadOnly(char letter, bool readOnly);
bool IsDriveReadOnly(char letter);
// Switches every seam off (also those from the environment).
void ClearFsFaults();
// Adds the seams named in a PELIDOR_FS_FAULTS text; unknown names are ignored.
void ApplyFsFaultList(const char* list);

} // namespace platform
