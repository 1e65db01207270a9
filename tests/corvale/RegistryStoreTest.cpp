// The registry store: key tree, case rules, value bytes, deletion rules, unwritable stores and
// the store's location.
#include "tests/corvale/TempStore.h"

#include "platform/registry/Registry.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using platform::CRegistryKey;
using platform::RegistryAccess;
using platform::RegistryRoot;

namespace {

class RegistryStoreTest : public testing::Test {
protected:
    std::vector<std::string> Subkeys(const std::string& strPath) {
        CRegistryKey key;
        std::vector<std::string> arrNames;
        EXPECT_TRUE(key.Open(RegistryRoot::ClassesRoot, strPath, RegistryAccess::Read)) << strPath;
        EXPECT_TRUE(key.QuerySubkeys(arrNames));
        return arrNames;
    }
    std::vector<platform::RegistryValue> Values(const std::string& strPath) {
        CRegistryKey key;
        std::vector<platform::RegistryValue> arrValues;
        EXPECT_TRUE(key.Open(RegistryRoot::ClassesRoot, strPath, RegistryAccess::Read)) << strPath;
        EXPECT_TRUE(key.QueryValues(arrValues));
        return arrValues;
    }
    bool Exists(const std::string& strPath) {
        CRegistryKey key;
        return key.Open(RegistryRoot::ClassesRoot, strPath, RegistryAccess::Read);
    }

