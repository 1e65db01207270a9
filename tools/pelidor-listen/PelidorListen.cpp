// pelidor-listen: listens for Pelidor's completion notice on the session bus.
//
//   pelidor-listen [--count N] [--timeout SECONDS]
//       prints each notice as "CODE NAME: meaning", one a line; ends after N notices or after
//       SECONDS without a notice (default: never). Exit 0, or 2 when the bus cannot be reached.
//   pelidor-listen [--timeout SECONDS] -- COMMAND ARGS...
//       subscribes first, then starts COMMAND, prints the first notice and exits 0 when it
//       carried 0, 1 when it carried another code, 2 when none came within SECONDS (60).
//       COMMAND is never killed: when it still runs at the end it is left to finish.
#include "pelidor/app/ResultCodes.h"
#include "platform/notice/NoticeListener.h"
#include "platform/spawn/ChildProcess.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr char kNoticeName[] = "Pelidor";

void PrintNotice(std::int32_t code) {
    const ResultCodeInfo info = DescribeResultCode(code);
    if (info.name != nullptr)
        std::printf("%d %s: %s\n", code, info.name, info.meaning);
    else
        std::printf("%d (unknown code)\n", code);
    std::fflush(stdout);
}

int Usage() {
    std::fprintf(stderr, "usage: pelidor-listen [--count N] [--timeout SECONDS]\n"
                         "       pelidor-listen [--timeout SECONDS] -- COMMAND [ARGS...]\n");
    return 2;
}

// A positive whole number of at most 7 digits, or -1.
long ParseCount(const char* text) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value <= 0 || value > 9'999'999)
        return -1;
    return value;
}

} // namespace

int main(int argc, char** argv) {
    long timeoutSeconds = -1;
    long count = -1;
    std::vector<std::string> command;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") {
            command.assign(argv + i + 1, argv + argc);
            if (command.empty())
                return Usage();
            break;
        }
        if ((arg == "--timeout" || arg == "--count") && i + 1 < argc) {
            const long value = ParseCount(argv[++i]);
            if (value < 0)
                return Usage();
            (arg == "--timeout" ? timeoutSeconds : count) = value;
            continue;
        }
        return Usage();
    }

    platform::CNoticeListener listener;
    if (!listener.Subscribe(kNoticeName)) {
        std::fprintf(stderr, "pelidor-listen: cannot subscribe on the session bus "
                             "(is DBUS_SESSION_BUS_ADDRESS set?)\n");
        return 2;
    }

    if (command.empty()) {
        const int waitMs = timeoutSeconds < 0 ? 3'600'000 : static_cast<int>(timeoutSeconds * 1000);
        long received = 0;
        for (;;) {
            std::int32_t code = 0;
            if (listener.WaitNext(waitMs, code)) {
                PrintNotice(code);
                if (count > 0 && ++received >= count)
                    return 0;
            } else if (timeoutSeconds >= 0) {
                return 0;
            }
        }
    }

    platform::CChildProcess child;
    const std::string program = command.front();
    command.erase(command.begin());
    if (!child.Start(program, command)) {
        std::fprintf(stderr, "pelidor-listen: cannot start %s\n", program.c_str());
        return 2;
    }
    std::int32_t code = 0;
    const bool received = listener.WaitNext(
        static_cast<int>((timeoutSeconds < 0 ? 60 : timeoutSeconds) * 1000), code);
    // The command ends on its own; it is waited for briefly so that its exit is seen, then
    // left to run (the notice may have come from another instance).
    if (!child.Wait(received ? 5000 : 0))
        child.Detach();
    if (!received) {
        std::fprintf(stderr, "pelidor-listen: no notice came\n");
        return 2;
    }
    PrintNotice(code);
    return code == RC_SUCCESS ? 0 : 1;
}
