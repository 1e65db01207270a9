// Linux: the notice is a D-Bus signal on the session bus, sent with sd-bus. Object path
// /com/norvane/Notice, interface com.norvane.Notice, member = the registered name, one int32.
//
// libsystemd and the libraries it pulls in (some 1.2 MiB once relocated) are loaded only when
// the notice is posted, at the end of the run, so the transfer runs without them. Heap that the
// transfer freed is handed back to the system first, which lowers the peak at the end.
#include "platform/notice/Notice.h"
#include "platform/notice/NoticeBusLinux.h"

#include <cstdint>
#include <dlfcn.h>
#include <malloc.h>
#include <optional>
#include <systemd/sd-bus.h>

namespace platform {

namespace {

// Longest time spent handing the signal to the bus daemon (connection set-up included).
constexpr std::uint64_t kPostLimitUsec = 5'000'000;

using notice_bus::NowUsec;

// The sd-bus calls the sender needs, resolved from libsystemd at run time. The types come from
// the header, so a signature that does not match fails to compile.
struct BusApi {
    decltype(&sd_bus_open_user) open_user = nullptr;
    decltype(&sd_bus_emit_signal) emit_signal = nullptr;
    decltype(&sd_bus_is_ready) is_ready = nullptr;
    decltype(&sd_bus_get_n_queued_write) get_n_queued_write = nullptr;
    decltype(&sd_bus_process) process = nullptr;
    decltype(&sd_bus_wait) wait = nullptr;
    decltype(&sd_bus_close) close = nullptr;
    decltype(&sd_bus_unref) unref = nullptr;
};

template <typename Fn> bool Resolve(void* library, const char* symbol, Fn& fn) {
    fn = reinterpret_cast<Fn>(dlsym(library, symbol));
    return fn != nullptr;
}

// Loads libsystemd and resolves the calls; nullopt when the library or one of the calls is
// missing (then there is no notice, as without a bus). The library stays loaded.
std::optional<BusApi> LoadBusApi() {
    void* library = dlopen("libsystemd.so.0", RTLD_NOW | RTLD_LOCAL);
    BusApi api;
    if (library == nullptr || !Resolve(library, "sd_bus_open_user", api.open_user) ||
        !Resolve(library, "sd_bus_emit_signal", api.emit_signal) ||
        !Resolve(library, "sd_bus_is_ready", api.is_ready) ||
        !Resolve(library, "sd_bus_get_n_queued_write", api.get_n_queued_write) ||
        !Resolve(library, "sd_bus_process", api.process) ||
        !Resolve(library, "sd_bus_wait", api.wait) ||
        !Resolve(library, "sd_bus_close", api.close) ||
        !Resolve(library, "sd_bus_unref", api.unref))
        return std::nullopt;
    return api;
}

// Drives the connection until the queued signal has been written to the daemon, within the
// time limit. A signal is fire-and-forget: nothing waits for a receiver.
void FlushBounded(const BusApi& api, sd_bus* bus) {
    const std::uint64_t deadline = NowUsec() + kPostLimitUsec;
    for (;;) {
        std::uint64_t queued = 0;
        if (api.is_ready(bus) > 0 && api.get_n_queued_write(bus, &queued) >= 0 && queued == 0)
            return;
        const int processed = api.process(bus, nullptr);
        if (processed < 0)
            return;
        if (processed > 0)
            continue;
        const std::uint64_t now = NowUsec();
        if (now >= deadline)
            return;
        if (api.wait(bus, deadline - now) < 0)
            return;
    }
}

} // namespace

void PostNotice(const std::string& name, std::int32_t code) {
    malloc_trim(0);
    static const std::optional<BusApi> loaded = LoadBusApi(); // resolved on the first notice
    if (!loaded)
        return;
    const BusApi& api = *loaded;
    sd_bus* bus = nullptr;
    if (api.open_user(&bus) < 0)
        return;
    if (api.emit_signal(bus, notice_bus::kPath, notice_bus::kInterface, name.c_str(), "i", code) >=
        0)
        FlushBounded(api, bus);
    api.close(bus);
    api.unref(bus);
}

} // namespace platform
