// The library's own file and the folders derived from paths: the library folder (the base of the
// companion module paths and the value of %InstallDir%) and a module's folder.
#pragma once

#include <string>

namespace corvale {

// Full path of the module this code is linked into (Corvale.so itself).
std::string GetLibraryFile();

// The folder of a file path, cut at its last backslash, else at its last "/"; a path with
// neither stays whole. bKeepSeparator keeps the separator ("C:\Prog\"), else it is cut off
// ("C:\Prog").
std::string CutLibraryFolder(const std::string& strFile, bool bKeepSeparator);

// The library folder of this library, as CutLibraryFolder gives it.
std::string GetLibraryFolder(bool bKeepSeparator);

// Drive and folder of a path joined, as the path splitter gives them ("C:\Prog\Connectors\Vindo\"
// for "C:\Prog\Connectors\Vindo\Vindo.fil"); both `\` and `/` separate.
std::string ModuleFolderOf(const std::string& strPath);

// The file name of a path without its extension: "Corvale" for ".../Corvale.so".
std::string FileTitleOf(const std::string& strPath);

} // namespace corvale
