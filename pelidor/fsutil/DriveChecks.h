// Drive, free-space, file and folder checks, and folder creation, on Windows paths. Every
// operation but IsDriveRoot and CheckDrive starts with CheckDrive and returns its code; the
// first failing check gives the result, and outputs are written only on success.
#pragma once

#include "pelidor/app/ResultCodes.h"

#include <cstdint>
#include <string>

// 0 when the path is exactly "x:\", else 301.
RESULT_CODE IsDriveRoot(const std::string& path);
// 0, 300 (no drive part), 303 (letter not mapped, or its directory missing).
RESULT_CODE CheckDrive(const std::string& path);
// 0, 300, 303, 305 (unreadable). The bytes an unprivileged user may still write. Moves the
// process's current directory to the drive root and leaves it there.
RESULT_CODE GetDriveFreeSpace(const std::string& path, std::uint64_t& available);
// 0, 300, 303, 305, 306 (needed > available; equal passes).
RESULT_CODE CheckFreeSpace(const std::string& path, std::uint64_t needed);
// 0 when the whole path names an existing entry that is no folder; 300, 303, 307.
RESULT_CODE CheckFileExists(const std::string& path);
// The path's folder part (the last component is a file name): 0 when it is a drive root or an
// existing folder; 300 (no folder part), 303, 308.
RESULT_CODE CheckFolderExists(const std::string& path);
// Creates the path's folder part when missing (its parent must exist): 0, 300, 303, 317.
RESULT_CODE CreateFolder(const std::string& path);
// Creates the path's folder part with every missing folder above it, top first: 0, 300, 303,
// 317. Folders made before a failure stay.
RESULT_CODE CreateFolderChain(const std::string& path);
