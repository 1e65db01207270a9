// Runs a program as a child process with extra environment variables and collects its exit
// status and output, bounded in time.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace corvaletest {

struct ChildResult {
    int nExitCode = -1; // -1 when the child did not exit normally (signal, time-out)
    std::string strOut;
    std::string strErr;
};

struct ChildOptions {
    std::map<std::string, std::string> mapEnv; // set in the child's environment
    bool bUnprivileged = false;                // the child drops to the user "nobody" first
};

// A started child; Wait collects it. Children of one CChildGate start their program only when
// the gate opens, so that several of them begin at the same moment.
class CChildGate {
public:
    CChildGate();
    ~CChildGate();
    CChildGate(const CChildGate&) = delete;
    CChildGate& operator=(const CChildGate&) = delete;
    void Open();
    int ReadEnd() const { return m_nRead; }
    int WriteEnd() const { return m_nWrite; }

private:
    int m_nRead = -1;
    int m_nWrite = -1;
};

class CChild {
public:
    CChild(const std::vector<std::string>& arrArgs, const ChildOptions& options,
           const CChildGate* pGate = nullptr);
    ~CChild();
    CChild(const CChild&) = delete;
    CChild& operator=(const CChild&) = delete;
    // Waits at most 60 seconds, then kills the child.
    ChildResult Wait();

private:
    int m_nPid = -1;
    int m_nOut = -1;
    int m_nErr = -1;
    bool m_bWaited = false;
};

ChildResult RunChild(const std::vector<std::string>& arrArgs, const ChildOptions& options = {});

} // namespace corvaletest
