// Locations of the build and source trees, for tests that start the built programs.
#pragma once

#include <string>

namespace testsupport {

// Absolute path of the CMake build directory (programs are in BuildDir()/bin).
std::string BuildDir();
// Absolute path of a built program, e.g. ProgramPath("pelidor").
std::string ProgramPath(const std::string& name);
// Absolute path of the source tree.
std::string SourceDir();

} // namespace testsupport
