// A child process: a program started with arguments and extra environment variables, its
// standard output and standard error optionally captured, waited for with a time limit.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace platform {

struct ChildState;

class CChildProcess {
public:
    CChildProcess();
    // A child still running is killed and reaped.
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    // Starts program (a path; no search of PATH unless it holds no "/") with args (without the
    // program's name). env entries are set on top of this process's environment, replacing a
    // variable of the same name. With capture, standard output and standard error go to
    // pipes that Wait reads; without it the child shares this process's streams. False when
    // the program could not be started.
    bool Start(const std::string& program, const std::vector<std::string>& args,
               const std::vector<std::pair<std::string, std::string>>& env = {},
               bool capture = false);

    // Waits up to timeoutMs for the child to end, collecting captured output meanwhile.
    // True when it ended; false on time-out (it keeps running) or when none was started.
    bool Wait(int timeoutMs);
    // Ends the child with SIGKILL and reaps it.
    void Kill();
    // Lets a running child go on by itself: it is no longer waited for nor killed here.
    void Detach();

    bool Running() const;
    // Exit status when it exited normally; 128 + signal number when a signal ended it.
    int ExitStatus() const { return m_nExitStatus; }
    bool Exited() const { return m_bExited; }
    const std::string& Output() const { return m_strOutput; }
    const std::string& Errors() const { return m_strErrors; }

private:
    ChildState* m_pState;
    int m_nExitStatus;
    bool m_bExited;
    std::string m_strOutput;
    std::string m_strErrors;
};

} // namespace platform
