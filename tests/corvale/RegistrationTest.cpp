// Registration and unregistration of the installed Corvale.so through regsvr: the values it
// writes, the companion modules it calls (in which order, from which current directory), what
// it passes over, and its failure on a store that cannot be written.
#include "tests/corvale/ChildRun.h"
#include "tests/corvale/InstallFolder.h"

#include "platform/registry/Registry.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace corvaletest;

namespace {

class RegistrationTest : public testing::Test {
protected:
    void SetUp() override { ::setenv("CORVALE_REGISTRY", m_install.Store().c_str(), 1); }
    void TearDown() override { ::unsetenv("CORVALE_REGISTRY"); }

    std::vector<platform::RegistryValue> ClassKeyValues() {
        platform::CRegistryKey key;
        std::vector<platform::RegistryValue> arrValues;
        EXPECT_TRUE(key.Open(platform::RegistryRoot::ClassesRoot, kClassKey,
                             platform::RegistryAccess::Read));
        EXPECT_TRUE(key.QueryValues(arrValues));
        return arrValues;
    }

    bool ClassKeyExists() {
        platform::CRegistryKey key;
        return key.Open(platform::RegistryRoot::ClassesRoot, kClassKey,
                        platform::RegistryAccess::Read);
    }

    CInstallFolder m_install;
};

std::vector<unsigned char> Bytes(const std::string& strText) {
    return {strText.begin(), strText.end()};
}

TEST_F(RegistrationTest, RegistersValuesAndCallsCompanionsInOrderInTheirFolders) {
    const auto run = m_install.RunRegsvr(false, m_install.Store());
    EXPECT_EQ(run.nExitCode, 0) << run.strErr;
    EXPECT_EQ(run.strOut, "0x00000000\n");
    EXPECT_EQ(run.strErr, "");

    const auto arrValues = ClassKeyValues();
    ASSERT_EQ(arrValues.size(), 3u);
    EXPECT_EQ(arrValues[0].strName, "ProductPath");
    EXPECT_EQ(arrValues[0].nType, platform::REG_SZ);
    // The folder without its separator, stored with its terminating zero: length + 1 bytes.
    std::vector<unsigned char> arrPath = Bytes(m_install.Install());
    arrPath.push_back(0);
    EXPECT_EQ(arrValues[0].arrData, arrPath);
    EXPECT_EQ(arrValues[0].arrData.size(), m_install.Install().size() + 1);
    EXPECT_EQ(arrValues[1].strName, "MajorVer");
    EXPECT_EQ(arrValues[1].nType, platform::REG_DWORD);
    EXPECT_EQ(arrValues[1].arrData, (std::vector<unsigned char>{1, 0, 0, 0}));
    EXPECT_EQ(arrValues[2].strName, "ProductName");
    EXPECT_EQ(arrValues[2].nType, platform::REG_SZ);
    EXPECT_EQ(arrValues[2].arrData, Bytes(std::string("Amberlyn", 9)));

    // Each module loaded, called and unloaded before the next, with its own folder current
    // (even though the companions report failure, regsvr saw S_OK).
    std::vector<CompanionEvent> arrExpected;
    for (std::size_t i = 0; i < CompanionPaths().size(); ++i) {
        const auto arrModule = CalledModule(m_install, i, "register");
        arrExpected.insert(arrExpected.end(), arrModule.begin(), arrModule.end());
    }
    EXPECT_EQ(m_install.ReadRecord(), arrExpected);
}

TEST_F(RegistrationTest, UnregistersCompanionsInReverseOrderAndDeletesTheKey) {
    ASSERT_EQ(m_install.RunRegsvr(false, m_install.Store()).nExitCode, 0);
    ASSERT_TRUE(ClassKeyExists());
    m_install.ClearRecord();

    const auto run = m_install.RunRegsvr(true, m_install.Store());
    EXPECT_EQ(run.nExitCode, 0) << run.strErr;
    EXPECT_EQ(run.strOut, "0x00000000\n");
    EXPECT_EQ(run.strErr, "");
    EXPECT_FALSE(ClassKeyExists());
    // Only the class-ID key goes; its parent stays.
    platform::CRegistryKey parent;
    EXPECT_TRUE(
        parent.Open(platform::RegistryRoot::ClassesRoot, "CLSID", platform::RegistryAccess::Read));

    std::vector<CompanionEvent> arrExpected;
    for (std::size_t i = CompanionPaths().size(); i-- > 0;) {
        const auto arrModule = CalledModule(m_install, i, "unregister");
        arrExpected.insert(arrExpected.end(), arrModule.begin(), arrModule.end());
    }
    EXPECT_EQ(m_install.ReadRecord(), arrExpected);

    // Unregistering again, with nothing left to delete, still succeeds.
    EXPECT_EQ(m_install.RunRegsvr(true, m_install.Store()).nExitCode, 0);
}

TEST_F(RegistrationTest, PassesOverMissingCompanionAndOneWithoutEntryPoint) {
    m_install.RemoveModule(1);         // Larko.fil missing
    m_install.InstallNoEntryModule(3); // Vindo.fil without entry points
    const auto run = m_install.RunRegsvr(false, m_install.Store());
    EXPECT_EQ(run.nExitCode, 0) << run.strErr;
    EXPECT_EQ(run.strErr, "");

    std::vector<CompanionEvent> arrExpected;
    for (std::size_t i : {0u, 2u}) {
        const auto arrModule = CalledModule(m_install, i, "register");
        arrExpected.insert(arrExpected.end(), arrModule.begin(), arrModule.end());
    }
    // Loaded and unloaded again, nothing called.
    arrExpected.push_back({"load", m_install.Module(3), m_install.ModuleFolder(3)});
    arrExpected.push_back({"unload", m_install.Module(3), m_install.ModuleFolder(3)});
    const auto arrLast = CalledModule(m_install, 4, "register");
    arrExpected.insert(arrExpected.end(), arrLast.begin(), arrLast.end());
    EXPECT_EQ(m_install.ReadRecord(), arrExpected);
    EXPECT_EQ(ClassKeyValues().size(), 3u);
}

// A store that cannot be written: one "Fail Regist" message titled with the library's name,
// E_UNEXPECTED, nothing written and no companion loaded. Where the class-ID key exists already,
// opening it for writing fails all the same. (As root, the child drops to "nobody" so that the
// file permissions apply.)
TEST_F(RegistrationTest, UnwritableStoreFailsOnceWithoutTouchingCompanions) {
    enum class Condition { BelowRegularFile, FileReadOnly, FolderReadOnly };
    struct Case {
        const char* pszName;
        Condition condition;
    };
    const Case arrCases[] = {
        {"store below a regular file", Condition::BelowRegularFile},
        {"store file not writable for the user", Condition::FileReadOnly},
        {"store folder not writable for the user", Condition::FolderReadOnly},
    };
    const bool bRoot = ::geteuid() == 0;
    for (const Case& c : arrCases) {
        SCOPED_TRACE(c.pszName);
        std::string strStore;
        bool bUnprivileged = false;
        if (c.condition == Condition::BelowRegularFile) {
            const std::string strBlocker = m_install.Root() + "/blocker";
            std::ofstream(strBlocker) << "x";
            strStore = strBlocker + "/registry.db";
        } else {
            const std::string strFolder = m_install.Root() + "/locked";
            fs::create_directories(strFolder);
            strStore = strFolder + "/registry.db";
            ::setenv("CORVALE_REGISTRY", strStore.c_str(), 1);
            {
                platform::CRegistryKey key;
                ASSERT_TRUE(key.Create(platform::RegistryRoot::ClassesRoot, kClassKey));
            }
            const auto readOnly =
                fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
            const auto readWrite = readOnly | fs::perms::owner_write | fs::perms::group_write |
                                   fs::perms::others_write;
            const auto readExec =
                readOnly | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
            if (c.condition == Condition::FileReadOnly) {
                fs::permissions(strStore, readOnly);
            } else {
                fs::permissions(strStore, readWrite);
                fs::permissions(strFolder, readExec);
            }
            bUnprivileged = bRoot;
        }
        m_install.ClearRecord();
        const auto run = m_install.RunRegsvr(false, strStore, bUnprivileged);
        EXPECT_EQ(run.nExitCode, 1);
        EXPECT_EQ(run.strOut, "0x8000FFFF\n");
        EXPECT_EQ(run.strErr, "Corvale: Fail Regist\n");
        EXPECT_FALSE(fs::exists(m_install.RecordFile()));
        if (c.condition != Condition::BelowRegularFile) {
            EXPECT_TRUE(ClassKeyValues().empty());
            fs::permissions(m_install.Root() + "/locked", fs::perms::all);
            fs::remove_all(m_install.Root() + "/locked");
        }
    }
}

TEST_F(RegistrationTest, RegtoolShowsTheRegisteredValues) {
    ASSERT_EQ(m_install.RunRegsvr(false, m_install.Store()).nExitCode, 0);
    ChildOptions options;
    options.mapEnv = {{"CORVALE_REGISTRY", m_install.Store()}};
    // The root's short form and a key path in another case find the same key.
    for (const char* pszKey : {"HKEY_CLASSES_ROOT\\CLSID\\{5D1C2A77-0E4B-4F19-9A3C-6B8E2F41D7A0}",
                               "hkcr\\clsid\\{5d1c2a77-0e4b-4f19-9a3c-6b8e2f41d7a0}"}) {
        SCOPED_TRACE(pszKey);
        const ChildResult result = RunChild({REGTOOL_PATH, "query", pszKey}, options);
        EXPECT_EQ(result.nExitCode, 0) << result.strErr;
        EXPECT_EQ(result.strOut, "ProductPath REG_SZ " + m_install.Install() +
                                     "\nMajorVer REG_DWORD 0x1\nProductName REG_SZ Amberlyn\n");
    }
    const ChildResult missing =
        RunChild({REGTOOL_PATH, "query", "HKCR\\CLSID\\{nothing}"}, options);
    EXPECT_EQ(missing.nExitCode, 1);
    EXPECT_EQ(missing.strOut, "");
    EXPECT_NE(missing.strErr, "");
}

TEST_F(RegistrationTest, RegsvrRejectsWhatItCannotCall) {
    // A missing library, and a module without the entry point: a message and exit 2.
    for (const std::string& strLibrary :
         {m_install.Install() + "/Missing.so", std::string(COMPANION_NOENTRY_PATH)}) {
        SCOPED_TRACE(strLibrary);
        const ChildResult result = RunChild({REGSVR_PATH, strLibrary});
        EXPECT_EQ(result.nExitCode, 2);
        EXPECT_EQ(result.strOut, "");
        EXPECT_NE(result.strErr.find(strLibrary), std::string::npos) << result.strErr;
    }
}

// Corvale.so's dynamic symbol table defines the two entry points and nothing else.
TEST(CorvaleExports, OnlyTheTwoEntryPoints) {
    const std::string strCommand =
        std::string("nm -D --defined-only --format=posix '") + CORVALE_SO_PATH + "'";
    std::FILE* pPipe = ::popen(strCommand.c_str(), "r");
    ASSERT_NE(pPipe, nullptr);
    std::vector<std::string> arrNames;
    char szLine[1024];
    while (std::fgets(szLine, sizeof szLine, pPipe) != nullptr) {
        std::string strLine = szLine;
        arrNames.push_back(strLine.substr(0, strLine.find(' ')));
    }
    ASSERT_EQ(::pclose(pPipe), 0);
    std::sort(arrNames.begin(), arrNames.end());
    EXPECT_EQ(arrNames, (std::vector<std::string>{"DllRegisterServer", "DllUnregisterServer"}));
}

} // namespace
