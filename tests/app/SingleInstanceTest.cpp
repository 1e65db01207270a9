// The single-instance check of CGenericAppBase over the platform's named guards: the three
// instance states, what is left held, and the branch without a global namespace.
#include "pelidor/app/GenericAppBase.h"
#include "pelidor/app/GlobalNamespace.h"
#include "tests/app/GuardFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

using platform::GuardStatus;

class CTestApp : public CGenericAppBase {
public:
    explicit CTestApp(const std::string& name) { m_strMutexName = name; }
};

const std::string kName = "TestMutex";
const std::string kGlobalName = "Global\\TestMutex";

class SingleInstance : public GuardFixture {};

TEST_F(SingleInstance, NamesMapToGlobalAndSessionAddresses) {
    EXPECT_EQ(platform::GuardAddress("Global\\PelidorMutex", "norvane", "7"),
              "norvane/global/PelidorMutex");
    EXPECT_EQ(platform::GuardAddress("PelidorMutex", "norvane", "7"),
              "norvane/session/7/PelidorMutex");

    setenv("XDG_SESSION_ID", "c42", 1);
    const std::string root = std::getenv("NORVANE_GUARD_ROOT");
    EXPECT_EQ(platform::GuardAddressForProcess(kName), root + "/session/c42/" + kName);
    unsetenv("XDG_SESSION_ID");
    EXPECT_EQ(platform::GuardAddressForProcess(kName),
              root + "/session/" + std::to_string(getuid()) + "/" + kName);
}

TEST_F(SingleInstance, CreationReportsWhetherTheNameExisted) {
    GuardStatus first = GuardStatus::Failed;
    platform::GuardHandle held = platform::CreateNamedGuard(kName, &first);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(first, GuardStatus::Created);

    GuardStatus second = GuardStatus::Failed;
    EXPECT_EQ(platform::CreateNamedGuard(kName, &second), nullptr);
    EXPECT_EQ(second, GuardStatus::AlreadyExists);
    // The global and the plain form are different names.
    EXPECT_EQ(Probe(kGlobalName), GuardStatus::Created);

    platform::CloseNamedGuard(held);
    EXPECT_EQ(Probe(kName), GuardStatus::Created) << "closing releases the name";
}

TEST_F(SingleInstance, FreeNameGivesStateZeroHoldingTheGlobalNameOnly) {
    ASSERT_TRUE(HasGlobalNamespace());
    {
        CTestApp app(kName);
        EXPECT_TRUE(app.Startup());
        EXPECT_EQ(app.GetInstanceState(), 0);
        EXPECT_TRUE(app.HoldsMutex());
        EXPECT_EQ(Probe(kGlobalName), GuardStatus::AlreadyExists);
        EXPECT_EQ(Probe(kName), GuardStatus::Created);
    }
    EXPECT_EQ(Probe(kGlobalName), GuardStatus::Created) << "released with the object";
}

TEST_F(SingleInstance, GlobalNameTakenGivesStateTwoAndLeavesNoPlainGuard) {
    CTestApp first(kName);
    ASSERT_TRUE(first.Startup());

    CTestApp second(kName);
    EXPECT_FALSE(second.Startup());
    EXPECT_EQ(second.GetInstanceState(), 2);
    EXPECT_FALSE(second.HoldsMutex());
    EXPECT_EQ(Probe(kName), GuardStatus::Created) << "the plain name was released at once";
    EXPECT_EQ(Probe(kGlobalName), GuardStatus::AlreadyExists) << "the holder goes on";
}

TEST_F(SingleInstance, BothNamesTakenGiveStateOne) {
    HeldGuard global(kGlobalName);
    HeldGuard plain(kName);
    ASSERT_TRUE(global.Held() && plain.Held());

    CTestApp app(kName);
    EXPECT_FALSE(app.CheckSingleInstance());
    EXPECT_EQ(app.GetInstanceState(), 1);
    EXPECT_FALSE(app.HoldsMutex());
}

TEST_F(SingleInstance, GuardThatCannotBeCreatedGivesStateOne) {
    // Longer than any socket address can be: creation fails outright.
    const std::string tooLong(200, 'x');
    EXPECT_EQ(Probe(tooLong), GuardStatus::Failed);

    CTestApp app(tooLong);
    EXPECT_FALSE(app.Startup());
    EXPECT_EQ(app.GetInstanceState(), 1);
    EXPECT_FALSE(app.HoldsMutex());
}

TEST_F(SingleInstance, WithoutGlobalNamespaceOnlyThePlainNameCounts) {
    platform::OverrideGlobalGuardNamespace(0);
    ASSERT_FALSE(HasGlobalNamespace());
    HeldGuard global(kGlobalName); // ignored in this branch
    {
        CTestApp app(kName);
        EXPECT_TRUE(app.Startup());
        EXPECT_EQ(app.GetInstanceState(), 0);
        EXPECT_EQ(Probe(kName), GuardStatus::AlreadyExists) << "the plain name is kept";

        CTestApp second(kName);
        EXPECT_FALSE(second.Startup());
        EXPECT_EQ(second.GetInstanceState(), 1);
        EXPECT_FALSE(second.HoldsMutex());
    }
    EXPECT_EQ(Probe(kName), GuardStatus::Created);
}

TEST_F(SingleInstance, EnvironmentSaysThereIsNoGlobalNamespace) {
    struct Case {
        const char* value;
        bool exists;
    };
    for (const Case c : {Case{"1", false}, Case{"yes", false}, Case{"0", true}, Case{"", true}}) {
        SCOPED_TRACE(c.value);
        setenv("NORVANE_NO_GLOBAL_NAMESPACE", c.value, 1);
        EXPECT_EQ(HasGlobalNamespace(), c.exists);
    }
    unsetenv("NORVANE_NO_GLOBAL_NAMESPACE");
    EXPECT_TRUE(HasGlobalNamespace());
    // A test's explicit answer wins over the environment.
    setenv("NORVANE_NO_GLOBAL_NAMESPACE", "1", 1);
    platform::OverrideGlobalGuardNamespace(1);
    EXPECT_TRUE(HasGlobalNamespace());
    unsetenv("NORVANE_NO_GLOBAL_NAMESPACE");
}

} // namespace
