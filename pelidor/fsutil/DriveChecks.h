// Drive, free-space, file and folder checks, and folder creation, on Windows paths.
#pragma once

#include "pelidor/app/ResultCodes.h"

#include <cstdint>
#include <string>

RESULT_CODE IsDriveRoot(const std::string& path);
RESULT_CODE CheckDrive(const std::string& path);
RESULT_CODE GetDriveFreeSpace(const std::string& path, std::uint64_t& available);
RESULT_CODE CheckFreeSpace(const std::string& path, std::uint64_t needed);
RESULT_CODE CheckFileExists(const std::string& path);
RESULT_CODE CheckFolderExists(const std::string& path);
RESULT_CODE CreateFolder(const std::string& path);
RESULT_CODE CreateFolderChain(const std::string& path);
