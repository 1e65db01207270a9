// The split of a job URL into server part, object path and file name, and the check that the
// file name stays inside the work folder.
#include "pelidor/app/JobUrl.h"

#include "platform/process/CodePage.h"

bool IsSafeJobFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    // A colon is never the second byte of a two-byte character, so any colon is refused.
    if (name.find(':') != std::string::npos)
        return false;
    // A backslash that is the second byte of a two-byte character is no separator, just as the
    // path translation reads it; the character is stepped over whole.
    for (std::size_t i = 0; i < name.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(name[i]);
        if (platform::IsLeadByte(byte) && i + 1 < name.size()) {
            ++i;
            continue;
        }
        if (byte == '\\')
            return false;
    }
    return true;
}

RESULT_CODE SplitJobUrl(const std::string& url, const std::string& scheme, char separator,
                        JobUrlParts& parts) {
    const std::size_t first = url.find(separator, scheme.size());
    if (first == std::string::npos)
        return RC_BAD_OBJECT_PATH;
    const std::size_t last = url.rfind(separator);
    std::string fileName = url.substr(last + 1);
    if (!IsSafeJobFileName(fileName))
        return RC_BAD_OBJECT_PATH;
    parts.strServer = url.substr(0, first);
    parts.strObjectPath = url.substr(first);
    parts.strFileName = std::move(fileName);
    return RC_SUCCESS;
}
