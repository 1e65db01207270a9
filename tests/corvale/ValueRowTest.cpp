// Value rows: how a "TYPE<TAB>NAME<TAB>VALUE" text becomes a registry value, and the folder
// forms derived from the library's path.
#include "tests/corvale/TempStore.h"

#include "corvale/LibraryFolder.h"
#include "corvale/RegistryRow.h"

#include <gtest/gtest.h>
#include <optional>

using platform::CRegistryKey;
using platform::RegistryRoot;

namespace {

constexpr const char* kInstallDir = "/opt/Program Files/Amberlyn";

struct Written {
    std::string strName;
    std::uint32_t nType;
    std::vector<unsigned char> arrData;
};

Written Sz(const std::string& strName, const std::string& strText) {
    return {strName, platform::REG_SZ, platform::EncodeRegistryString(strText)};
}
Written Dword(const std::string& strName, std::uint32_t nValue) {
    return {strName, platform::REG_DWORD, platform::EncodeRegistryDword(nValue)};
}

struct RowCase {
    const char* pszWhat;
    std::string strRow;
    std::optional<Written> expected; // nullopt: nothing written
};

TEST(ValueRow, WritesTheValueTheRowDescribes) {
    const std::string strPrefix = "REG_SZ\tLong\t";
    const RowCase arrCases[] = {
        {"shipped path row", "REG_SZ\tProductPath\t%InstallDir%", Sz("ProductPath", kInstallDir)},
        {"shipped number row", "REG_DWORD\tMajorVer\t1", Dword("MajorVer", 1)},
        {"shipped name row", "REG_SZ\tProductName\tAmberlyn", Sz("ProductName", "Amberlyn")},
        {"type in lower case", "reg_dword\tN\t7", Dword("N", 7)},
        {"other type is a string", "REG_EXPAND_SZ\tE\t%PATH%", Sz("E", "%PATH%")},
        {"misspelt type is a string", "REG_DWROD\tM\t1", Sz("M", "1")},
        {"placeholder in lower case", "REG_SZ\tP\t%installdir%", Sz("P", kInstallDir)},
        {"placeholder inside a value", "REG_SZ\tP\tx%InstallDir%", Sz("P", "x%InstallDir%")},
        {"digits then letters", "REG_DWORD\tN\t12abc", Dword("N", 12)},
        {"no digits", "REG_DWORD\tN\tabc", Dword("N", 0)},
        {"white space and sign", "REG_DWORD\tN\t  -5", Dword("N", 0xFFFFFFFBu)},
        {"above the range", "REG_DWORD\tN\t99999999999", Dword("N", 0x7FFFFFFFu)},
        {"below the range", "REG_DWORD\tN\t-99999999999", Dword("N", 0x80000000u)},
        {"two TABs act as one", "REG_SZ\t\tA\tB", Sz("A", "B")},
        {"TABs at both ends", "\tREG_SZ\tA\tB\t", Sz("A", "B")},
        {"text after the third field", "REG_SZ\tA\tB\tC", Sz("A", "B")},
        {"two fields", "REG_SZ\tA", std::nullopt},
        {"two fields and TABs", "REG_SZ\t\tA\t\t", std::nullopt},
        {"empty row", "", std::nullopt},
        {"row cut at 4095 characters", strPrefix + std::string(5000, 'v'),
         Sz("Long", std::string(corvale::kMaxRowChars - strPrefix.size(), 'v'))},
    };
    corvaletest::CTempStore store;
    for (std::size_t i = 0; i < std::size(arrCases); ++i) {
        const RowCase& c = arrCases[i];
        SCOPED_TRACE(c.pszWhat);
        CRegistryKey key;
        ASSERT_TRUE(key.Create(RegistryRoot::ClassesRoot, "Rows\\Case" + std::to_string(i)));
        EXPECT_EQ(corvale::WriteRegistryRowText(key, c.strRow, kInstallDir), 1);
        std::vector<platform::RegistryValue> arrValues;
        ASSERT_TRUE(key.QueryValues(arrValues));
        if (!c.expected) {
            EXPECT_TRUE(arrValues.empty());
            continue;
        }
        ASSERT_EQ(arrValues.size(), 1u);
        EXPECT_EQ(arrValues[0].strName, c.expected->strName);
        EXPECT_EQ(arrValues[0].nType, c.expected->nType);
        EXPECT_EQ(arrValues[0].arrData, c.expected->arrData);
    }
}

TEST(ValueRow, FailedWriteStillReturnsOne) {
    corvaletest::CTempStore store;
    CRegistryKey key; // never opened: the write fails silently
    EXPECT_EQ(corvale::WriteRegistryRowText(key, "REG_SZ\tA\tB", kInstallDir), 1);
    EXPECT_EQ(corvale::WriteRegistryRow(key, 1002), 1);
}

TEST(LibraryFolder, CutsAtTheLastSeparator) {
    struct Case {
        const char* pszFile;
        const char* pszWithSeparator;
        const char* pszWithout;
        const char* pszTitle;
    };
    const Case arrCases[] = {
        {"C:\\Prog\\Corvale.dll", "C:\\Prog\\", "C:\\Prog", "Corvale"},
        {"/opt/Program Files/Amberlyn/Corvale.so", "/opt/Program Files/Amberlyn/",
         "/opt/Program Files/Amberlyn", "Corvale"},
        // A backslash wins over a later slash.
        {"/tmp/a\\b/Corvale.so", "/tmp/a\\", "/tmp/a", "Corvale"},
        {"Corvale.so", "Corvale.so", "Corvale.so", "Corvale"},
        {"/Corvale", "/", "", "Corvale"},
    };
    for (const Case& c : arrCases) {
        SCOPED_TRACE(c.pszFile);
        EXPECT_EQ(corvale::CutLibraryFolder(c.pszFile, true), c.pszWithSeparator);
        EXPECT_EQ(corvale::CutLibraryFolder(c.pszFile, false), c.pszWithout);
        EXPECT_EQ(corvale::FileTitleOf(c.pszFile), c.pszTitle);
    }
}

TEST(LibraryFolder, ModuleFolderIsDriveAndFolder) {
    struct Case {
        const char* pszPath;
        const char* pszFolder;
    };
    const Case arrCases[] = {
        {"C:\\Prog\\Connectors\\Vindo\\Vindo.fil", "C:\\Prog\\Connectors\\Vindo\\"},
        {"/opt/Amberlyn/Connectors\\Larko Connector\\Larko.fil",
         "/opt/Amberlyn/Connectors\\Larko Connector\\"},
        {"/opt/Amberlyn/Quorval1.dll", "/opt/Amberlyn/"},
        {"C:Quorval1.dll", "C:"},
        {"Quorval1.dll", ""},
    };
    for (const Case& c : arrCases) {
        SCOPED_TRACE(c.pszPath);
        EXPECT_EQ(corvale::ModuleFolderOf(c.pszPath), c.pszFolder);
    }
}

} // namespace
