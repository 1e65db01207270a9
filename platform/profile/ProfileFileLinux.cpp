// Linux: the profile file is read with open/fstat/read; the parsed copy of the last file is
// kept behind a lock together with the file's identity from fstat.
#include "platform/profile/ProfileFile.h"

#include "platform/fs/DriveMap.h"
#include "platform/profile/ProfileParser.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace platform {
namespace {

struct SFileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    bool operator==(const SFileIdentity& other) const {
        return device == other.device && inode == other.inode && size == other.size &&
               modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec &&
               changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
    }
};

SFileIdentity IdentityOf(const struct stat& status) {
    SFileIdentity identity;
    identity.device = status.st_dev;
    identity.inode = status.st_ino;
    identity.size = status.st_size;
    identity.modified = status.st_mtim;
    identity.changed = status.st_ctim;
    return identity;
}

bool Before(const timespec& a, const timespec& b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

// Whether a write after the moment `now` would be sure to give the file another change time.
// The file system stamps with the kernel's coarse clock, so a change time before the coarse
// time read before the file was opened cannot come again. File systems that keep whole (or
// even-numbered) seconds only are given two seconds.
bool StampIsSettled(const SFileIdentity& identity, timespec now) {
    if (identity.changed.tv_nsec == 0 && identity.modified.tv_nsec == 0)
        now.tv_sec -= 2;
    return Before(identity.changed, now);
}

struct SCachedFile {
    std::string strNativePath;
    SFileIdentity identity;
    bool bSettled = false;
    std::shared_ptr<const CProfileData> pData;
};

std::mutex g_csCache;
SCachedFile g_cache;

// Reads the whole regular file; false on any failure or when it is too large.
bool ReadWholeFile(const std::string& nativePath, std::string& contents, SFileIdentity& identity) {
    // O_NONBLOCK: a pipe put in place of the file must not stall the open.
    const int fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat status {};
    bool ok = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
              static_cast<unsigned long long>(status.st_size) <= PROFILE_FILE_MAX;
    if (ok) {
        identity = IdentityOf(status);
        contents.clear();
        // The size is only a hint: files of /proc report 0, and a file may grow while read.
        contents.reserve(static_cast<std::size_t>(status.st_size));
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                ok = false;
                break;
            }
            if (n == 0)
                break;
            if (contents.size() + static_cast<std::size_t>(n) > PROFILE_FILE_MAX) {
                ok = false;
                break;
            }
            contents.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    return ok;
}

// The parsed file: the cached copy while it is provably current, else a fresh read. Null when
// the file cannot be read.
std::shared_ptr<const CProfileData> CurrentData(const std::string& nativePath) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);

    struct stat status {};
    if (::stat(nativePath.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return nullptr;
    {
        std::lock_guard<std::mutex> lock(g_csCache);
        if (g_cache.pData && g_cache.bSettled && g_cache.strNativePath == nativePath &&
            g_cache.identity == IdentityOf(status))
            return g_cache.pData;
    }

    std::string contents;
    SFileIdentity identity;
    if (!ReadWholeFile(nativePath, contents, identity))
        return nullptr;
    auto data = std::make_shared<const CProfileData>(CProfileData::Parse(contents));

    std::lock_guard<std::mutex> lock(g_csCache);
    g_cache.strNativePath = nativePath;
    g_cache.identity = identity;
    g_cache.bSettled = StampIsSettled(identity, now);
    g_cache.pData = data;
    return data;
}

} // namespace

bool ReadProfileValue(const std::string& windowsPath, const std::string& section,
                      const std::string& key, std::string& value) {
    value.clear();
    std::string nativePath;
    if (!WindowsToNativePath(windowsPath, nativePath))
        return false;
    const std::shared_ptr<const CProfileData> data = CurrentData(nativePath);
    return data && data->Find(section, key, value);
}

} // namespace platform
