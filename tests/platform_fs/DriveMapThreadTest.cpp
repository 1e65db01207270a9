// The process's drive map read from worker threads while the main thread reloads it.
#include "platform/fs/DriveMap.h"

#include "tests/support/TempDrives.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

TEST(DriveMapThreadTest, ReadersSeeAWholeMapDuringReloads) {
    testsupport::CTempDrives drives;
    const std::string c = drives.Map('C');
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 2; ++t) {
        readers.emplace_back([&] {
            for (int i = 0; i < 20000 && !stop.load(); ++i) {
                std::string native;
                if (!platform::WindowsToNativePath("C:\\a\\b", native) || native != c + "/a/b")
                    bad.fetch_add(1);
            }
        });
    }
    for (int i = 0; i < 200; ++i)
        platform::ReloadDriveMap();
    stop.store(true);
    for (auto& reader : readers)
        reader.join();
    EXPECT_EQ(bad.load(), 0);
}

} // namespace
