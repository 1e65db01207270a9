// Linux: child processes with posix_spawn, output through pipes read with poll, and a bounded
// wait that polls waitpid. Everything opened here is close-on-exec, so a child inherits only
// its three standard streams.
#include "platform/spawn/ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace platform {

struct ChildState {
    pid_t pid = -1;
    int outFd = -1;
    int errFd = -1;
};

namespace {

long long NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void CloseFd(int& fd) {
    if (fd >= 0)
        close(fd);
    fd = -1;
}

// Reads what is available from fd into text; closes fd at end of file.
void Drain(int& fd, std::string& text) {
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof(buffer));
        if (n > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        CloseFd(fd);
        return;
    }
}

std::vector<std::string>
MergedEnvironment(const std::vector<std::pair<std::string, std::string>>& extra) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        bool replaced = false;
        for (const auto& [key, value] : extra)
            replaced = replaced || key == name;
        if (!replaced)
            result.push_back(text);
    }
    for (const auto& [key, value] : extra)
        result.push_back(key + "=" + value);
    return result;
}

} // namespace

CChildProcess::CChildProcess() : m_pState(new ChildState), m_nExitStatus(-1), m_bExited(false) {}

CChildProcess::~CChildProcess() {
    Kill();
    CloseFd(m_pState->outFd);
    CloseFd(m_pState->errFd);
    delete m_pState;
}

bool CChildProcess::Start(const std::string& program, const std::vector<std::string>& args,
                          const std::vector<std::pair<std::string, std::string>>& env,
                          bool capture) {
    if (m_pState->pid > 0)
        return false;
    m_bExited = false;
    m_nExitStatus = -1;
    m_strOutput.clear();
    m_strErrors.clear();

    int outPipe[2] = {-1, -1};
    int errPipe[2] = {-1, -1};
    if (capture && (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0)) {
        CloseFd(outPipe[0]);
        CloseFd(outPipe[1]);
        return false;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (capture) {
        // dup2 onto 1 and 2 clears close-on-exec for the child's copies only.
        posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    }

    std::vector<std::string> argStrings;
    argStrings.push_back(program);
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& text : argStrings)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    std::vector<std::string> envStrings = MergedEnvironment(env);
    std::vector<char*> envp;
    for (auto& text : envStrings)
        envp.push_back(text.data());
    envp.push_back(nullptr);

    pid_t pid = -1;
    const int r =
        program.find('/') == std::string::npos
            ? posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data())
            : posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    CloseFd(outPipe[1]);
    CloseFd(errPipe[1]);
    if (r != 0) {
        CloseFd(outPipe[0]);
        CloseFd(errPipe[0]);
        return false;
    }
    m_pState->pid = pid;
    m_pState->outFd = outPipe[0];
    m_pState->errFd = errPipe[0];
    for (int fd : {m_pState->outFd, m_pState->errFd})
        if (fd >= 0)
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    return true;
}

bool CChildProcess::Running() const {
    return m_pState->pid > 0;
}

bool CChildProcess::Wait(int timeoutMs) {
    if (m_pState->pid <= 0)
        return m_bExited;
    const long long deadline = NowMs() + (timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(m_pState->pid, &status, WNOHANG);
        if (done == m_pState->pid) {
            m_pState->pid = -1;
            m_bExited = true;
            m_nExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            // The child is gone; collect what is left in the pipes (a grandchild that still
            // holds them open is not waited for).
            if (m_pState->outFd >= 0)
                Drain(m_pState->outFd, m_strOutput);
            if (m_pState->errFd >= 0)
                Drain(m_pState->errFd, m_strErrors);
            CloseFd(m_pState->outFd);
            CloseFd(m_pState->errFd);
            return true;
        }
        if (done < 0 && errno != EINTR) {
            m_pState->pid = -1;
            return false;
        }
        const long long now = NowMs();
        if (now >= deadline)
            return false;
        // Read output while waiting so that a talkative child does not block on a full pipe.
        pollfd fds[2];
        nfds_t count = 0;
        for (int fd : {m_pState->outFd, m_pState->errFd})
            if (fd >= 0)
                fds[count++] = pollfd{fd, POLLIN, 0};
        const int slice = static_cast<int>(std::min<long long>(20, deadline - now));
        if (count == 0) {
            poll(nullptr, 0, slice);
            continue;
        }
        if (poll(fds, count, slice) > 0) {
            if (m_pState->outFd >= 0)
                Drain(m_pState->outFd, m_strOutput);
            if (m_pState->errFd >= 0)
                Drain(m_pState->errFd, m_strErrors);
        }
    }
}

void CChildProcess::Detach() {
    m_pState->pid = -1;
    CloseFd(m_pState->outFd);
    CloseFd(m_pState->errFd);
}

void CChildProcess::Kill() {
    if (m_pState->pid <= 0)
        return;
    kill(m_pState->pid, SIGKILL);
    int status = 0;
    while (waitpid(m_pState->pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pState->pid = -1;
    m_bExited = true;
    m_nExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    CloseFd(m_pState->outFd);
    CloseFd(m_pState->errFd);
}

} // namespace platform
