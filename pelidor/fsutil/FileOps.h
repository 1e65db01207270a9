// Local file operations: open in one of five modes, write, close, create empty, delete, and the
// writability probe of a drive. Each returns the first failing code.
#pragma once

#include "pelidor/app/ResultCodes.h"

#include <cstdint>
#include <string>

class LocalFile; // an open local file owned by the caller (LocalFile.h)

// mode 0 read, 1 write, 2 write/create, 3 read-write, 4 read-write/create (existing files are
// cut for 2 and 4 when truncate is set); share zero = exclusive. Flags: non-zero = set.
// 0, 300, 303, 308 (folder missing), 310 (bad mode; *file untouched), 311 (*file = nullptr).
RESULT_CODE OpenLocalFile(const std::string& path, LocalFile** file, int mode, int truncate,
                          int share);
// 0 or 314; the file stays open either way. Writes are buffered: a failure may show later.
RESULT_CODE WriteLocalFile(LocalFile* file, const void* bytes, std::uint32_t count);
// Flushes to stable storage and closes: 0 or 312; destroys the file and sets *file = nullptr.
// A null *file gives 0.
RESULT_CODE CloseLocalFile(LocalFile** file);
// Opens with mode 2 and closes again: 0, 300, 303, 308, 312, 315 (could not be opened).
RESULT_CODE CreateEmptyFile(const std::string& path, int truncate, int share);
// Clears the attributes (read-only too) and removes the file: 0, 300, 303, 307, 316.
RESULT_CODE DeleteLocalFile(const std::string& path);
// Creates and removes "x:\____TEMP.TMP" in the drive's root: 0, 300, 303, 304, 312.
RESULT_CODE ProbeDriveWritable(const std::string& path);
