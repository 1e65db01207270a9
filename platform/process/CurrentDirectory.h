// The process's current directory, a setting of the whole process.
#pragma once

#include <string>

namespace platform {

// Changes the current directory to a native path; false on failure.
bool SetCurrentNativeDirectory(const std::string& nativePath);
// The current directory as a native path; empty when it cannot be read.
std::string GetCurrentNativeDirectory();

} // namespace platform
