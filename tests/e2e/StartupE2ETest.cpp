// The real pelidor binary as a child process with a private bus: exactly one notice per
// start, the guard refusing a second instance with 1, exit status 0 and nothing printed on
// every path; and pelidor-listen's exit statuses.
#include "platform/guard/NamedGuard.h"
#include "platform/notice/Notice.h"
#include "platform/spawn/ChildProcess.h"
#include "tests/support/BuildPaths.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/NoticeCollector.h"
#include "tests/support/PrivateBus.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using testsupport::ChildResult;
using testsupport::Environment;

class PelidorStart : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_bus.Ok()) << "dbus-daemon did not start"; }

    // Runs pelidor with args; returns every notice seen until shortly after it ended.
    std::vector<std::int32_t> RunPelidor(const std::vector<std::string>& args,
                                         Environment extra = {}) {
        testsupport::NoticeCollector collector(m_bus.Address());
        EXPECT_TRUE(collector.Ok());
        Environment env = m_bus.SessionEnvironment();
        env.insert(env.end(), extra.begin(), extra.end());
        m_result = testsupport::RunChild(testsupport::ProgramPath("pelidor"), args, env);
        EXPECT_TRUE(m_result.started);
        EXPECT_FALSE(m_result.timedOut);
        EXPECT_EQ(m_result.exitStatus, 0);
        EXPECT_EQ(m_result.output, "");
        EXPECT_EQ(m_result.errors, "");
        return collector.CollectFor(500);
    }

    // Holds a guard under this test's private guard root, as a running instance would.
    platform::GuardHandle Hold(const std::string& name) {
        setenv("NORVANE_GUARD_ROOT", m_bus.GuardRoot().c_str(), 1);
        platform::GuardHandle handle = platform::CreateNamedGuard(name, nullptr);
        EXPECT_NE(handle, nullptr);
        return handle;
    }
    platform::GuardStatus Probe(const std::string& name) {
        setenv("NORVANE_GUARD_ROOT", m_bus.GuardRoot().c_str(), 1);
        platform::GuardStatus status = platform::GuardStatus::Failed;
        platform::CloseNamedGuard(platform::CreateNamedGuard(name, &status));
        return status;
    }
    void TearDown() override { unsetenv("NORVANE_GUARD_ROOT"); }

    testsupport::PrivateBus m_bus;
    ChildResult m_result;
};

TEST_F(PelidorStart, NoArgumentsGiveExactlyOneNoticeTwo) {
    EXPECT_EQ(RunPelidor({}), std::vector<std::int32_t>{2});
}

TEST_F(PelidorStart, BadCombinationsGiveTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {"/DL=http://127.0.0.1/f.bin"},
        {"-wk=C:\\Work"},
        {"/DL=http://127.0.0.1/f.bin", "/WK=C:\\Work", "/DLL=C:\\list.ini"},
        {"DL=http://127.0.0.1/f.bin", "WK=C:\\Work"},
        {"--DL=http://127.0.0.1/f.bin", "--WK=C:\\Work"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args.front());
        EXPECT_EQ(RunPelidor(args), std::vector<std::int32_t>{2});
    }
}

TEST_F(PelidorStart, SecondInstanceGetsOneWithoutLookingAtItsArgumentsWhileTheHolderGoesOn) {
    platform::GuardHandle running = Hold("Global\\PelidorMutex");
    for (const auto& args : {std::vector<std::string>{}, std::vector<std::string>{"/bogus"},
                             std::vector<std::string>{"/DL=x", "/DLL=y"}}) {
        EXPECT_EQ(RunPelidor(args), std::vector<std::int32_t>{1});
    }
    EXPECT_EQ(Probe("Global\\PelidorMutex"), platform::GuardStatus::AlreadyExists)
        << "the holder still has its guard";
    EXPECT_EQ(Probe("PelidorMutex"), platform::GuardStatus::Created)
        << "the refused instances left no plain guard";
    platform::CloseNamedGuard(running);
    EXPECT_EQ(RunPelidor({}), std::vector<std::int32_t>{2}) << "free again";
}

