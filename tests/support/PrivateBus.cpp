// A private D-Bus session daemon, started with posix_spawn; its address is read from a pipe.
#include "tests/support/PrivateBus.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace testsupport {

namespace {

constexpr int kStartLimitMs = 10'000;

long long NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

} // namespace

PrivateBus::PrivateBus() : m_pid(-1) {
    static std::atomic<int> s_nCounter{0};
    m_strGuardRoot =
        "norvane-test-" + std::to_string(getpid()) + "-" + std::to_string(s_nCounter.fetch_add(1));

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    // Its warnings (fd limits when not run by the system) would only clutter test output.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    char arg0[] = "dbus-daemon", arg1[] = "--session", arg2[] = "--nofork",
         arg3[] = "--print-address=1";
    char* argv[] = {arg0, arg1, arg2, arg3, nullptr};
    const int r = posix_spawnp(&m_pid, "dbus-daemon", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (r != 0) {
        m_pid = -1;
        close(fds[0]);
        return;
    }

    // The daemon prints its address and a line feed once it listens.
    std::string text;
    const long long deadline = NowMs() + kStartLimitMs;
    while (text.find('\n') == std::string::npos) {
        const long long left = deadline - NowMs();
        if (left <= 0)
            break;
        pollfd pfd{fds[0], POLLIN, 0};
        const int ready = poll(&pfd, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        char buffer[512];
        const ssize_t n = read(fds[0], buffer, sizeof(buffer));
        if (n <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    const std::size_t end = text.find('\n');
    if (end != std::string::npos)
        m_strAddress = text.substr(0, end);
}

PrivateBus::~PrivateBus() {
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    int status = 0;
    while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
}

std::vector<std::pair<std::string, std::string>> PrivateBus::SessionEnvironment() const {
    return {{"DBUS_SESSION_BUS_ADDRESS", m_strAddress}, {"NORVANE_GUARD_ROOT", m_strGuardRoot}};
}

} // namespace testsupport
