// Linux: what the notice's sender and its listener share — the signal's object path and
// interface, and the monotonic clock their bounded waits are measured on.
#pragma once

#include <cstdint>
#include <time.h>

namespace platform::notice_bus {

inline constexpr char kPath[] = "/com/norvane/Notice";
inline constexpr char kInterface[] = "com.norvane.Notice";

inline std::uint64_t NowUsec() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000u +
           static_cast<std::uint64_t>(now.tv_nsec) / 1000u;
}

} // namespace platform::notice_bus
