// Local file operations: open in one of five modes, write, close, create empty, delete, and the
// writability probe of a drive.
#pragma once

#include "pelidor/app/ResultCodes.h"

#include <cstdint>
#include <string>

class LocalFile; // an open local file owned by the caller (LocalFile.h)

// mode 0..4; truncate and share are flags (non-zero = set).
RESULT_CODE OpenLocalFile(const std::string& path, LocalFile** file, int mode, int truncate,
                          int share);
RESULT_CODE WriteLocalFile(LocalFile* file, const void* bytes, std::uint32_t count);
RESULT_CODE CloseLocalFile(LocalFile** file);
RESULT_CODE CreateEmptyFile(const std::string& path, int truncate, int share);
RESULT_CODE DeleteLocalFile(const std::string& path);
RESULT_CODE ProbeDriveWritable(const std::string& path);
