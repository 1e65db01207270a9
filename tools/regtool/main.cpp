// regtool query KEY: prints the values of a registry key, one a line, as NAME TYPE VALUE
// (REG_SZ as its text, REG_DWORD in hex as 0x1, other types as hex bytes). KEY is a root's name
// or short form and the key's path: HKCR\CLSID\{...}. A missing key exits 1.
#include "platform/registry/Registry.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: regtool query KEY   (KEY = ROOT\\PATH, e.g. HKCR\\CLSID)\n");
    return 2;
}

std::string FormatData(const platform::RegistryValue& value) {
    char szHex[16];
    switch (value.nType) {
    case platform::REG_SZ:
    case platform::REG_EXPAND_SZ: {
        // The text up to its terminating zero.
        std::string strText(value.arrData.begin(), value.arrData.end());
        if (const std::size_t nZero = strText.find('\0'); nZero != std::string::npos)
            strText.erase(nZero);
        return strText;
    }
    case platform::REG_DWORD:
        if (value.arrData.size() == 4) {
            const std::uint32_t nValue = static_cast<std::uint32_t>(value.arrData[0]) |
                                         static_cast<std::uint32_t>(value.arrData[1]) << 8 |
                                         static_cast<std::uint32_t>(value.arrData[2]) << 16 |
                                         static_cast<std::uint32_t>(value.arrData[3]) << 24;
            std::snprintf(szHex, sizeof szHex, "0x%x", static_cast<unsigned int>(nValue));
            return szHex;
        }
        break;
    default:
        break;
    }
    std::string strBytes;
    for (const unsigned char byte : value.arrData) {
        std::snprintf(szHex, sizeof szHex, "%02X", static_cast<unsigned int>(byte));
        strBytes += szHex;
    }
    return strBytes;
}

std::string TypeName(std::uint32_t nType) {
    const std::string strName = platform::RegistryTypeName(nType);
    return strName.empty() ? "REG_" + std::to_string(nType) : strName;
}

int Query(const std::string& strKey) {
    const std::size_t nSep = strKey.find('\\');
    const std::string strRoot = strKey.substr(0, nSep);
    const std::string strPath = nSep == std::string::npos ? std::string() : strKey.substr(nSep + 1);
    platform::RegistryRoot root{};
    if (!platform::ParseRegistryRoot(strRoot, root)) {
        std::fprintf(stderr, "regtool: invalid key name: %s\n", strKey.c_str());
        return 1;
    }
    platform::CRegistryKey key;
    std::vector<platform::RegistryValue> arrValues;
    if (!key.Open(root, strPath, platform::RegistryAccess::Read) || !key.QueryValues(arrValues)) {
        std::fprintf(stderr, "regtool: the key %s was not found in %s\n", strKey.c_str(),
                     platform::RegistryStorePath().c_str());
        return 1;
    }
    for (const platform::RegistryValue& value : arrValues) {
        const std::string strName = value.strName.empty() ? "(Default)" : value.strName;
        std::printf("%s %s %s\n", strName.c_str(), TypeName(value.nType).c_str(),
                    FormatData(value).c_str());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 || std::string(argv[1]) != "query")
        return Usage();
    return Query(argv[2]);
}
