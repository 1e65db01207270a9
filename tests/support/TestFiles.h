// Small file helpers for tests: read a whole file, list the files below a folder.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

// The whole content of a native file; empty when it cannot be read.
std::string ReadWholeFile(const std::string& native);
// Every regular file below root, as sorted paths relative to it.
std::vector<std::string> FilesBelow(const std::string& root);

} // namespace testsupport
