#include "tests/support/BuildPaths.h"

namespace testsupport {

std::string BuildDir() { return NORVANE_BUILD_DIR; }
std::string ProgramPath(const std::string& name) { return BuildDir() + "/bin/" + name; }
std::string SourceDir() { return NORVANE_SOURCE_DIR; }

} // namespace testsupport
