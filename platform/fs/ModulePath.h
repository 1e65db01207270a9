// The running program's own file as a Windows path (the stand-in for asking the system for
// the executable's full name).
#pragma once

#include <string>

namespace platform {

// The program's native path (/proc/self/exe) translated through the drive map; the native
// path unchanged when no mapped directory holds it; empty when it cannot be read.
std::string GetProgramWindowsPath();

// Tests: pretend the program lives at this native path (empty: back to the real one).
void SetProgramNativePathForTest(const std::string& nativePath);

} // namespace platform
