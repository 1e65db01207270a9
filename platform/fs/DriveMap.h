// The drive map: which native directory each Windows drive letter stands for, and the
// translation of Windows paths to native paths and back.
//
// The map comes from the environment variable PELIDOR_DRIVES, entries LETTER=DIRECTORY
// separated by ';' (letters case-insensitive, directories absolute, malformed entries ignored).
// Without the variable the map is C=$HOME;Z=/.
#pragma once

#include <string>

namespace platform {

class CDriveMap {
public:
    // Builds a map from a PELIDOR_DRIVES text. The first entry for a letter wins.
    static CDriveMap Parse(const std::string& text);

    // The directory of a drive letter; false when the letter is not mapped.
    bool Lookup(char letter, std::string& directory) const;

    // A Windows path ("C:\Work\file.bin", '\' and '/' both separators) to a native path under
    // the drive's directory. "." and ".." are resolved lexically and never climb above the
    // drive's directory. False when the path has no drive part, the letter is not mapped or
    // the path holds a zero byte.
    bool ToNative(const std::string& windowsPath, std::string& nativePath) const;

    // A native absolute path back to a Windows path: the mapped directory that is the longest
    // prefix at a component boundary gives the letter, '/' becomes '\'. A path under no mapped
    // directory comes back unchanged.
    std::string FromNative(const std::string& nativePath) const;

private:
    std::string m_arrDirs[26]; // empty: letter not mapped
};

// The default map text for a home directory: "C=HOME;Z=/" (just "Z=/" without a home).
std::string DefaultDriveMapText(const std::string& home);

// The process's map, read from the environment on first use and read again whenever the text
// of PELIDOR_DRIVES (or, without it, HOME) has changed since.
bool WindowsToNativePath(const std::string& windowsPath, std::string& nativePath);
std::string NativeToWindowsPath(const std::string& nativePath);
bool LookupDrive(char letter, std::string& directory);

// Reads the environment again now.
void ReloadDriveMap();

} // namespace platform
