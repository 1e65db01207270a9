#include "tests/support/TestFiles.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace testsupport {

std::string ReadWholeFile(const std::string& native) {
    std::ifstream in(native, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> FilesBelow(const std::string& root) {
    namespace fs = std::filesystem;
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files.push_back(fs::relative(entry.path(), root).string());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace testsupport
