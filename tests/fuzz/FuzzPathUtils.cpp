// Fuzz target: the path utilities and the drive map, in a single-byte code page and in the
// double-byte code pages 932 and 936. The first byte picks the code page, the next ones the
// flags and the byte to search for; then come a drive map text and a path, split at the first
// newline. Checked: the four parts of a split join to the path whenever any part is non-empty
// (and are all empty only when the path has a part over 255 bytes); the single parts agree
// with the split and leave their output alone on failure; ReverseFindMbcs finds the last
// matching byte that begins a character; AddTrailingBackslash appends exactly when needed; a
// translated path stays under its drive's directory and translates back.
#include "pelidor/fsutil/PathUtils.h"
#include "platform/fs/DriveMap.h"
#include "platform/process/CodePage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const std::string kUntouched = "\x01untouched";

void Require(bool condition) {
    if (!condition)
        std::abort();
}

// The byte offsets at which a character begins, walking the text in the current code page.
std::vector<bool> CharacterStarts(const std::string& text) {
    std::vector<bool> starts(text.size(), false);
    for (std::size_t i = 0; i < text.size(); ++i) {
        starts[i] = true;
        if (platform::IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size())
            ++i;
    }
    return starts;
}

bool IsSeparator(char ch) {
    return ch == '\\' || ch == '/';
}

void CheckSplit(const std::string& path) {
    std::string drive = kUntouched, folder = kUntouched, title = kUntouched, extension = kUntouched;
    SplitPath(path, &drive, &folder, &title, &extension);
    const bool allEmpty = drive.empty() && folder.empty() && title.empty() && extension.empty();
    if (allEmpty) {
        // Only a path with a part over the limit, or the empty path, splits into nothing.
        Require(path.empty() || path.size() > 255);
    } else {
        Require(drive + folder + title + extension == path);
        Require(folder.size() <= 255 && title.size() <= 255 && extension.size() <= 255);
        Require(drive.empty() || (drive.size() == 2 && drive[1] == ':'));
        Require(drive.empty() == !(path.size() >= 2 && path[1] == ':'));
        const std::vector<bool> starts = CharacterStarts(path);
        if (!folder.empty()) {
            const std::size_t last = drive.size() + folder.size() - 1;
            Require(IsSeparator(path[last]) && starts[last]);
        }
        if (!extension.empty()) {
            const std::size_t dot = path.size() - extension.size();
            Require(path[dot] == '.' && starts[dot]);
        }
        // No separator that begins a character lies in the title or the extension, and no dot
        // that begins a character lies in the extension after its first byte.
        for (std::size_t i = drive.size() + folder.size(); i < path.size(); ++i) {
            if (!starts[i])
                continue;
            Require(!IsSeparator(path[i]));
            if (!extension.empty() && i > path.size() - extension.size())
                Require(path[i] != '.');
        }
    }

    // Asking for fewer parts gives the same parts.
    std::string onlyTitle = kUntouched;
    SplitPath(path, nullptr, nullptr, &onlyTitle, nullptr);
    Require(onlyTitle == title);

    // The single parts.
    for (int flag : {0, 1, -3}) {
        std::string out = kUntouched;
        RESULT_CODE rc = GetDrivePart(path, out, flag);
        if (drive.empty()) {
            Require(rc == RC_PATH_PART_MISSING && out == kUntouched);
        } else {
            Require(rc == RC_SUCCESS && out == (flag != 0 ? drive + "\\" : drive));
        }

        out = kUntouched;
        rc = GetFolderPart(path, out, flag);
        if (drive.empty() || folder.empty()) {
            Require(rc == RC_PATH_PART_MISSING && out == kUntouched);
        } else {
            std::string expected = drive + folder;
            if (flag == 0 && folder != "\\")
                expected.pop_back();
            Require(rc == RC_SUCCESS && out == expected);
        }
    }
    std::string out = kUntouched;
    RESULT_CODE rc = GetTitlePart(path, out);
    if (title.empty())
        Require(rc == RC_PATH_PART_MISSING && out == kUntouched);
    else
        Require(rc == RC_SUCCESS && out == title);
    out = kUntouched;
    Require(GetExtensionPart(path, out) == RC_SUCCESS && out == extension);
}

