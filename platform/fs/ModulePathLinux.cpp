// Linux: the program's own file from /proc/self/exe.
#include "platform/fs/ModulePath.h"

#include "platform/fs/DriveMap.h"

#include <mutex>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

std::mutex g_csOverride;
std::string g_strOverride;

std::string ReadSelfExe() {
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return {};
        if (static_cast<std::size_t>(n) < buffer.size())
            return std::string(buffer.data(), static_cast<std::size_t>(n));
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

std::string GetProgramWindowsPath() {
    std::string native;
    {
        std::lock_guard<std::mutex> lock(g_csOverride);
        native = g_strOverride;
    }
    if (native.empty())
        native = ReadSelfExe();
    if (native.empty())
        return {};
    return NativeToWindowsPath(native);
}

void SetProgramNativePathForTest(const std::string& nativePath) {
    std::lock_guard<std::mutex> lock(g_csOverride);
    g_strOverride = nativePath;
}

} // namespace platform
