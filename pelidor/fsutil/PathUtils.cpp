// Windows path utilities: the split into drive, folder, title and extension, the single parts,
// the path next to the running program and the trailing backslash.
#include "pelidor/fsutil/PathUtils.h"

#include "platform/fs/ModulePath.h"
#include "platform/process/CodePage.h"

#include <cstring>

namespace {

constexpr std::size_t kPartLimit = 255; // folder, title and extension: 255 bytes each

struct SPathParts {
    std::string m_strDrive;
    std::string m_strFolder;
    std::string m_strTitle;
    std::string m_strExtension;
};

// The four parts of a zero-terminated path; all empty when a part exceeds its limit.
SPathParts Split(const std::string& path) {
    const char* text = path.c_str();
    const std::size_t length = std::strlen(text);
    SPathParts parts;

    std::size_t scanStart = 0;
    if (length >= 2 && text[1] == ':')
        scanStart = 2;

    std::size_t titleStart = scanStart;
    std::size_t lastDot = std::string::npos;
    for (std::size_t i = scanStart; i < length; ++i) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (platform::IsLeadByte(byte) && i + 1 < length) {
            ++i; // the second byte belongs to the character and is not examined
            continue;
        }
        if (byte == '\\' || byte == '/')
            titleStart = i + 1;
        else if (byte == '.')
            lastDot = i;
    }

    std::size_t titleEnd = length;
    if (lastDot != std::string::npos && lastDot >= titleStart)
        titleEnd = lastDot;

    const std::size_t folderLength = titleStart - scanStart;
    const std::size_t titleLength = titleEnd - titleStart;
    const std::size_t extensionLength = length - titleEnd;
    if (folderLength > kPartLimit || titleLength > kPartLimit || extensionLength > kPartLimit)
        return parts;

    parts.m_strDrive.assign(text, scanStart);
    parts.m_strFolder.assign(text + scanStart, folderLength);
    parts.m_strTitle.assign(text + titleStart, titleLength);
    parts.m_strExtension.assign(text + titleEnd, extensionLength);
    return parts;
}

} // namespace

void SplitPath(const std::string& path, std::string* drive, std::string* folder, std::string* title,
               std::string* extension) {
    const SPathParts parts = Split(path);
    if (drive)
        *drive = parts.m_strDrive;
    if (folder)
        *folder = parts.m_strFolder;
    if (title)
        *title = parts.m_strTitle;
    if (extension)
        *extension = parts.m_strExtension;
}

RESULT_CODE GetDrivePart(const std::string& path, std::string& out, int addBackslash) {
    std::string drive;
    SplitPath(path, &drive, nullptr, nullptr, nullptr);
    if (drive.empty())
        return RC_PATH_PART_MISSING;
    if (addBackslash != 0)
        drive += '\\';
    out = drive;
    return RC_SUCCESS;
}

RESULT_CODE GetFolderPart(const std::string& path, std::string& out, int addBackslash) {
    std::string drive;
    std::string folder;
    SplitPath(path, &drive, &folder, nullptr, nullptr);
    if (drive.empty() || folder.empty())
        return RC_PATH_PART_MISSING;
    std::string result = drive + folder;
    // Only a folder part of exactly "\" keeps its separator: C:\ stays C:\, C:/ becomes C:.
    if (addBackslash == 0 && folder != "\\")
        result.pop_back();
    out = result;
    return RC_SUCCESS;
}

RESULT_CODE GetTitlePart(const std::string& path, std::string& out) {
    std::string title;
    SplitPath(path, nullptr, nullptr, &title, nullptr);
    if (title.empty())
        return RC_PATH_PART_MISSING;
    out = title;
    return RC_SUCCESS;
}

RESULT_CODE GetExtensionPart(const std::string& path, std::string& out) {
    SplitPath(path, nullptr, nullptr, nullptr, &out);
    return RC_SUCCESS;
}

RESULT_CODE MakeModuleRelativePath(std::string& out, const std::string& title,
                                   const std::string& extension) {
    const std::string program = platform::GetProgramWindowsPath();

    std::string programFolder;
    RESULT_CODE rc = GetFolderPart(program, programFolder, 1);
    if (rc != RC_SUCCESS)
        return rc;
    std::string programTitle;
    rc = GetTitlePart(program, programTitle);
    if (rc != RC_SUCCESS)
        return rc;
    std::string programExtension;
    GetExtensionPart(program, programExtension);

    if (title.empty() && extension.empty())
        out = program;
    else
        out = programFolder + (title.empty() ? programTitle : title) +
              (extension.empty() ? programExtension : extension);
    return RC_SUCCESS;
}

int ReverseFindMbcs(const char* text, int value) {
    int result = -1;
    for (int position = 0; text[position] != '\0'; ++position) {
        if (static_cast<signed char>(text[position]) == value)
            result = position;
        if (platform::IsLeadByte(static_cast<unsigned char>(text[position])) &&
            text[position + 1] != '\0')
            ++position;
    }
    return result;
}

std::string AddTrailingBackslash(const std::string& text) {
    std::string result = text;
    const int last = ReverseFindMbcs(result.c_str(), 0x5C);
    if (result.empty() || last < static_cast<int>(result.size()) - 1)
        result += '\\';
    return result;
}
