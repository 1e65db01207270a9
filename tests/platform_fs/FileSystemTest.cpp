// The stat-based file-system services on Windows paths.
#include "platform/fs/FileSystem.h"

#include "platform/fs/FileException.h"
#include "platform/fs/FsFaults.h"
#include "platform/process/CurrentDirectory.h"
#include "tests/support/TempDrives.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace {

using namespace platform;

class FileSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_strC = m_drives.Map('C');
        m_drives.MapMissing('M');
        std::filesystem::create_directory(m_strC + "/dir");
        std::ofstream(m_strC + "/file.bin") << "0123456789";
        std::ofstream(m_strC + "/ro.bin") << "x";
        ::chmod((m_strC + "/ro.bin").c_str(), 0444);
    }
    void TearDown() override { ClearFsFaults(); }

    testsupport::CTempDrives m_drives;
    std::string m_strC;
};

TEST_F(FileSystemTest, Attributes) {
    struct Case {
        const char* path;
        std::uint32_t attributes;
    } cases[] = {
        {"C:\\.", FILE_ATTR_DIRECTORY},
        {"C:\\dir", FILE_ATTR_DIRECTORY},
        {"C:/dir/", FILE_ATTR_DIRECTORY},
        {"C:\\file.bin", FILE_ATTR_ARCHIVE},
        {"C:\\ro.bin", FILE_ATTR_ARCHIVE | FILE_ATTR_READONLY},
        {"C:\\missing", FILE_ATTR_INVALID},
        {"C:\\file.bin\\x", FILE_ATTR_INVALID}, // a path under a regular file
        {"M:\\.", FILE_ATTR_INVALID},           // mapped directory missing
        {"D:\\.", FILE_ATTR_INVALID},           // not mapped
        {"dir", FILE_ATTR_INVALID},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(GetPathAttributes(c.path), c.attributes);
    }
}

TEST_F(FileSystemTest, FindFirstEntryReportsTheNameAsGiven) {
    struct Case {
        const char* path;
        bool found;
        const char* name;
        std::uint32_t attributes;
    } cases[] = {
        {"C:\\dir", true, "dir", FILE_ATTR_DIRECTORY},
        {"C:\\file.bin", true, "file.bin", FILE_ATTR_ARCHIVE},
        {"C:\\dir\\.", true, ".", FILE_ATTR_DIRECTORY},
        {"C:\\dir\\..", true, "..", FILE_ATTR_DIRECTORY},
        {"C:\\dir\\", false, "", 0},
        {"C:\\", false, "", 0},
        {"C:\\*.*", false, "", 0}, // no wildcards
        {"C:\\missing", false, "", 0},
        {"M:\\x", false, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        CFindEntry entry{"untouched", 7};
        EXPECT_EQ(FindFirstEntry(c.path, entry), c.found);
        EXPECT_EQ(entry.m_strName, c.found ? c.name : "untouched");
        EXPECT_EQ(entry.m_nAttributes, c.found ? c.attributes : 7u);
    }
}

TEST_F(FileSystemTest, FreeSpaceIsWhatAnUnprivilegedUserMayUse) {
    struct statvfs vfs {};
    ASSERT_EQ(::statvfs(m_strC.c_str(), &vfs), 0);
    std::uint64_t available = 0;
    ASSERT_TRUE(GetAvailableFreeSpace("C:\\", available));
    const std::uint64_t expected = std::uint64_t{vfs.f_bavail} * vfs.f_frsize;
    // Other processes write meanwhile: allow a little drift.
    EXPECT_NEAR(static_cast<double>(available), static_cast<double>(expected), 64.0 * 1024 * 1024);

    std::uint64_t untouched = 42;
    EXPECT_FALSE(GetAvailableFreeSpace("M:\\", untouched));
    SetFsFault(EFsFault::FreeSpaceUnreadable, true);
    EXPECT_FALSE(GetAvailableFreeSpace("C:\\", untouched));
    EXPECT_EQ(untouched, 42u);
}

TEST_F(FileSystemTest, CurrentDirectoryMoves) {
    ASSERT_TRUE(SetCurrentDirectoryPath("C:\\dir"));
    EXPECT_EQ(GetCurrentNativeDirectory(), std::filesystem::canonical(m_strC + "/dir").string());
    EXPECT_FALSE(SetCurrentDirectoryPath("M:\\"));
}

TEST_F(FileSystemTest, CreateOneDirectory) {
    EXPECT_TRUE(CreateOneDirectory("C:\\new"));
    EXPECT_TRUE(std::filesystem::is_directory(m_strC + "/new"));
    EXPECT_FALSE(CreateOneDirectory("C:\\new"));         // exists
    EXPECT_FALSE(CreateOneDirectory("C:\\a\\b"));        // parent missing
    EXPECT_FALSE(CreateOneDirectory("C:\\file.bin\\x")); // under a file
    EXPECT_FALSE(CreateOneDirectory("M:\\x"));
    SetDriveReadOnly('C', true);
    EXPECT_FALSE(CreateOneDirectory("C:\\other"));
    EXPECT_FALSE(std::filesystem::exists(m_strC + "/other"));
}

TEST_F(FileSystemTest, StatusReadAndWrite) {
    CFileStatus status;
    ASSERT_TRUE(GetFileStatus("C:\\ro.bin", status));
    EXPECT_EQ(status.m_nAttribute, FILE_ATTR_ARCHIVE | FILE_ATTR_READONLY);
    EXPECT_NE(status.m_nWriteTime, 0);
    EXPECT_FALSE(GetFileStatus("C:\\missing", status));

    // Attributes none: the owner may write again; zero times stay as they were.
    struct stat before {};
    ::stat((m_strC + "/ro.bin").c_str(), &before);
    SetFileStatus("C:\\ro.bin", CFileStatus{});
    struct stat after {};
    ::stat((m_strC + "/ro.bin").c_str(), &after);
    EXPECT_NE(after.st_mode & S_IWUSR, 0u);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);

    CFileStatus set;
    set.m_nAttribute = FILE_ATTR_READONLY;
    set.m_nWriteTime = 1000000000;
    SetFileStatus("C:\\file.bin", set);
    ASSERT_TRUE(GetFileStatus("C:\\file.bin", status));
    EXPECT_EQ(status.m_nAttribute & FILE_ATTR_READONLY, FILE_ATTR_READONLY);
    EXPECT_EQ(status.m_nWriteTime, 1000000000);

    EXPECT_THROW(SetFileStatus("C:\\missing", CFileStatus{}), CFileException);
    SetFsFault(EFsFault::StatusWriteFails, true);
    EXPECT_THROW(SetFileStatus("C:\\file.bin", CFileStatus{}), CFileException);
}

TEST_F(FileSystemTest, RemoveFile) {
    EXPECT_NO_THROW(RemoveFile("C:\\ro.bin"));
    EXPECT_FALSE(std::filesystem::exists(m_strC + "/ro.bin"));
    EXPECT_THROW(RemoveFile("C:\\ro.bin"), CFileException);
    EXPECT_THROW(RemoveFile("C:\\dir"), CFileException);
    EXPECT_THROW(RemoveFile("D:\\x"), CFileException);
    SetFsFault(EFsFault::RemoveFails, true);
    EXPECT_THROW(RemoveFile("C:\\file.bin"), CFileException);
    EXPECT_TRUE(std::filesystem::exists(m_strC + "/file.bin"));
}

} // namespace
