// Linux: the file class over open(O_CLOEXEC), flock, write and fdatasync.
#include "platform/fs/File.h"

#include "platform/fs/DriveMap.h"
#include "platform/fs/FsFaults.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// Opens an existing file, or creates it when create is set; tells whether it was created.
int OpenOrCreate(const char* native, int accessFlags, bool create, bool& created) {
    created = false;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int fd = ::open(native, accessFlags | O_CLOEXEC);
        if (fd >= 0 || !create || errno != ENOENT)
            return fd;
        const int fresh = ::open(native, accessFlags | O_CLOEXEC | O_CREAT | O_EXCL, 0666);
        if (fresh >= 0) {
            created = true;
            return fresh;
        }
        if (errno != EEXIST)
            return -1;
        // Another process created it in between: open the existing file.
    }
    return -1;
}

} // namespace

CFile::~CFile() {
    if (m_nFd < 0)
        return;
    try {
        FlushBuffer();
    } catch (const CFileException&) {
    }
    Abort();
}

bool CFile::Open(const std::string& windowsPath, unsigned flags) {
    if (m_nFd >= 0)
        return false;
    int access = 0;
    switch (flags & 0x3) {
    case modeRead:
        access = O_RDONLY;
        break;
    case modeWrite:
        access = O_WRONLY;
        break;
    case modeReadWrite:
        access = O_RDWR;
        break;
    default:
        return false;
    }
    const bool writable = access != O_RDONLY;
    const bool create = (flags & modeCreate) != 0;
    const bool truncate = create && (flags & modeNoTruncate) == 0;

    std::string native;
    if (!WindowsToNativePath(windowsPath, native))
        return false;
    if ((writable || create) && IsDriveReadOnly(windowsPath[0]))
        return false;

    bool created = false;
    const int fd = OpenOrCreate(native.c_str(), access, create, created);
    if (fd < 0)
        return false;

    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
    // The read-only attribute holds for everyone, as it does on Windows, root included.
    if (ok && writable && !created && S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0)
        ok = false;
    // The lock comes before the truncation, so that an exclusive open never cuts a file that
    // another opener holds.
    if (ok && (flags & shareExclusive) != 0)
        ok = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    bool cut = false;
    if (ok && truncate && !created && S_ISREG(st.st_mode) && st.st_size != 0)
        ok = cut = ::ftruncate(fd, 0) == 0;
    if (!ok) {
        ::close(fd);
        return false;
    }

    m_nFd = fd;
    m_bWritable = writable;
    m_bWriteFailed = false;
    m_bContentChanged = cut;
    m_arrBuffer.clear();
    if (writable)
        m_arrBuffer.reserve(kBufferSize);
    return true;
}

void CFile::WriteOut(const char* bytes, std::size_t count) {
    while (count > 0) {
        m_bContentChanged = true;
        const ssize_t n = ::write(m_nFd, bytes, count);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_bWriteFailed = true;
            throw CFileException(std::string("write failed: ") + std::strerror(errno), errno);
        }
        bytes += n;
        count -= static_cast<std::size_t>(n);
    }
}

void CFile::FlushBuffer() {
    if (m_arrBuffer.empty())
        return;
    std::vector<char> pending;
    pending.swap(m_arrBuffer);
    m_arrBuffer.reserve(kBufferSize);
    WriteOut(pending.data(), pending.size());
}

void CFile::Write(const void* bytes, std::uint32_t count) {
    if (m_nFd < 0)
        throw CFileException("write on a file that is not open", EBADF);
    if (!m_bWritable)
        throw CFileException("write on a file opened for reading", EBADF);
    if (count == 0)
        return;
    const char* data = static_cast<const char*>(bytes);
    if (m_arrBuffer.size() + count > kBufferSize)
        FlushBuffer();
    if (count >= kBufferSize) {
        WriteOut(data, count);
        return;
    }
    m_arrBuffer.insert(m_arrBuffer.end(), data, data + count);
}

void CFile::Close() {
    if (m_nFd < 0)
        return;
    if (m_bWritable) {
        FlushBuffer();
        if (m_bWriteFailed)
            throw CFileException("close after a failed write", EIO);
        if (HasFsFault(EFsFault::FlushFails))
            throw CFileException("flush failed (simulated)", EIO);
        // Nothing written or cut through this handle: no byte to bring to disk. This spares
        // the writability probe, created and deleted for every download, a disk flush.
        // Devices and pipes cannot be synchronised (EINVAL); that is not a lost write.
        if (m_bContentChanged && ::fdatasync(m_nFd) != 0 && errno != EINVAL && errno != EROFS)
            throw CFileException(std::string("flush failed: ") + std::strerror(errno), errno);
    }
    const int fd = m_nFd;
    m_nFd = -1;
    m_arrBuffer.clear();
    if (::close(fd) != 0 && errno != EINTR)
        throw CFileException(std::string("close failed: ") + std::strerror(errno), errno);
}

void CFile::Abort() noexcept {
    m_arrBuffer.clear();
    if (m_nFd >= 0)
        ::close(m_nFd);
    m_nFd = -1;
}

} // namespace platform
