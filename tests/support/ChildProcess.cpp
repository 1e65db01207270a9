// Runs a program to its end with captured output and a time limit.
#include "tests/support/ChildProcess.h"

namespace testsupport {

ChildResult RunChild(const std::string& program, const std::vector<std::string>& args,
                     const Environment& env, int timeoutMs) {
    ChildResult result;
    platform::CChildProcess child;
    result.started = child.Start(program, args, env, true);
    if (!result.started)
        return result;
    if (!child.Wait(timeoutMs)) {
        result.timedOut = true;
        child.Kill();
    }
    result.exitStatus = child.ExitStatus();
    result.output = child.Output();
    result.errors = child.Errors();
    return result;
}

} // namespace testsupport
