// Linux: chdir and getcwd.
#include "platform/process/CurrentDirectory.h"

#include <climits>
#include <unistd.h>

namespace platform {

bool SetCurrentNativeDirectory(const std::string& nativePath) {
    return ::chdir(nativePath.c_str()) == 0;
}

std::string GetCurrentNativeDirectory() {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) == nullptr)
        return {};
    return buffer;
}

} // namespace platform
