// The drive map: parsing of PELIDOR_DRIVES and the path translations (portable logic).
#include "platform/fs/DriveMap.h"

#include "platform/process/CodePage.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>
#include <vector>

namespace platform {
namespace {

int LetterIndex(char letter) {
    if (letter >= 'A' && letter <= 'Z')
        return letter - 'A';
    if (letter >= 'a' && letter <= 'z')
        return letter - 'a';
    return -1;
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// Removes trailing slashes, keeping "/" itself.
std::string WithoutTrailingSlash(std::string dir) {
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return dir;
}

// The components of the part after "X:", split at '\' and '/'. The second byte of a
// double-byte character is never taken for a separator.
std::vector<std::string> Components(const std::string& rest) {
    std::vector<std::string> parts;
    std::string current;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(rest[i]);
        if (IsLeadByte(byte) && i + 1 < rest.size()) {
            current += rest[i];
            current += rest[++i];
            continue;
        }
        if (byte == '\\' || byte == '/') {
            parts.push_back(current);
            current.clear();
        } else {
            current += rest[i];
        }
    }
    parts.push_back(current);
    return parts;
}

std::mutex g_csMap;
std::shared_ptr<const CDriveMap> g_pMap;
std::string g_strMapSource; // the environment text the map was built from

// The text the map is built from: PELIDOR_DRIVES when set, else the default over $HOME.
std::string MapSource() {
    if (const char* text = std::getenv("PELIDOR_DRIVES"))
        return text;
    const char* home = std::getenv("HOME");
    return DefaultDriveMapText(home ? home : "");
}

// The map is built again whenever the environment text differs from the one it came from, so
// a test that changes PELIDOR_DRIVES needs no other step.
std::shared_ptr<const CDriveMap> CurrentMap(bool force = false) {
    const std::string source = MapSource();
    std::lock_guard<std::mutex> lock(g_csMap);
    if (force || !g_pMap || source != g_strMapSource) {
        g_pMap = std::make_shared<CDriveMap>(CDriveMap::Parse(source));
        g_strMapSource = source;
    }
    return g_pMap;
}

} // namespace

CDriveMap CDriveMap::Parse(const std::string& text) {
    CDriveMap map;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(';', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string entry = text.substr(start, end - start);
        start = end + 1;

        const auto eq = entry.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string letter = Trimmed(entry.substr(0, eq));
        const std::string dir = Trimmed(entry.substr(eq + 1));
        if (letter.size() != 1 || LetterIndex(letter[0]) < 0)
            continue;
        if (dir.empty() || dir[0] != '/' || dir.find('\0') != std::string::npos)
            continue;
        std::string& slot = map.m_arrDirs[LetterIndex(letter[0])];
        if (slot.empty())
            slot = WithoutTrailingSlash(dir);
    }
    return map;
}

bool CDriveMap::Lookup(char letter, std::string& directory) const {
    const int index = LetterIndex(letter);
    if (index < 0 || m_arrDirs[index].empty())
        return false;
    directory = m_arrDirs[index];
    return true;
}

bool CDriveMap::ToNative(const std::string& windowsPath, std::string& nativePath) const {
    if (windowsPath.size() < 2 || windowsPath[1] != ':')
        return false;
    if (windowsPath.find('\0') != std::string::npos)
        return false;
    std::string dir;
    if (!Lookup(windowsPath[0], dir))
        return false;

    std::vector<std::string> kept;
    for (const std::string& part : Components(windowsPath.substr(2))) {
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!kept.empty())
                kept.pop_back();
            continue;
        }
        kept.push_back(part);
    }
    std::string out = dir;
    for (const std::string& part : kept) {
        if (out.back() != '/')
            out += '/';
        out += part;
    }
    nativePath = out;
    return true;
}

std::string CDriveMap::FromNative(const std::string& nativePath) const {
    // The letter whose directory is the longest prefix of the path at a component boundary.
    auto bestMatch = [&nativePath](const std::string(&dirs)[26], std::size_t& length) {
        int best = -1;
        for (int i = 0; i < 26; ++i) {
            const std::string& dir = dirs[i];
            if (dir.empty() || nativePath.compare(0, dir.size(), dir) != 0)
                continue;
            const bool boundary =
                dir == "/" || nativePath.size() == dir.size() || nativePath[dir.size()] == '/';
            if (boundary && (best < 0 || dir.size() > length)) {
                best = i;
                length = dir.size();
            }
        }
        return best;
    };

    std::size_t length = 0;
    int best = bestMatch(m_arrDirs, length);
    const std::string* dirs = m_arrDirs;
    std::string canonical[26];
    if (best < 0) {
        // The program's own path comes without symbolic links: try each directory that way.
        for (int i = 0; i < 26; ++i) {
            if (m_arrDirs[i].empty())
                continue;
            std::error_code ec;
            const auto resolved = std::filesystem::weakly_canonical(m_arrDirs[i], ec);
            if (!ec)
                canonical[i] = WithoutTrailingSlash(resolved.string());
        }
        best = bestMatch(canonical, length);
        dirs = canonical;
    }
    if (best < 0)
        return nativePath;

    std::string rest = nativePath.substr(dirs[best] == "/" ? 1 : length);
    if (!rest.empty() && rest[0] == '/')
        rest.erase(0, 1);
    std::string out;
    out += static_cast<char>('A' + best);
    out += ":\\";
    for (char c : rest)
        out += (c == '/') ? '\\' : c;
    return out;
}

std::string DefaultDriveMapText(const std::string& home) {
    if (home.empty() || home[0] != '/')
        return "Z=/";
    return "C=" + home + ";Z=/";
}

bool WindowsToNativePath(const std::string& windowsPath, std::string& nativePath) {
    return CurrentMap()->ToNative(windowsPath, nativePath);
}

std::string NativeToWindowsPath(const std::string& nativePath) {
    return CurrentMap()->FromNative(nativePath);
}

bool LookupDrive(char letter, std::string& directory) {
    return CurrentMap()->Lookup(letter, directory);
}

void ReloadDriveMap() {
    CurrentMap(true);
}

} // namespace platform
