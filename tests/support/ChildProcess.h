// Runs a program as a child of the test: arguments, extra environment variables, captured
// standard output and standard error, a bounded wait, the exit status. A child that does not
// end in time is killed, so a test never hangs on it.
#pragma once

#include "platform/spawn/ChildProcess.h"

#include <string>
#include <utility>
#include <vector>

namespace testsupport {

using Environment = std::vector<std::pair<std::string, std::string>>;

struct ChildResult {
    bool started = false;  // the program could be started
    bool timedOut = false; // it did not end within the limit and was killed
    int exitStatus = -1;   // its exit status; 128 + signal when a signal ended it
    std::string output;    // what it wrote to standard output
    std::string errors;    // what it wrote to standard error
};

// Runs program with args and env (set on top of this process's environment) and waits up to
// timeoutMs for it to end.
ChildResult RunChild(const std::string& program, const std::vector<std::string>& args,
                     const Environment& env = {}, int timeoutMs = 30'000);

// For a child that runs alongside the test: platform::CChildProcess with capture on.
//   platform::CChildProcess child;
//   child.Start(program, args, env, true); ...; child.Wait(ms); child.ExitStatus()
// It is killed when the object goes out of scope while it still runs.

} // namespace testsupport