void CheckReverseFind(const std::string& text, int value) {
    const int found = ReverseFindMbcs(text.c_str(), value);
    const std::vector<bool> starts = CharacterStarts(text);
    int expected = -1;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (starts[i] && static_cast<signed char>(text[i]) == value)
            expected = static_cast<int>(i);
    Require(found == expected);
}

void CheckTrailingBackslash(const std::string& text) {
    const std::string result = AddTrailingBackslash(text);
    const std::vector<bool> starts = CharacterStarts(text);
    const bool endsInBackslash = !text.empty() && text.back() == '\\' && starts[text.size() - 1];
    Require(result == (endsInBackslash ? text : text + "\\"));
}

void CheckDriveMap(const std::string& text, const std::string& path) {
    const platform::CDriveMap map = platform::CDriveMap::Parse(text);
    std::string native = kUntouched;
    const bool ok = map.ToNative(path, native);
    std::string dir;
    const bool mapped = path.size() >= 2 && path[1] == ':' && map.Lookup(path[0], dir);
    if (!ok) {
        Require(native == kUntouched);
        Require(!mapped || path.find('\0') != std::string::npos);
        return;
    }
    Require(mapped);
    Require(!dir.empty() && dir[0] == '/');
    // The result is the drive's directory, or lies below it at a component boundary. Read the
    // way the system reads it, its components never climb above that directory. In a
    // single-byte code page it has no empty, "." or ".." component at all (in a double-byte
    // one a '/' that follows a lead byte is part of a name and may look like one).
    Require(native.compare(0, dir.size(), dir) == 0);
    if (native.size() > dir.size()) {
        const std::size_t restStart = dir == "/" ? 1 : dir.size() + 1;
        Require(dir == "/" || native[dir.size()] == '/');
        const std::string rest = native.substr(restStart);
        const bool singleByte = platform::GetCodePage() == 1252;
        long depth = 0;
        std::size_t start = 0;
        while (start <= rest.size()) {
            std::size_t end = rest.find('/', start);
            if (end == std::string::npos)
                end = rest.size();
            const std::string component = rest.substr(start, end - start);
            if (singleByte)
                Require(!component.empty() && component != "." && component != "..");
            if (component == "..") {
                Require(depth > 0);
                --depth;
            } else if (!component.empty() && component != ".") {
                ++depth;
            }
            start = end + 1;
        }
    }
    // Back again: a native path without backslashes in a single-byte code page translates to
    // a Windows path that gives the same native path.
    if (platform::GetCodePage() == 1252 && native.find('\\') == std::string::npos) {
        const std::string windows = map.FromNative(native);
        Require(windows.size() >= 3 && windows[1] == ':' && windows[2] == '\\');
        std::string again;
        Require(map.ToNative(windows, again) && again == native);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    static const int codePages[] = {1252, 932, 936};
    platform::SetCodePage(codePages[data[0] % 3]);
    const int value = static_cast<signed char>(data[1]);
    const std::string input(reinterpret_cast<const char*>(data + 2), size - 2);

    // The path functions take zero-terminated text: everything after a zero byte is not part
    // of the path.
    const std::size_t newline = input.find('\n');
    const std::string text = newline == std::string::npos ? "" : input.substr(0, newline);
    const std::string rawPath = newline == std::string::npos ? input : input.substr(newline + 1);
    const std::string path = rawPath.substr(0, std::strlen(rawPath.c_str()));

    CheckSplit(path);
    CheckReverseFind(path, value);
    CheckReverseFind(path, '\\');
    CheckTrailingBackslash(path);
    CheckDriveMap(text, rawPath);
    return 0;
}
