// Two registrations at the same moment in two processes, on a fresh store each round: both
// succeed and the store holds one class-ID key with its three values.
#include "tests/corvale/ChildRun.h"
#include "tests/corvale/InstallFolder.h"

#include "platform/registry/Registry.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace corvaletest;

namespace {

constexpr int kRounds = 20;

TEST(ConcurrentRegistration, TwoProcessesLeaveAConsistentStore) {
    CInstallFolder install;
    ::setenv("CORVALE_REGISTRY", install.Store().c_str(), 1);
    ChildOptions options;
    options.mapEnv = {{"CORVALE_REGISTRY", install.Store()}};
    for (int nRound = 0; nRound < kRounds; ++nRound) {
        SCOPED_TRACE("round " + std::to_string(nRound));
        fs::remove(install.Store());
        {
            CChildGate gate;
            CChild first({REGSVR_PATH, install.Library()}, options, &gate);
            CChild second({REGSVR_PATH, install.Library()}, options, &gate);
            gate.Open();
            for (CChild* pChild : {&first, &second}) {
                const ChildResult result = pChild->Wait();
                EXPECT_EQ(result.nExitCode, 0) << result.strErr;
                EXPECT_EQ(result.strOut, "0x00000000\n");
                EXPECT_EQ(result.strErr, "");
            }
        }
        platform::CRegistryKey classes;
        std::vector<std::string> arrSubkeys;
        ASSERT_TRUE(
            classes.Open(platform::RegistryRoot::ClassesRoot, "", platform::RegistryAccess::Read));
        ASSERT_TRUE(classes.QuerySubkeys(arrSubkeys));
        EXPECT_EQ(arrSubkeys, std::vector<std::string>{"CLSID"});
        platform::CRegistryKey clsid;
        ASSERT_TRUE(clsid.Open(platform::RegistryRoot::ClassesRoot, "CLSID",
                               platform::RegistryAccess::Read));
        ASSERT_TRUE(clsid.QuerySubkeys(arrSubkeys));
        EXPECT_EQ(arrSubkeys, std::vector<std::string>{"{5D1C2A77-0E4B-4F19-9A3C-6B8E2F41D7A0}"});
        platform::CRegistryKey key;
        std::vector<platform::RegistryValue> arrValues;
        ASSERT_TRUE(key.Open(platform::RegistryRoot::ClassesRoot, kClassKey,
                             platform::RegistryAccess::Read));
        ASSERT_TRUE(key.QueryValues(arrValues));
        ASSERT_EQ(arrValues.size(), 3u);
        EXPECT_EQ(arrValues[0].strName, "ProductPath");
        EXPECT_EQ(arrValues[0].arrData.size(), install.Install().size() + 1);
        EXPECT_EQ(arrValues[1].arrData, (std::vector<unsigned char>{1, 0, 0, 0}));
        EXPECT_EQ(arrValues[2].strName, "ProductName");
    }
    ::unsetenv("CORVALE_REGISTRY");
}

} // namespace
