// Linux: a named guard is a Unix-domain socket bound to an address in the abstract namespace.
// bind() fails with EADDRINUSE when the name is held, so creation and the existence test are
// one call; the kernel releases the name with the socket, also when the process crashes, and
// no file is left behind.
#include "platform/guard/NamedGuard.h"

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

struct GuardObject {
    int fd;
};

namespace {

std::string SessionId() {
    const char* session = std::getenv("XDG_SESSION_ID");
    if (session != nullptr && session[0] != '\0')
        return session;
    return std::to_string(static_cast<unsigned long>(getuid()));
}

std::string GuardRoot() {
    const char* root = std::getenv("NORVANE_GUARD_ROOT");
    if (root != nullptr && root[0] != '\0')
        return root;
    return "norvane";
}

} // namespace

std::string GuardAddressForProcess(const std::string& name) {
    return GuardAddress(name, GuardRoot(), SessionId());
}

GuardHandle CreateNamedGuard(const std::string& name, GuardStatus* status) {
    GuardStatus result = GuardStatus::Failed;
    GuardHandle handle = nullptr;
    const std::string address = GuardAddressForProcess(name);

    sockaddr_un socketAddress{};
    socketAddress.sun_family = AF_UNIX;
    // Abstract address: a leading zero byte, then the name; its length is given explicitly.
    const bool fits = address.size() + 1 <= sizeof(socketAddress.sun_path) &&
                      address.find('\0') == std::string::npos;
    if (fits) {
        std::memcpy(socketAddress.sun_path + 1, address.data(), address.size());
        const auto length =
            static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + address.size());
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd >= 0) {
            if (bind(fd, reinterpret_cast<const sockaddr*>(&socketAddress), length) == 0) {
                handle = new GuardObject{fd};
                result = GuardStatus::Created;
            } else {
                result = errno == EADDRINUSE ? GuardStatus::AlreadyExists : GuardStatus::Failed;
                close(fd);
            }
        }
    }
    if (status != nullptr)
        *status = result;
    return handle;
}

void CloseNamedGuard(GuardHandle handle) {
    if (handle == nullptr)
        return;
    close(handle->fd);
    delete handle;
}

} // namespace platform