    corvaletest::CTempStore m_store;
};

TEST_F(RegistryStoreTest, CreateMakesParentsAndKeepsTheFirstCase) {
    CRegistryKey key;
    ASSERT_TRUE(key.Create(RegistryRoot::ClassesRoot, "Software\\Norvane\\Amber"));
    ASSERT_TRUE(key.Create(RegistryRoot::ClassesRoot, "SOFTWARE\\norvane\\AMBER\\Sub"));
    ASSERT_TRUE(key.Create(RegistryRoot::ClassesRoot, "software\\Other"));
    EXPECT_EQ(Subkeys(""), std::vector<std::string>{"Software"});
    EXPECT_EQ(Subkeys("software"), (std::vector<std::string>{"Norvane", "Other"}));
    EXPECT_EQ(Subkeys("SOFTWARE\\NORVANE\\amber"), std::vector<std::string>{"Sub"});
    // Roots are separate trees.
    CRegistryKey user;
    EXPECT_FALSE(user.Open(RegistryRoot::CurrentUser, "Software", RegistryAccess::Read));
}

TEST_F(RegistryStoreTest, ValuesKeepTheirExactBytesAndFirstNameCase) {
    CRegistryKey key;
    ASSERT_TRUE(key.Create(RegistryRoot::ClassesRoot, "Values"));
    const std::vector<unsigned char> arrBinary = {0, 1, 0, 255};
    ASSERT_TRUE(key.SetValue("Text", platform::REG_SZ, platform::EncodeRegistryString("C:\\Prog")));
    ASSERT_TRUE(key.SetValue("Number", platform::REG_DWORD, platform::EncodeRegistryDword(1)));
    ASSERT_TRUE(key.SetValue("Raw", platform::REG_BINARY, arrBinary));
    ASSERT_TRUE(key.SetValue("Empty", platform::REG_BINARY, {}));
    // Same name in another case: replaces the value, keeps the name as first written.
    ASSERT_TRUE(
        key.SetValue("NUMBER", platform::REG_DWORD, platform::EncodeRegistryDword(0x01020304)));

    const auto arrValues = Values("values");
    ASSERT_EQ(arrValues.size(), 4u);
    EXPECT_EQ(arrValues[0].strName, "Text");
    EXPECT_EQ(arrValues[0].nType, platform::REG_SZ);
    EXPECT_EQ(arrValues[0].arrData,
              (std::vector<unsigned char>{'C', ':', '\\', 'P', 'r', 'o', 'g', 0}));
    EXPECT_EQ(arrValues[1].strName, "Number");
    EXPECT_EQ(arrValues[1].nType, platform::REG_DWORD);
    EXPECT_EQ(arrValues[1].arrData, (std::vector<unsigned char>{4, 3, 2, 1}));
    EXPECT_EQ(arrValues[2].arrData, arrBinary);
    EXPECT_EQ(arrValues[3].strName, "Empty");
    EXPECT_TRUE(arrValues[3].arrData.empty());
}

TEST_F(RegistryStoreTest, DeleteRefusedWhileSubkeysExistAndTakesValuesAlong) {
    CRegistryKey parent;
    ASSERT_TRUE(parent.Create(RegistryRoot::ClassesRoot, "Parent"));
    ASSERT_TRUE(parent.SetValue("v", platform::REG_SZ, platform::EncodeRegistryString("x")));
    {
        CRegistryKey child;
        ASSERT_TRUE(child.Create(RegistryRoot::ClassesRoot, "Parent\\Child"));
    }
    EXPECT_FALSE(platform::DeleteRegistryKey(RegistryRoot::ClassesRoot, "Parent"));
    EXPECT_TRUE(Exists("Parent"));
    EXPECT_EQ(Values("Parent").size(), 1u);

    EXPECT_TRUE(platform::DeleteRegistryKey(RegistryRoot::ClassesRoot, "PARENT\\child"));
    EXPECT_TRUE(platform::DeleteRegistryKey(RegistryRoot::ClassesRoot, "parent"));
    EXPECT_FALSE(Exists("Parent"));
    // A handle still open on the deleted key can no longer write into it.
    EXPECT_FALSE(parent.SetValue("w", platform::REG_SZ, platform::EncodeRegistryString("y")));
    // Recreated, the key starts empty.
    CRegistryKey again;
    ASSERT_TRUE(again.Create(RegistryRoot::ClassesRoot, "Parent"));
    EXPECT_TRUE(Values("Parent").empty());

    // Missing keys and the root itself are refused.
    EXPECT_FALSE(platform::DeleteRegistryKey(RegistryRoot::ClassesRoot, "Nothing"));
    EXPECT_FALSE(platform::DeleteRegistryKey(RegistryRoot::ClassesRoot, ""));
}

TEST_F(RegistryStoreTest, InvalidPathsAndReadOnlyKeysAreRefused) {
    for (const char* pszPath : {"\\Lead", "Trail\\", "Double\\\\Sep", "\\"}) {
        SCOPED_TRACE(pszPath);
        CRegistryKey key;
        EXPECT_FALSE(key.Create(RegistryRoot::ClassesRoot, pszPath));
        EXPECT_FALSE(key.IsOpen());
    }
    CRegistryKey key;
    ASSERT_TRUE(key.Create(RegistryRoot::ClassesRoot, "Key"));
    CRegistryKey reader;
    ASSERT_TRUE(reader.Open(RegistryRoot::ClassesRoot, "KEY", RegistryAccess::Read));
    EXPECT_FALSE(reader.SetValue("v", platform::REG_SZ, platform::EncodeRegistryString("x")));
    reader.Close();
    EXPECT_FALSE(reader.SetValue("v", platform::REG_SZ, platform::EncodeRegistryString("x")));
    EXPECT_TRUE(Values("Key").empty());
}

TEST_F(RegistryStoreTest, StoreThatCannotBeWrittenFailsCleanly) {
    // The store's folder cannot exist: its parent is a regular file.
    const std::string strBlocker = m_store.Folder() + "/blocker";
    std::ofstream(strBlocker) << "x";
    ::setenv("CORVALE_REGISTRY", (strBlocker + "/registry.db").c_str(), 1);
    CRegistryKey key;
    EXPECT_FALSE(key.Create(RegistryRoot::ClassesRoot, "Key"));
    EXPECT_FALSE(key.Open(RegistryRoot::ClassesRoot, "", RegistryAccess::ReadWrite));
    EXPECT_FALSE(key.Open(RegistryRoot::ClassesRoot, "", RegistryAccess::Read));
    EXPECT_FALSE(platform::DeleteRegistryKey(RegistryRoot::ClassesRoot, "Key"));
    EXPECT_FALSE(key.IsOpen());
}

TEST(RegistryStorePath, FollowsTheEnvironment) {
    struct Case {
        const char* pszStore;
        const char* pszData;
        const char* pszHome;
        const char* pszExpected;
    };
    const Case arrCases[] = {
        {"/srv/reg.db", "/data", "/home/ann", "/srv/reg.db"},
        {nullptr, "/data", "/home/ann", "/data/norvane/registry.db"},
        {"", "/data", "/home/ann", "/data/norvane/registry.db"},
        {nullptr, nullptr, "/home/ann", "/home/ann/.local/share/norvane/registry.db"},
        {nullptr, "relative/data", "/home/ann", "/home/ann/.local/share/norvane/registry.db"},
    };
    const auto Set = [](const char* pszName, const char* pszValue) {
        if (pszValue)
            ::setenv(pszName, pszValue, 1);
        else
            ::unsetenv(pszName);
    };
    const char* pszOldHome = std::getenv("HOME");
    const std::string strOldHome = pszOldHome ? pszOldHome : "";
    const char* pszOldData = std::getenv("XDG_DATA_HOME");
    const std::string strOldData = pszOldData ? pszOldData : "";
    for (std::size_t i = 0; i < std::size(arrCases); ++i) {
        SCOPED_TRACE(i);
        Set("CORVALE_REGISTRY", arrCases[i].pszStore);
        Set("XDG_DATA_HOME", arrCases[i].pszData);
        Set("HOME", arrCases[i].pszHome);
        EXPECT_EQ(platform::RegistryStorePath(), arrCases[i].pszExpected);
    }
    ::unsetenv("CORVALE_REGISTRY");
    Set("HOME", pszOldHome ? strOldHome.c_str() : nullptr);
    Set("XDG_DATA_HOME", pszOldData ? strOldData.c_str() : nullptr);
}

TEST(RegistryStorePath, DefaultFolderIsCreatedOnFirstWrite) {
    corvaletest::CTempStore folder;
    ::unsetenv("CORVALE_REGISTRY");
    const char* pszOldData = std::getenv("XDG_DATA_HOME");
    const std::string strOldData = pszOldData ? pszOldData : "";
    ::setenv("XDG_DATA_HOME", (folder.Folder() + "/data").c_str(), 1);
    CRegistryKey key;
    EXPECT_TRUE(key.Create(RegistryRoot::ClassesRoot, "Key"));
    EXPECT_TRUE(fs::is_regular_file(folder.Folder() + "/data/norvane/registry.db"));
    if (pszOldData)
        ::setenv("XDG_DATA_HOME", strOldData.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
}

TEST(RegistryRootNames, LongAndShortFormsInAnyCase) {
    struct Case {
        const char* pszName;
        bool bValid;
        RegistryRoot root;
    };
    const Case arrCases[] = {
        {"HKEY_CLASSES_ROOT", true, RegistryRoot::ClassesRoot},
        {"hkcr", true, RegistryRoot::ClassesRoot},
        {"HKCU", true, RegistryRoot::CurrentUser},
        {"hkey_local_machine", true, RegistryRoot::LocalMachine},
        {"HKU", true, RegistryRoot::Users},
        {"HKCC", true, RegistryRoot::CurrentConfig},
        {"HKEY_CLASSES", false, {}},
        {"HKCRX", false, {}},
        {"", false, {}},
    };
    for (const Case& c : arrCases) {
        SCOPED_TRACE(c.pszName);
        RegistryRoot root = RegistryRoot::Users;
        EXPECT_EQ(platform::ParseRegistryRoot(c.pszName, root), c.bValid);
        if (c.bValid) {
            EXPECT_EQ(root, c.root);
        }
    }
}

} // namespace
