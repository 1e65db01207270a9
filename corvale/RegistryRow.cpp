// Value rows: splitting, conversion and the value write.
#include "corvale/RegistryRow.h"

#include "corvale/LibraryFolder.h"
#include "corvale/StringTable.h"

#include <limits>

namespace corvale {
namespace {

char AsciiUpper(char ch) {
    return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
}

bool EqualsNoCase(const std::string& strLeft, const std::string& strRight) {
    if (strLeft.size() != strRight.size())
        return false;
    for (std::size_t i = 0; i < strLeft.size(); ++i) {
        if (AsciiUpper(strLeft[i]) != AsciiUpper(strRight[i]))
            return false;
    }
    return true;
}

// White space as the C locale's isspace counts it.
bool IsCSpace(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

} // namespace

std::vector<std::string> SplitRowFields(const std::string& strRow) {
    std::vector<std::string> arrFields;
    std::size_t nPos = 0;
    while (nPos < strRow.size()) {
        const std::size_t nStart = strRow.find_first_not_of('\t', nPos);
        if (nStart == std::string::npos)
            break;
        std::size_t nEnd = strRow.find('\t', nStart);
        if (nEnd == std::string::npos)
            nEnd = strRow.size();
        arrFields.push_back(strRow.substr(nStart, nEnd - nStart));
        nPos = nEnd;
    }
    return arrFields;
}

std::int32_t ParseRowNumber(const std::string& strText) {
    std::size_t nPos = 0;
    while (nPos < strText.size() && IsCSpace(strText[nPos]))
        ++nPos;
    bool bNegative = false;
    if (nPos < strText.size() && (strText[nPos] == '+' || strText[nPos] == '-')) {
        bNegative = strText[nPos] == '-';
        ++nPos;
    }
    // Accumulated as a negative number, whose range reaches the 32-bit minimum.
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    std::int64_t nValue = 0;
    for (; nPos < strText.size() && strText[nPos] >= '0' && strText[nPos] <= '9'; ++nPos) {
        nValue = nValue * 10 - (strText[nPos] - '0');
        if (nValue < kMin) {
            nValue = kMin - 1; // beyond every limit; stays there
        }
    }
    if (bNegative)
        return static_cast<std::int32_t>(nValue < kMin ? kMin : nValue);
    return static_cast<std::int32_t>(-nValue > kMax ? kMax : -nValue);
}

int WriteRegistryRowText(platform::CRegistryKey& key, const std::string& strRow,
                         const std::string& strInstallDir) {
    const std::string strWork = strRow.substr(0, kMaxRowChars);
    const std::vector<std::string> arrFields = SplitRowFields(strWork);
    if (arrFields.size() < 3)
        return 1;
    const std::string& strType = arrFields[0];
    const std::string& strName = arrFields[1];
    const std::string& strValue = arrFields[2];
    if (EqualsNoCase(strType, "REG_DWORD")) {
        const auto nNumber = static_cast<std::uint32_t>(ParseRowNumber(strValue));
        key.SetValue(strName, platform::REG_DWORD, platform::EncodeRegistryDword(nNumber));
        return 1;
    }
    const std::string& strText = EqualsNoCase(strValue, "%InstallDir%") ? strInstallDir : strValue;
    key.SetValue(strName, platform::REG_SZ, platform::EncodeRegistryString(strText));
    return 1;
}

int WriteRegistryRow(platform::CRegistryKey& key, unsigned int nId) {
    return WriteRegistryRowText(key, LoadResourceString(nId), GetLibraryFolder(false));
}

} // namespace corvale
