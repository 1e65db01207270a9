// The start routine of CPelidorApp in this process, with a private bus: exactly one notice on
// every path, the guard checked before the command line, no success for work not done.
#include "pelidor/app/AppGlobals.h"
#include "pelidor/app/PelidorApp.h"
#include "platform/runtime/WinApp.h"
#include "tests/app/GuardFixture.h"
#include "tests/support/NoticeCollector.h"
#include "tests/support/PrivateBus.h"
#include "tests/support/TempDrives.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

class Startup : public GuardFixture {
protected:
    void SetUp() override {
        GuardFixture::SetUp();
        ASSERT_TRUE(m_bus.Ok());
        setenv("DBUS_SESSION_BUS_ADDRESS", m_bus.Address().c_str(), 1);
        m_savedArguments = CWinApp::GetProcessArguments();
        ClearParameters();
    }
    void TearDown() override {
        CWinApp::SetProcessArguments(m_savedArguments);
        ClearParameters();
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        GuardFixture::TearDown();
    }
    static void ClearParameters() {
        g_strParamUrl.clear();
        g_strParamWork.clear();
        g_strParamSize.clear();
        g_strParamList.clear();
    }
    // Runs the start routine of a fresh application object with args; returns its result and
    // every notice it posted.
    bool Run(const std::vector<std::string>& args, std::vector<std::int32_t>& notices) {
        testsupport::NoticeCollector collector(m_bus.Address());
        EXPECT_TRUE(collector.Ok());
        CWinApp::SetProcessArguments(args);
        ClearParameters(); // a new process starts with them empty
        CPelidorApp app;
        const bool result = app.Startup();
        EXPECT_EQ(app.Shutdown(), 0);
        notices = collector.CollectFor(500);
        return result;
    }

    testsupport::PrivateBus m_bus;
    std::vector<std::string> m_savedArguments;
};

TEST_F(Startup, ParameterErrorsEndWithOneNoticeCarryingTheirCode) {
    struct Case {
        const char* what;
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {"no arguments", {}},
        {"URL without work folder", {"/DL=http://h/f"}},
        {"work folder without URL", {"/WK=C:\\W"}},
        {"both modes", {"/DL=http://h/f", "/WK=C:\\W", "/DLL=C:\\l.ini"}},
        {"list with work folder", {"/DLL=C:\\l.ini", "/WK=C:\\W"}},
        {"switches without values", {"/DL=", "/WK=", "/DLL="}},
        {"size alone", {"/SZ=100"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::int32_t> notices;
        EXPECT_FALSE(Run(c.args, notices));
        EXPECT_EQ(notices, std::vector<std::int32_t>{RC_BAD_PARAMETERS});
    }
}

TEST_F(Startup, ValidModeNeverReportsSuccessForWorkNotDone) {
    // C: is a temporary folder, so the prepared work folder lands there and nowhere else.
    testsupport::CTempDrives drives;
    drives.Map('C');
    for (const auto& args : {std::vector<std::string>{"/DL=http://127.0.0.1:1/f", "/WK=C:\\W"},
                             std::vector<std::string>{"/DLL=C:\\l.ini"}}) {
        std::vector<std::int32_t> notices;
        const bool result = Run(args, notices);
        ASSERT_EQ(notices.size(), 1u);
        EXPECT_EQ(result, notices[0] == RC_SUCCESS);
        EXPECT_NE(notices[0], RC_BAD_PARAMETERS);
    }
    EXPECT_TRUE(std::filesystem::is_directory(drives.Native("C:\\W")))
        << "the command-line job was prepared on the temporary drive";
}

TEST_F(Startup, SecondInstanceReportsOneWithoutReadingItsArguments) {
    HeldGuard running("Global\\PelidorMutex");
    ASSERT_TRUE(running.Held());
    std::vector<std::int32_t> notices;
    EXPECT_FALSE(Run({"/DL=http://h/f", "/DLL=x"}, notices));
    EXPECT_EQ(notices, std::vector<std::int32_t>{RC_ALREADY_RUNNING});
    EXPECT_TRUE(g_strParamUrl.empty()) << "the command line was not walked";
    EXPECT_TRUE(g_strParamList.empty());
    EXPECT_EQ(Probe("PelidorMutex"), platform::GuardStatus::Created) << "no plain guard left";
}

TEST_F(Startup, WithoutGlobalNamespaceTheHeldPlainNameRefuses) {
    platform::OverrideGlobalGuardNamespace(0);
    std::vector<std::int32_t> notices;
    {
        HeldGuard running("PelidorMutex");
        EXPECT_FALSE(Run({}, notices));
        EXPECT_EQ(notices, std::vector<std::int32_t>{RC_ALREADY_RUNNING});
    }
    // A holder of the global name does not count in this branch.
    HeldGuard global("Global\\PelidorMutex");
    EXPECT_FALSE(Run({}, notices));
    EXPECT_EQ(notices, std::vector<std::int32_t>{RC_BAD_PARAMETERS});
}

TEST_F(Startup, NoBusIsIgnored) {
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/norvane-bus", 1);
    CWinApp::SetProcessArguments({});
    CPelidorApp app;
    EXPECT_FALSE(app.Startup());
    EXPECT_EQ(app.Shutdown(), 0);
}

} // namespace