TEST_F(PelidorStart, GuardNamesOfOtherRootsDoNotCount) {
    // The same name under another root (another test, or the real desktop) is another guard.
    setenv("NORVANE_GUARD_ROOT", (m_bus.GuardRoot() + "-other").c_str(), 1);
    platform::GuardHandle other = platform::CreateNamedGuard("Global\\PelidorMutex", nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(RunPelidor({}), std::vector<std::int32_t>{2});
    platform::CloseNamedGuard(other);
}

TEST_F(PelidorStart, WithoutGlobalNamespaceThePlainNameGuards) {
    const Environment noGlobal = {{"NORVANE_NO_GLOBAL_NAMESPACE", "1"}};
    platform::GuardHandle global = Hold("Global\\PelidorMutex");
    EXPECT_EQ(RunPelidor({}, noGlobal), std::vector<std::int32_t>{2})
        << "the global name is not looked at";
    platform::GuardHandle plain = Hold("PelidorMutex");
    EXPECT_EQ(RunPelidor({}, noGlobal), std::vector<std::int32_t>{1});
    platform::CloseNamedGuard(plain);
    platform::CloseNamedGuard(global);
}

TEST_F(PelidorStart, MissingBusIsIgnored) {
    const ChildResult result =
        testsupport::RunChild(testsupport::ProgramPath("pelidor"), {"/DL=x"},
                              {{"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/norvane-bus"},
                               {"NORVANE_GUARD_ROOT", m_bus.GuardRoot()}});
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.output + result.errors, "");
}

class ListenTool : public PelidorStart {
protected:
    ChildResult Listen(const std::vector<std::string>& args) {
        return testsupport::RunChild(testsupport::ProgramPath("pelidor-listen"), args,
                                     m_bus.SessionEnvironment());
    }
};

TEST_F(ListenTool, ReportsAFailureCodeWithExitOne) {
    const ChildResult result =
        Listen({"--timeout", "20", "--", testsupport::ProgramPath("pelidor")});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.output.rfind("2 RC_BAD_PARAMETERS: ", 0), 0u) << result.output;
    EXPECT_EQ(result.output.back(), '\n');
}

TEST_F(ListenTool, NoNoticeGivesExitTwo) {
    const ChildResult result = Listen({"--timeout", "1", "--", "/bin/true"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.output, "");
}

TEST_F(ListenTool, SuccessNoticeGivesExitZero) {
    // The command sends nothing; the test posts 0 until the tool has taken it.
    platform::CChildProcess tool;
    ASSERT_TRUE(tool.Start(testsupport::ProgramPath("pelidor-listen"),
                           {"--timeout", "20", "--", "/bin/sleep", "1"}, m_bus.SessionEnvironment(),
                           true));
    setenv("DBUS_SESSION_BUS_ADDRESS", m_bus.Address().c_str(), 1);
    for (int i = 0; i < 200 && !tool.Wait(100); ++i)
        platform::PostNotice("Pelidor", 0);
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    ASSERT_TRUE(tool.Wait(5000));
    EXPECT_EQ(tool.ExitStatus(), 0);
    EXPECT_EQ(tool.Output().rfind("0 RC_SUCCESS: ", 0), 0u) << tool.Output();
}

TEST_F(ListenTool, PrintsEachNoticeOnALine) {
    platform::CChildProcess tool;
    ASSERT_TRUE(tool.Start(testsupport::ProgramPath("pelidor-listen"),
                           {"--count", "2", "--timeout", "20"}, m_bus.SessionEnvironment(), true));
    setenv("DBUS_SESSION_BUS_ADDRESS", m_bus.Address().c_str(), 1);
    // Keep posting until the tool has seen two notices and ended.
    for (int i = 0; i < 200 && !tool.Wait(100); ++i) {
        platform::PostNotice("Pelidor", 118);
        platform::PostNotice("Other", 5); // another registered name: not a notice of Pelidor
    }
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    ASSERT_TRUE(tool.Wait(5000));
    EXPECT_EQ(tool.ExitStatus(), 0);
    const std::string line = "118 RC_REQUEST_FAILED: ";
    ASSERT_EQ(tool.Output().rfind(line, 0), 0u) << tool.Output();
    const std::size_t second = tool.Output().find('\n') + 1;
    EXPECT_EQ(tool.Output().compare(second, line.size(), line), 0) << tool.Output();
}

TEST_F(ListenTool, BadUsageGivesExitTwo) {
    for (const auto& args :
         {std::vector<std::string>{"--timeout"}, std::vector<std::string>{"--count", "x"},
          std::vector<std::string>{"--"}, std::vector<std::string>{"-z"}}) {
        const ChildResult result = Listen(args);
        EXPECT_EQ(result.exitStatus, 2);
        EXPECT_NE(result.errors, "");
    }
}

} // namespace
