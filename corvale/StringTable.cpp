// The rows of the library's string table.
#include "corvale/StringTable.h"

#include "corvale/Resource.h"

#include <array>

namespace corvale {
namespace {

struct StringRow {
    unsigned int nId;
    const char* pszText;
};

constexpr std::array<StringRow, 9> g_arrRows{{
    {IDS_CLASS_KEY, "CLSID\\{5D1C2A77-0E4B-4F19-9A3C-6B8E2F41D7A0}"},
    {1001, "REG_SZ\tProductPath\t%InstallDir%"},
    {1002, "REG_DWORD\tMajorVer\t1"},
    {1003, "REG_SZ\tProductName\tAmberlyn"},
    {1100, "Quorval1.dll"},
    {1101, "Connectors\\Larko Connector\\Larko.fil"},
    {1102, "Connectors\\Larko Connector\\LarkoApi.dll"},
    {1103, "Connectors\\Vindo\\Vindo.fil"},
    {1104, "Connectors\\Vindo\\VindoApi.dll"},
}};

} // namespace

std::string LoadResourceString(unsigned int nId) {
    for (const StringRow& row : g_arrRows) {
        if (row.nId == nId)
            return row.pszText;
    }
    return {};
}

} // namespace corvale
