// A private D-Bus session daemon for one test: started in the constructor, killed in the
// destructor. Children of the test that get SessionEnvironment() post their notices to this
// bus and keep their single-instance guard apart from every other test running in parallel.
#pragma once

#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace testsupport {

class PrivateBus {
public:
    // Starts `dbus-daemon --session --nofork --print-address` and waits up to 10 s for its
    // address. Check Ok() before use.
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool Ok() const { return !m_strAddress.empty(); }
    // The bus address, for DBUS_SESSION_BUS_ADDRESS or CNoticeListener::Subscribe.
    const std::string& Address() const { return m_strAddress; }
    // A guard root unique to this bus (NORVANE_GUARD_ROOT), so that "Global\PelidorMutex"
    // of this test's children is not the one of another test's children.
    const std::string& GuardRoot() const { return m_strGuardRoot; }
    // DBUS_SESSION_BUS_ADDRESS and NORVANE_GUARD_ROOT for a child process.
    std::vector<std::pair<std::string, std::string>> SessionEnvironment() const;

private:
    pid_t m_pid;
    std::string m_strAddress;
    std::string m_strGuardRoot;
};

} // namespace testsupport
