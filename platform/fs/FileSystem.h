// File-system services on Windows paths, translated through the drive map: drive probe by
// attributes, free space, current directory, folder creation, directory search for one entry,
// file status and removal.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

constexpr std::uint32_t FILE_ATTR_READONLY = 0x01;
constexpr std::uint32_t FILE_ATTR_DIRECTORY = 0x10;
constexpr std::uint32_t FILE_ATTR_ARCHIVE = 0x20;
constexpr std::uint32_t FILE_ATTR_INVALID = 0xFFFFFFFFu;

// Attributes of the entry a path names (read-only = no owner write bit), or FILE_ATTR_INVALID
// when it cannot be reached: letter not mapped, directory missing, no such entry.
std::uint32_t GetPathAttributes(const std::string& windowsPath);

// Bytes available to an unprivileged user on the file system of the path (statvfs f_bavail *
// f_frsize). False when it cannot be read; the output is then left alone.
bool GetAvailableFreeSpace(const std::string& windowsPath, std::uint64_t& available);

// Makes the path's directory the process's current directory.
bool SetCurrentDirectoryPath(const std::string& windowsPath);

// Creates one folder with default permissions; fails when it exists or its parent is missing.
bool CreateOneDirectory(const std::string& windowsPath);

// Tests: a function told the Windows path of every folder created (nullptr: none).
using DirectoryObserver = void (*)(const std::string& windowsPath);
void SetCreateDirectoryObserver(DirectoryObserver observer);

// The first entry a directory search for a path reports. Names are literal (no wildcards).
struct CFindEntry {
    std::string m_strName;       // the last component of the path as given ("." and ".." too)
    std::uint32_t m_nAttributes; // as GetPathAttributes
};
// False when nothing matches; a path that ends in a separator matches nothing.
bool FindFirstEntry(const std::string& windowsPath, CFindEntry& entry);

// The status of a file: its attribute byte and its times in seconds since 1970 (0 = none).
struct CFileStatus {
    std::uint8_t m_nAttribute = 0;
    std::int64_t m_nCreateTime = 0; // the last status change where no creation time is kept
    std::int64_t m_nAccessTime = 0;
    std::int64_t m_nWriteTime = 0;
};

// Reads the status; false when the path cannot be reached.
bool GetFileStatus(const std::string& windowsPath, CFileStatus& status);

// Sets the attributes from the attribute byte (read-only: no write bits; otherwise the owner
// gets read and write) and each time that is not zero (the creation time cannot be set here).
// Throws CFileException on failure.
void SetFileStatus(const std::string& windowsPath, const CFileStatus& status);

// Removes a file; throws CFileException on failure.
void RemoveFile(const std::string& windowsPath);

} // namespace platform
