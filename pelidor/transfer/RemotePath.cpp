// The split of remote object paths.
#include "pelidor/transfer/RemotePath.h"

std::string GetRemoteFolder(const std::string& path, std::int32_t keepSeparator) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return "";
    if (keepSeparator != 0)
        return path.substr(0, slash + 1);
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string GetRemoteFileName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return "";
    return path.substr(slash + 1);
}
