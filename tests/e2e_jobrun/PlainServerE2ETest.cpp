// The real pelidor against a plain file server that these tests did not write: Python's
// http.server on 127.0.0.1 serving a folder of generated files. A download list of one 100 MiB
// file and 100 small ones must bring every file over byte for byte.
#include "platform/spawn/ChildProcess.h"
#include "tests/support/BuildPaths.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/NoticeCollector.h"
#include "tests/support/PrivateBus.h"
#include "tests/support/TempDrives.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kBigSize = 100ull * 1024 * 1024;
constexpr int kSmallCount = 100;

// Writes size bytes of a xorshift sequence seeded with seed: no period a misplaced block
// could hide in.
void WriteGenerated(const std::string& path, std::uint64_t size, std::uint64_t seed) {
    std::ofstream out(path, std::ios::binary);
    std::vector<char> block(64 * 1024);
    std::uint64_t state = seed * 0x9E3779B97F4A7C15ull + 1;
    for (std::uint64_t written = 0; written < size;) {
        for (std::size_t i = 0; i < block.size(); i += 8) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            for (std::size_t k = 0; k < 8; ++k)
                block[i + k] = static_cast<char>(state >> (8 * k));
        }
        const std::uint64_t count = std::min<std::uint64_t>(block.size(), size - written);
        out.write(block.data(), static_cast<std::streamsize>(count));
        written += count;
    }
}

// True when both files exist and hold the same bytes.
bool SameBytes(const std::string& a, const std::string& b) {
    std::ifstream fa(a, std::ios::binary);
    std::ifstream fb(b, std::ios::binary);
    if (!fa || !fb)
        return false;
    std::vector<char> ba(1 << 20);
    std::vector<char> bb(1 << 20);
    for (;;) {
        fa.read(ba.data(), static_cast<std::streamsize>(ba.size()));
        fb.read(bb.data(), static_cast<std::streamsize>(bb.size()));
        if (fa.gcount() != fb.gcount())
            return false;
        if (!std::equal(ba.begin(), ba.begin() + fa.gcount(), bb.begin()))
            return false;
        if (fa.gcount() == 0)
            return true;
    }
}

// A loopback port that was free a moment ago.
std::uint16_t FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    std::uint16_t port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(fd);
    return port;
}

bool Accepts(std::uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

TEST(PlainFileServerE2E, DownloadsA100MiBFileAndAHundredSmallOnesByteForByte) {
    testsupport::PrivateBus bus;
    ASSERT_TRUE(bus.Ok()) << "dbus-daemon did not start";
    testsupport::CTempDrives drives;
    const std::string drive = drives.Map('C');
    const std::string served = drives.Base() + "/served";
    fs::create_directories(served + "/small files");

    WriteGenerated(served + "/big.bin", kBigSize, 1);
    std::vector<std::string> names;
    for (int i = 0; i < kSmallCount; ++i) {
        // Sizes around the 1024-byte block and the empty file among them.
        const std::uint64_t size = i < 5 ? std::vector<std::uint64_t>{0, 1, 1023, 1024, 1025}[i]
                                         : static_cast<std::uint64_t>(i) * 997 % 20000;
        char name[32];
        std::snprintf(name, sizeof name, "s%03d.dat", i);
        names.push_back(name);
        WriteGenerated(served + "/small files/" + name, size, static_cast<std::uint64_t>(i) + 2);
    }

    const std::uint16_t port = FreePort();
    ASSERT_NE(port, 0);
    platform::CChildProcess server;
    ASSERT_TRUE(server.Start(
        "/bin/sh", {"-c",
                    "exec python3 -m http.server --bind 127.0.0.1 \"$0\" --directory \"$1\" "
                    ">/dev/null 2>&1",
                    std::to_string(port), served}));
    bool ready = false;
    for (int i = 0; i < 200 && !ready; ++i) {
        ready = Accepts(port);
        if (!ready)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_TRUE(ready) << "python3 -m http.server did not start";

    const std::string base = "http://127.0.0.1:" + std::to_string(port);
    {
        std::ofstream list(drive + "/list.ini", std::ios::binary);
        list << "[Download]\nFile000=" << base << "/big.bin\n";
        for (int i = 0; i < kSmallCount; ++i) {
            char key[32];
            std::snprintf(key, sizeof key, "File%03d", i + 1);
            list << key << "=" << base << "/small%20files/" << names[i] << "\n";
        }
        list << "WorkPath=C:\\Work\nFileSize=" << kBigSize << "\n";
    }

    testsupport::NoticeCollector collector(bus.Address());
    ASSERT_TRUE(collector.Ok());
    testsupport::Environment env = bus.SessionEnvironment();
    env.emplace_back("PELIDOR_DRIVES", drives.DrivesVariable());
    const testsupport::ChildResult result = testsupport::RunChild(
        testsupport::ProgramPath("pelidor"), {"/DLL=C:\\list.ini"}, env, 120'000);
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(collector.CollectFor(500), std::vector<std::int32_t>{0});

    EXPECT_EQ(fs::file_size(drive + "/Work/big.bin"), kBigSize);
    EXPECT_TRUE(SameBytes(served + "/big.bin", drive + "/Work/big.bin"));
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(SameBytes(served + "/small files/" + name, drive + "/Work/" + name));
    }
    std::size_t fetched = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(drive + "/Work"))
        ++fetched;
    EXPECT_EQ(fetched, static_cast<std::size_t>(kSmallCount) + 1);
}

} // namespace
