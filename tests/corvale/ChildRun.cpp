// Child processes for the registration tests: fork, exec, pipes for the output, a deadline.
#include "tests/corvale/ChildRun.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace corvaletest {
namespace {

constexpr auto kDeadline = std::chrono::seconds(60);
constexpr unsigned int kNobody = 65534;

std::vector<std::string> BuildEnvironment(const std::map<std::string, std::string>& mapEnv) {
    std::vector<std::string> arrEnv;
    for (char** p = environ; *p != nullptr; ++p) {
        const std::string strEntry = *p;
        const std::string strName = strEntry.substr(0, strEntry.find('='));
        if (mapEnv.count(strName) == 0)
            arrEnv.push_back(strEntry);
    }
    for (const auto& [strName, strValue] : mapEnv)
        arrEnv.push_back(strName + "=" + strValue);
    return arrEnv;
}

std::vector<char*> Pointers(std::vector<std::string>& arrText) {
    std::vector<char*> arrPtr;
    for (std::string& str : arrText)
        arrPtr.push_back(str.data());
    arrPtr.push_back(nullptr);
    return arrPtr;
}

} // namespace

CChildGate::CChildGate() {
    int arrFds[2];
    if (::pipe2(arrFds, O_CLOEXEC) == 0) {
        m_nRead = arrFds[0];
        m_nWrite = arrFds[1];
    }
}

CChildGate::~CChildGate() {
    Open();
    if (m_nRead >= 0)
        ::close(m_nRead);
}

void CChildGate::Open() {
    if (m_nWrite >= 0)
        ::close(m_nWrite);
    m_nWrite = -1;
}

CChild::CChild(const std::vector<std::string>& arrArgs, const ChildOptions& options,
               const CChildGate* pGate) {
    std::vector<std::string> arrArgText = arrArgs;
    std::vector<std::string> arrEnvText = BuildEnvironment(options.mapEnv);
    std::vector<char*> arrArgv = Pointers(arrArgText);
    std::vector<char*> arrEnvp = Pointers(arrEnvText);
    int arrOut[2];
    int arrErr[2];
    if (::pipe2(arrOut, O_CLOEXEC) != 0)
        return;
    if (::pipe2(arrErr, O_CLOEXEC) != 0) {
        ::close(arrOut[0]);
        ::close(arrOut[1]);
        return;
    }
    const int nGate = pGate ? pGate->ReadEnd() : -1;
    const int nGateWrite = pGate ? pGate->WriteEnd() : -1;
    m_nPid = ::fork();
    if (m_nPid == 0) {
        ::dup2(arrOut[1], STDOUT_FILENO);
        ::dup2(arrErr[1], STDERR_FILENO);
        if (nGate >= 0) {
            // The gate opens when every holder of its write end has closed it, this copy too.
            ::close(nGateWrite);
            char ch = 0;
            while (::read(nGate, &ch, 1) < 0 && errno == EINTR) {
            }
        }
        if (options.bUnprivileged &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            ::_exit(126);
        ::execve(arrArgv[0], arrArgv.data(), arrEnvp.data());
        ::_exit(127);
    }
    ::close(arrOut[1]);
    ::close(arrErr[1]);
    m_nOut = arrOut[0];
    m_nErr = arrErr[0];
}

CChild::~CChild() {
    if (m_nPid > 0 && !m_bWaited) {
        ::kill(m_nPid, SIGKILL);
        ::waitpid(m_nPid, nullptr, 0);
    }
    if (m_nOut >= 0)
        ::close(m_nOut);
    if (m_nErr >= 0)
        ::close(m_nErr);
}

ChildResult CChild::Wait() {
    ChildResult result;
    if (m_nPid <= 0 || m_bWaited)
        return result;
    const auto tEnd = std::chrono::steady_clock::now() + kDeadline;
    pollfd arrPoll[2] = {{m_nOut, POLLIN, 0}, {m_nErr, POLLIN, 0}};
    std::string* arrSink[2] = {&result.strOut, &result.strErr};
    int nOpen = 2;
    while (nOpen > 0) {
        const auto nLeft = std::chrono::duration_cast<std::chrono::milliseconds>(
                               tEnd - std::chrono::steady_clock::now())
                               .count();
        if (nLeft <= 0) {
            ::kill(m_nPid, SIGKILL);
            break;
        }
        if (::poll(arrPoll, 2, static_cast<int>(nLeft)) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (arrPoll[i].fd < 0 || arrPoll[i].revents == 0)
                continue;
            char szBuffer[4096];
            const ssize_t nRead = ::read(arrPoll[i].fd, szBuffer, sizeof szBuffer);
            if (nRead > 0) {
                arrSink[i]->append(szBuffer, static_cast<std::size_t>(nRead));
            } else if (nRead == 0 || errno != EINTR) {
                arrPoll[i].fd = -1;
                --nOpen;
            }
        }
    }
    int nStatus = 0;
    ::waitpid(m_nPid, &nStatus, 0);
    m_bWaited = true;
    if (WIFEXITED(nStatus))
        result.nExitCode = WEXITSTATUS(nStatus);
    return result;
}

ChildResult RunChild(const std::vector<std::string>& arrArgs, const ChildOptions& options) {
    CChild child(arrArgs, options);
    return child.Wait();
}

} // namespace corvaletest
