// The download job preparation: the mode from the parameter strings, the URLs, work folder and
// expected size from the command line or from a download list file, the URL filter, the size
// reduced to its digits, and the work folder made ready on its drive.
#include "pelidor/app/AppGlobals.h"
#include "pelidor/app/PelidorApp.h"
#include "pelidor/fsutil/DriveChecks.h"
#include "pelidor/fsutil/FileOps.h"
#include "pelidor/fsutil/PathUtils.h"
#include "platform/process/CodePage.h"
#include "platform/profile/ProfileFile.h"

#include <cstdint>
#include <cstdio>

namespace {

constexpr std::size_t kMaxSizeDigits = 14;

// The list file's path when the switch gave none with a drive letter: its title and extension
// next to the program, and without the program's extension when the switch gave none.
std::string ResolveListFile(const std::string& listSwitch) {
    std::string drive;
    std::string title;
    std::string extension;
    SplitPath(listSwitch, &drive, nullptr, &title, &extension);
    if (!drive.empty())
        return listSwitch;

    std::string listFile = listSwitch;
    // On failure the path stays as the switch gave it.
    MakeModuleRelativePath(listFile, title, extension);
    if (extension.empty()) {
        std::string folder;
        SplitPath(listFile, &drive, &folder, &title, nullptr);
        listFile = drive + folder + title;
    }
    return listFile;
}

// A URL's first characters against the scheme, ASCII letters without regard to case.
bool StartsWithScheme(const std::string& url, const std::string& scheme) {
    if (url.size() < scheme.size())
        return false;
    for (std::size_t i = 0; i < scheme.size(); ++i) {
        char a = url[i];
        char b = scheme[i];
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = static_cast<char>(b - 'A' + 'a');
        if (a != b)
            return false;
    }
    return true;
}

} // namespace

RESULT_CODE CPelidorApp::PrepareJob() {
    m_arrUrls.clear();
    m_strWorkFolder.clear();
    m_strFileSize.clear();

    const bool commandLineMode =
        !g_strParamUrl.empty() && !g_strParamWork.empty() && g_strParamList.empty();
    const bool listMode =
        !g_strParamList.empty() && g_strParamUrl.empty() && g_strParamWork.empty();
    if (!commandLineMode && !listMode)
        return RC_BAD_PARAMETERS;

    if (commandLineMode) {
        m_arrUrls.push_back(g_strParamUrl);
        m_strWorkFolder = g_strParamWork;
        m_strFileSize = g_strParamSize;
    } else {
        const std::string listFile = ResolveListFile(g_strParamList);
        std::string value;
        for (std::uint64_t n = 0;; ++n) {
            char index[24];
            std::snprintf(index, sizeof index, "%03llu", static_cast<unsigned long long>(n));
            if (!ReadListValue(listFile, m_strSection, m_strFileKey + index, value))
                break;
            m_arrUrls.push_back(value);
        }
        if (m_arrUrls.empty())
            return RC_LIST_INCOMPLETE;
        if (!ReadListValue(listFile, m_strSection, m_strWorkPathKey, m_strWorkFolder))
            return RC_LIST_INCOMPLETE;
        ReadListValue(listFile, m_strSection, m_strFileSizeKey, m_strFileSize);
    }

    // URL filter: the scheme in front where it is missing; entries that name no file go.
    const std::size_t schemeLength = m_strScheme.size();
    for (std::size_t i = 0; i < m_arrUrls.size();) {
        std::string& url = m_arrUrls[i];
        if (!StartsWithScheme(url, m_strScheme))
            url = m_strScheme + url;
        const std::size_t separator = url.find(m_chSeparator, schemeLength);
        if (separator == std::string::npos || url.back() == m_chSeparator)
            m_arrUrls.erase(m_arrUrls.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
    if (m_arrUrls.empty())
        return RC_NO_URL;

    std::string digits;
    for (const char c : m_strFileSize)
        if (c >= '0' && c <= '9')
            digits += c;
    m_strFileSize = digits;
    if (m_strFileSize.size() > kMaxSizeDigits)
        return RC_SIZE_TOO_LONG;
    std::uint64_t size = 0;
    for (const char c : m_strFileSize)
        size = size * 10 + static_cast<std::uint64_t>(c - '0');

    m_strWorkFolder = AddTrailingBackslash(m_strWorkFolder);
    if (ProbeDriveWritable(m_strWorkFolder) != RC_SUCCESS)
        return RC_WORK_FOLDER_UNUSABLE;
    if (size != 0 && CheckFreeSpace(m_strWorkFolder, size) != RC_SUCCESS)
        return RC_WORK_FOLDER_UNUSABLE;
    if (CreateFolderChain(m_strWorkFolder) != RC_SUCCESS)
        return RC_WORK_FOLDER_UNUSABLE;
    return RC_SUCCESS;
}

// The reader checks the file's identity at every call and parses it again whenever it may have
// changed, so each read sees the current contents without a cache flush before it.
bool CPelidorApp::ReadListValue(const std::string& listFile, const std::string& section,
                                const std::string& key, std::string& value) {
    value.clear();
    std::string text;
    if (!platform::ReadProfileValue(listFile, section, key, text))
        return false;

    // Each backslash followed by "n" becomes a line feed, left to right without overlaps. A
    // two-byte character is stepped over whole: its second byte may be a backslash.
    value.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (platform::IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < text.size()) {
            value += c;
            value += text[++i];
        } else if (c == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            value += '\n';
            ++i;
        } else {
            value += c;
        }
    }
    return true;
}
