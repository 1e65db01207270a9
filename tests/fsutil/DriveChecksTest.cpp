// Drive and folder checks: drive root, drive presence, free space, file and folder existence,
// folder creation alone and as a chain.
#include "pelidor/fsutil/DriveChecks.h"

#include "platform/fs/FileSystem.h"
#include "platform/fs/FsFaults.h"
#include "platform/process/CurrentDirectory.h"
#include "tests/support/TempDrives.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> g_arrCreated;
void RecordCreated(const std::string& path) {
    g_arrCreated.push_back(path);
}

class DriveChecksTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_strC = m_drives.Map('C');
        m_drives.MapMissing('M');
        fs::create_directory(m_strC + "/Data");
        std::ofstream(m_strC + "/file.bin") << "0123456789";
        std::ofstream(m_strC + "/Data/file.bin") << "x";
        g_arrCreated.clear();
        platform::SetCreateDirectoryObserver(&RecordCreated);
    }
    void TearDown() override {
        platform::SetCreateDirectoryObserver(nullptr);
        platform::ClearFsFaults();
    }

    testsupport::CTempDrives m_drives;
    std::string m_strC;
};

TEST_F(DriveChecksTest, IsDriveRoot) {
    struct Case {
        std::string path;
        RESULT_CODE rc;
    } cases[] = {
        {"C:\\", RC_SUCCESS},          {"Q:\\", RC_SUCCESS},
        {"C:", RC_NOT_DRIVE_ROOT},     {"C:\\Data", RC_NOT_DRIVE_ROOT},
        {"C:/", RC_NOT_DRIVE_ROOT},    {"", RC_NOT_DRIVE_ROOT},
        {"C:\\\\", RC_NOT_DRIVE_ROOT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(IsDriveRoot(c.path), c.rc);
    }
}

TEST_F(DriveChecksTest, CheckDrive) {
    struct Case {
        std::string path;
        RESULT_CODE rc;
    } cases[] = {
        {"C:\\Data\\file.bin", RC_SUCCESS},
        {"c:\\nothing\\here", RC_SUCCESS}, // only the drive is looked at
        {"C:file.bin", RC_SUCCESS},
        {"Data\\file.bin", RC_PATH_PART_MISSING},
        {"\\\\server\\share\\file.bin", RC_PATH_PART_MISSING},
        {"", RC_PATH_PART_MISSING},
        {"D:\\x", RC_DRIVE_ABSENT}, // letter not mapped
        {"M:\\x", RC_DRIVE_ABSENT}, // mapped directory missing: no medium
        {"1:\\x", RC_DRIVE_ABSENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(CheckDrive(c.path), c.rc);
    }
}

TEST_F(DriveChecksTest, FreeSpace) {
    // /dev and /proc hold still while the test runs: /proc has nothing available.
    m_drives.MapTo('V', "/dev");
    m_drives.MapTo('P', "/proc");
    std::uint64_t available = 0;
    ASSERT_EQ(GetDriveFreeSpace("V:\\x\\y.bin", available), RC_SUCCESS);
    EXPECT_EQ(platform::GetCurrentNativeDirectory(), "/dev"); // moved to the drive root

    struct Case {
        std::string path;
        std::uint64_t needed;
        RESULT_CODE rc;
    } cases[] = {
        {"V:\\f.bin", available, RC_SUCCESS},
        {"V:\\f.bin", available + 1, RC_NOT_ENOUGH_SPACE},
        {"V:\\f.bin", 0, RC_SUCCESS},
        {"P:\\f.bin", 0, RC_SUCCESS},
        {"P:\\f.bin", 1, RC_NOT_ENOUGH_SPACE},
        {"C:\\f.bin", 0, RC_SUCCESS},
        {"C:\\f.bin", ~std::uint64_t{0}, RC_NOT_ENOUGH_SPACE},
        {"M:\\f.bin", 0, RC_DRIVE_ABSENT},
        {"f.bin", 0, RC_PATH_PART_MISSING},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + " " + std::to_string(c.needed));
        EXPECT_EQ(CheckFreeSpace(c.path, c.needed), c.rc);
    }
    EXPECT_EQ(CheckFreeSpace("C:\\Data\\f.bin", 0), RC_SUCCESS);
    EXPECT_EQ(platform::GetCurrentNativeDirectory(), fs::canonical(m_strC).string());

    platform::SetFsFault(platform::EFsFault::FreeSpaceUnreadable, true);
    std::uint64_t untouched = 42;
    EXPECT_EQ(GetDriveFreeSpace("C:\\f.bin", untouched), RC_FREE_SPACE_UNKNOWN);
    EXPECT_EQ(untouched, 42u);
    EXPECT_EQ(CheckFreeSpace("C:\\f.bin", 0), RC_FREE_SPACE_UNKNOWN);
}

TEST_F(DriveChecksTest, CheckFileExists) {
    struct Case {
        std::string path;
        RESULT_CODE rc;
    } cases[] = {
        {"C:\\file.bin", RC_SUCCESS},
        {"C:/Data/file.bin", RC_SUCCESS},
        {"C:\\Data", RC_FILE_NOT_FOUND}, // a folder
        {"C:\\missing.bin", RC_FILE_NOT_FOUND},
        {"C:\\file.bin\\x", RC_FILE_NOT_FOUND}, // under a regular file
        {"C:\\Data\\.", RC_FILE_NOT_FOUND},
        {"C:\\Data\\..", RC_FILE_NOT_FOUND},
        {"Data\\file.bin", RC_PATH_PART_MISSING},
        {"M:\\file.bin", RC_DRIVE_ABSENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(CheckFileExists(c.path), c.rc);
    }
}

TEST_F(DriveChecksTest, CheckFolderExists) {
    struct Case {
        std::string path;
        RESULT_CODE rc;
    } cases[] = {
        {"C:\\file.bin", RC_SUCCESS}, // drive root, no search
        {"C:\\Data\\file.bin", RC_SUCCESS},
        {"C:\\Data\\", RC_SUCCESS},
        {"C:\\Data", RC_SUCCESS}, // looks at C:\ only
        {"C:\\Nothing", RC_SUCCESS},
        {"C:\\Nothing\\file.bin", RC_FOLDER_NOT_FOUND},
        {"C:\\file.bin\\x", RC_FOLDER_NOT_FOUND}, // the folder is a file
        {"C:\\Data\\.\\x", RC_FOLDER_NOT_FOUND},  // "." never counts as found
        {"C:/x", RC_FOLDER_NOT_FOUND},            // folder part "C:" is no root
        {"C:file.bin", RC_PATH_PART_MISSING},
        {"Data\\file.bin", RC_PATH_PART_MISSING},
        {"M:\\file.bin", RC_DRIVE_ABSENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(CheckFolderExists(c.path), c.rc);
    }
}

TEST_F(DriveChecksTest, CreateFolder) {
    struct Case {
        std::string path;
        RESULT_CODE rc;
        std::vector<std::string> created;
    } cases[] = {
        {"C:\\A\\B\\x", RC_FOLDER_CREATE_FAILED, {}}, // parent C:\A missing
        {"C:\\Data\\x", RC_SUCCESS, {}},              // exists already
        {"C:\\New\\x", RC_SUCCESS, {"C:\\New"}},
        {"C:\\New2\\", RC_SUCCESS, {"C:\\New2"}},
        {"C:\\file.bin\\x", RC_FOLDER_CREATE_FAILED, {}}, // the folder exists as a file
        {"C:file.bin", RC_PATH_PART_MISSING, {}},
        {"M:\\A\\x", RC_DRIVE_ABSENT, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        g_arrCreated.clear();
        EXPECT_EQ(CreateFolder(c.path), c.rc);
        EXPECT_EQ(g_arrCreated, c.created);
    }
    EXPECT_FALSE(fs::exists(m_strC + "/A"));
    EXPECT_TRUE(fs::is_directory(m_strC + "/New"));

    platform::SetDriveReadOnly('C', true);
    EXPECT_EQ(CreateFolder("C:\\Locked\\x"), RC_FOLDER_CREATE_FAILED);
}

TEST_F(DriveChecksTest, CreateFolderChain) {
    std::ofstream(m_strC + "/Data/plain") << "file";
    struct Case {
        std::string path;
        RESULT_CODE rc;
        std::vector<std::string> created;
    } cases[] = {
        {"C:\\A\\B\\C\\", RC_SUCCESS, {"C:\\A", "C:\\A\\B", "C:\\A\\B\\C"}},
        {"C:\\A\\B\\C\\D\\file.bin", RC_SUCCESS, {"C:\\A\\B\\C\\D"}},
        {"C:\\Data\\file.bin", RC_SUCCESS, {}},
        {"C:\\top.bin", RC_SUCCESS, {}},
        {"C:\\X/Y\\Z/f.bin", RC_SUCCESS, {"C:\\X", "C:\\X/Y", "C:\\X/Y\\Z"}},
        {"C:\\file.bin\\sub\\f.bin", RC_FOLDER_CREATE_FAILED, {}}, // C:\file.bin is a file
        {"C:\\Data\\plain\\sub\\f.bin", RC_FOLDER_CREATE_FAILED, {}},
        {"C:/P/Q/f.bin", RC_PATH_PART_MISSING, {}}, // the walk reaches "C:"
        {"C:file.bin", RC_PATH_PART_MISSING, {}},
        {"M:\\A\\f.bin", RC_DRIVE_ABSENT, {}},
        {"f.bin", RC_PATH_PART_MISSING, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        g_arrCreated.clear();
        EXPECT_EQ(CreateFolderChain(c.path), c.rc);
        EXPECT_EQ(g_arrCreated, c.created);
    }
    EXPECT_TRUE(fs::is_directory(m_strC + "/A/B/C/D"));
    EXPECT_TRUE(fs::is_directory(m_strC + "/X/Y/Z"));
}

// Once C:\A exists, a file C:\A\B appears, so the second level cannot be made.
std::string g_strBlockerDir;
void BlockSecondLevel(const std::string& path) {
    RecordCreated(path);
    if (path == "C:\\A")
        std::ofstream(g_strBlockerDir + "/A/B") << "file";
}

TEST_F(DriveChecksTest, CreateFolderChainKeepsWhatItMadeBeforeAFailure) {
    g_strBlockerDir = m_strC;
    platform::SetCreateDirectoryObserver(&BlockSecondLevel);
    EXPECT_EQ(CreateFolderChain("C:\\A\\B\\C\\f.bin"), RC_FOLDER_CREATE_FAILED);
    EXPECT_EQ(g_arrCreated, std::vector<std::string>{"C:\\A"});
    EXPECT_TRUE(fs::is_directory(m_strC + "/A"));

    platform::SetDriveReadOnly('C', true);
    EXPECT_EQ(CreateFolderChain("C:\\R\\S\\f.bin"), RC_FOLDER_CREATE_FAILED);
    EXPECT_FALSE(fs::exists(m_strC + "/R"));
}

} // namespace
