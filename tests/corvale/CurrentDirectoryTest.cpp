// Corvale.so loaded into this process: the current directory it leaves behind after
// registration (the last module's folder) and unregistration (the library folder).
#include "tests/corvale/InstallFolder.h"

#include "platform/module/Module.h"
#include "platform/process/CurrentDirectory.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace corvaletest;

namespace {

using EntryPoint = std::int32_t (*)();

class CurrentDirectoryTest : public testing::Test {
protected:
    void SetUp() override {
        m_strSavedCwd = platform::GetCurrentNativeDirectory();
        ::setenv("CORVALE_REGISTRY", m_install.Store().c_str(), 1);
        ::setenv("CORVALE_TEST_RECORD", m_install.RecordFile().c_str(), 1);
    }
    void TearDown() override {
        platform::SetCurrentNativeDirectory(m_strSavedCwd);
        ::unsetenv("CORVALE_REGISTRY");
        ::unsetenv("CORVALE_TEST_RECORD");
    }

    std::string m_strSavedCwd;
    CInstallFolder m_install;
};

TEST_F(CurrentDirectoryTest, LeftAtTheLastModuleFolder) {
    platform::CModule library;
    // Loaded by a relative path: the library must still find its own folder after the current
    // directory has moved to the companions' folders.
    ASSERT_TRUE(platform::SetCurrentNativeDirectory(m_install.Install()));
    ASSERT_TRUE(library.Load("Corvale.so")) << library.GetLoadError();
    const auto pRegister = reinterpret_cast<EntryPoint>(library.FindExport("DllRegisterServer"));
    const auto pUnregister =
        reinterpret_cast<EntryPoint>(library.FindExport("DllUnregisterServer"));
    ASSERT_NE(pRegister, nullptr);
    ASSERT_NE(pUnregister, nullptr);

    EXPECT_EQ(pRegister(), 0);
    EXPECT_EQ(platform::GetCurrentNativeDirectory(), m_install.ModuleFolder(4));
    EXPECT_EQ(m_install.ReadRecord().size(), 15u);
    // Both exports may be called any number of times, in any order.
    EXPECT_EQ(pRegister(), 0);
    EXPECT_EQ(pUnregister(), 0);
    EXPECT_EQ(platform::GetCurrentNativeDirectory(), m_install.Install());
    EXPECT_EQ(pUnregister(), 0);
    EXPECT_EQ(platform::GetCurrentNativeDirectory(), m_install.Install());
    EXPECT_EQ(m_install.ReadRecord().size(), 60u);
}

} // namespace
