// Registry store: the portable part (root and type names, value encoding, key paths).
#include "platform/registry/Registry.h"

#include <array>

namespace platform {
namespace {

struct RootName {
    RegistryRoot root;
    const char* pszLong;
    const char* pszShort;
};

constexpr std::array<RootName, 5> g_arrRoots{{
    {RegistryRoot::ClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
    {RegistryRoot::CurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {RegistryRoot::LocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
    {RegistryRoot::Users, "HKEY_USERS", "HKU"},
    {RegistryRoot::CurrentConfig, "HKEY_CURRENT_CONFIG", "HKCC"},
}};

char AsciiUpper(char ch) {
    return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
}

bool EqualsNoCase(const std::string& strLeft, const char* pszRight) {
    std::size_t i = 0;
    for (; i < strLeft.size() && pszRight[i] != '\0'; ++i) {
        if (AsciiUpper(strLeft[i]) != AsciiUpper(pszRight[i]))
            return false;
    }
    return i == strLeft.size() && pszRight[i] == '\0';
}

} // namespace

bool ParseRegistryRoot(const std::string& strName, RegistryRoot& root) {
    for (const RootName& entry : g_arrRoots) {
        if (EqualsNoCase(strName, entry.pszLong) || EqualsNoCase(strName, entry.pszShort)) {
            root = entry.root;
            return true;
        }
    }
    return false;
}

const char* RegistryRootName(RegistryRoot root) {
    switch (root) {
    case RegistryRoot::ClassesRoot:
        return "HKEY_CLASSES_ROOT";
    case RegistryRoot::CurrentUser:
        return "HKEY_CURRENT_USER";
    case RegistryRoot::LocalMachine:
        return "HKEY_LOCAL_MACHINE";
    case RegistryRoot::Users:
        return "HKEY_USERS";
    case RegistryRoot::CurrentConfig:
        return "HKEY_CURRENT_CONFIG";
    }
    return "";
}

const char* RegistryTypeName(std::uint32_t nType) {
    switch (nType) {
    case REG_NONE:
        return "REG_NONE";
    case REG_SZ:
        return "REG_SZ";
    case REG_EXPAND_SZ:
        return "REG_EXPAND_SZ";
    case REG_BINARY:
        return "REG_BINARY";
    case REG_DWORD:
        return "REG_DWORD";
    case REG_MULTI_SZ:
        return "REG_MULTI_SZ";
    case REG_QWORD:
        return "REG_QWORD";
    default:
        return "";
    }
}

std::vector<unsigned char> EncodeRegistryString(const std::string& strText) {
    std::vector<unsigned char> arrData(strText.begin(), strText.end());
    arrData.push_back(0);
    return arrData;
}

std::vector<unsigned char> EncodeRegistryDword(std::uint32_t nValue) {
    return {static_cast<unsigned char>(nValue & 0xFFu),
            static_cast<unsigned char>((nValue >> 8) & 0xFFu),
            static_cast<unsigned char>((nValue >> 16) & 0xFFu),
            static_cast<unsigned char>((nValue >> 24) & 0xFFu)};
}

bool SplitRegistryPath(const std::string& strPath, std::vector<std::string>& arrNames) {
    std::vector<std::string> arrOut;
    if (!strPath.empty()) {
        std::size_t nStart = 0;
        for (;;) {
            const std::size_t nEnd = strPath.find('\\', nStart);
            std::string strName = strPath.substr(
                nStart, nEnd == std::string::npos ? std::string::npos : nEnd - nStart);
            if (strName.empty())
                return false;
            arrOut.push_back(std::move(strName));
            if (nEnd == std::string::npos)
                break;
            nStart = nEnd + 1;
        }
    }
    arrNames = std::move(arrOut);
    return true;
}

} // namespace platform
