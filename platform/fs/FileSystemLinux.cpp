// Linux: the file-system services over stat, statvfs, chdir, mkdir, chmod, utimensat, unlink.
#include "platform/fs/FileSystem.h"

#include "platform/fs/DriveMap.h"
#include "platform/fs/FileException.h"
#include "platform/fs/FsFaults.h"
#include "platform/process/CodePage.h"
#include "platform/process/CurrentDirectory.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/types.h>
#include <unistd.h>

namespace platform {
namespace {

std::uint32_t AttributesOf(const struct stat& st) {
    std::uint32_t attributes = S_ISDIR(st.st_mode) ? FILE_ATTR_DIRECTORY : FILE_ATTR_ARCHIVE;
    if ((st.st_mode & S_IWUSR) == 0)
        attributes |= FILE_ATTR_READONLY;
    return attributes;
}

// The last component of a Windows path, stepping over double-byte characters.
std::string LastComponent(const std::string& windowsPath) {
    std::size_t start = (windowsPath.size() >= 2 && windowsPath[1] == ':') ? 2 : 0;
    std::size_t afterSeparator = start;
    for (std::size_t i = start; i < windowsPath.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(windowsPath[i]);
        if (IsLeadByte(byte) && i + 1 < windowsPath.size()) {
            ++i;
            continue;
        }
        if (byte == '\\' || byte == '/')
            afterSeparator = i + 1;
    }
    return windowsPath.substr(afterSeparator);
}

std::atomic<DirectoryObserver> g_pObserver{nullptr};

bool IsOnReadOnlyDrive(const std::string& windowsPath) {
    return windowsPath.size() >= 2 && windowsPath[1] == ':' && IsDriveReadOnly(windowsPath[0]);
}

} // namespace

std::uint32_t GetPathAttributes(const std::string& windowsPath) {
    std::string native;
    struct stat st {};
    if (!WindowsToNativePath(windowsPath, native) || ::stat(native.c_str(), &st) != 0)
        return FILE_ATTR_INVALID;
    return AttributesOf(st);
}

bool GetAvailableFreeSpace(const std::string& windowsPath, std::uint64_t& available) {
    if (HasFsFault(EFsFault::FreeSpaceUnreadable))
        return false;
    std::string native;
    struct statvfs vfs {};
    if (!WindowsToNativePath(windowsPath, native) || ::statvfs(native.c_str(), &vfs) != 0)
        return false;
    available = static_cast<std::uint64_t>(vfs.f_bavail) * static_cast<std::uint64_t>(vfs.f_frsize);
    return true;
}

bool SetCurrentDirectoryPath(const std::string& windowsPath) {
    std::string native;
    return WindowsToNativePath(windowsPath, native) && SetCurrentNativeDirectory(native);
}

bool CreateOneDirectory(const std::string& windowsPath) {
    std::string native;
    if (IsOnReadOnlyDrive(windowsPath) || !WindowsToNativePath(windowsPath, native))
        return false;
    if (::mkdir(native.c_str(), 0777) != 0)
        return false;
    if (DirectoryObserver observer = g_pObserver.load())
        observer(windowsPath);
    return true;
}

void SetCreateDirectoryObserver(DirectoryObserver observer) {
    g_pObserver.store(observer);
}

bool FindFirstEntry(const std::string& windowsPath, CFindEntry& entry) {
    const std::string name = LastComponent(windowsPath);
    std::string native;
    struct stat st {};
    if (name.empty() || !WindowsToNativePath(windowsPath, native) ||
        ::stat(native.c_str(), &st) != 0)
        return false;
    entry.m_strName = name;
    entry.m_nAttributes = AttributesOf(st);
    return true;
}

bool GetFileStatus(const std::string& windowsPath, CFileStatus& status) {
    std::string native;
    struct stat st {};
    if (!WindowsToNativePath(windowsPath, native) || ::stat(native.c_str(), &st) != 0)
        return false;
    status.m_nAttribute = static_cast<std::uint8_t>(AttributesOf(st));
    status.m_nCreateTime = st.st_ctim.tv_sec;
    status.m_nAccessTime = st.st_atim.tv_sec;
    status.m_nWriteTime = st.st_mtim.tv_sec;
    return true;
}

void SetFileStatus(const std::string& windowsPath, const CFileStatus& status) {
    if (HasFsFault(EFsFault::StatusWriteFails))
        throw CFileException("status write failed (simulated)", 0);
    if (IsOnReadOnlyDrive(windowsPath))
        throw CFileException("status write: drive is write-protected", EROFS);
    std::string native;
    if (!WindowsToNativePath(windowsPath, native))
        throw CFileException("status write: path not on a mapped drive", ENOENT);
    struct stat st {};
    if (::stat(native.c_str(), &st) != 0)
        throw CFileException("status write: stat failed", errno);

    mode_t mode = st.st_mode & 07777;
    if (status.m_nAttribute & FILE_ATTR_READONLY)
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else
        mode |= S_IRUSR | S_IWUSR;
    if (mode != (st.st_mode & 07777) && ::chmod(native.c_str(), mode) != 0)
        throw CFileException("status write: chmod failed", errno);

    if (status.m_nAccessTime != 0 || status.m_nWriteTime != 0) {
        struct timespec times[2];
        times[0].tv_sec = status.m_nAccessTime;
        times[0].tv_nsec = status.m_nAccessTime != 0 ? 0 : UTIME_OMIT;
        times[1].tv_sec = status.m_nWriteTime;
        times[1].tv_nsec = status.m_nWriteTime != 0 ? 0 : UTIME_OMIT;
        if (::utimensat(AT_FDCWD, native.c_str(), times, 0) != 0)
            throw CFileException("status write: utimensat failed", errno);
    }
}

void RemoveFile(const std::string& windowsPath) {
    if (HasFsFault(EFsFault::RemoveFails))
        throw CFileException("remove failed (simulated)", 0);
    if (IsOnReadOnlyDrive(windowsPath))
        throw CFileException("remove: drive is write-protected", EROFS);
    std::string native;
    if (!WindowsToNativePath(windowsPath, native))
        throw CFileException("remove: path not on a mapped drive", ENOENT);
    if (::unlink(native.c_str()) != 0)
        throw CFileException("remove failed", errno);
}

} // namespace platform
