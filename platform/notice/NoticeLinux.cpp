// Linux: the notice is a D-Bus signal on the session bus, sent with sd-bus. Object path
// /com/norvane/Notice, interface com.norvane.Notice, member = the registered name, one int32.
#include "platform/notice/Notice.h"
#include "platform/notice/NoticeBusLinux.h"

#include <cstdint>
#include <systemd/sd-bus.h>

namespace platform {

namespace {

// Longest time spent handing the signal to the bus daemon (connection set-up included).
constexpr std::uint64_t kPostLimitUsec = 5'000'000;

using notice_bus::NowUsec;

// Drives the connection until the queued signal has been written to the daemon, within the
// time limit. A signal is fire-and-forget: nothing waits for a receiver.
void FlushBounded(sd_bus* bus) {
    const std::uint64_t deadline = NowUsec() + kPostLimitUsec;
    for (;;) {
        std::uint64_t queued = 0;
        if (sd_bus_is_ready(bus) > 0 && sd_bus_get_n_queued_write(bus, &queued) >= 0 && queued == 0)
            return;
        const int processed = sd_bus_process(bus, nullptr);
        if (processed < 0)
            return;
        if (processed > 0)
            continue;
        const std::uint64_t now = NowUsec();
        if (now >= deadline)
            return;
        if (sd_bus_wait(bus, deadline - now) < 0)
            return;
    }
}

} // namespace

void PostNotice(const std::string& name, std::int32_t code) {
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0)
        return;
    if (sd_bus_emit_signal(bus, notice_bus::kPath, notice_bus::kInterface, name.c_str(), "i",
                           code) >= 0)
        FlushBounded(bus);
    sd_bus_close(bus);
    sd_bus_unref(bus);
}

} // namespace platform
