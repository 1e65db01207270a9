// The library's own file and folder paths.
#include "corvale/LibraryFolder.h"

#include "platform/module/Module.h"

namespace corvale {
namespace {

// Any function of this module serves to find its file.
void LibraryAnchor() {}

} // namespace

std::string GetLibraryFile() {
    return platform::GetModuleFileOf(&LibraryAnchor);
}

std::string CutLibraryFolder(const std::string& strFile, bool bKeepSeparator) {
    std::size_t nCut = strFile.rfind('\\');
    if (nCut == std::string::npos)
        nCut = strFile.rfind('/');
    if (nCut == std::string::npos)
        return strFile;
    return strFile.substr(0, bKeepSeparator ? nCut + 1 : nCut);
}

std::string GetLibraryFolder(bool bKeepSeparator) {
    return CutLibraryFolder(GetLibraryFile(), bKeepSeparator);
}

std::string ModuleFolderOf(const std::string& strPath) {
    const std::size_t nLast = strPath.find_last_of("\\/");
    if (nLast != std::string::npos)
        return strPath.substr(0, nLast + 1);
    // No folder: only a drive ("C:name" gives "C:").
    if (strPath.size() >= 2 && strPath[1] == ':')
        return strPath.substr(0, 2);
    return {};
}

std::string FileTitleOf(const std::string& strPath) {
    const std::size_t nLast = strPath.find_last_of("\\/");
    std::string strName = nLast == std::string::npos ? strPath : strPath.substr(nLast + 1);
    const std::size_t nDot = strName.rfind('.');
    if (nDot != std::string::npos)
        strName.erase(nDot);
    return strName;
}

} // namespace corvale
