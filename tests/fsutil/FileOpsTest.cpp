// File operations: the five open modes with the truncate and share flags, write, close, empty
// file creation, deletion of read-only files, and the writability probe.
#include "pelidor/fsutil/FileOps.h"

#include "pelidor/fsutil/LocalFile.h"
#include "platform/fs/FsFaults.h"
#include "tests/support/TempDrives.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& native) {
    std::ifstream in(native, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class FileOpsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_strC = m_drives.Map('C');
        m_drives.MapMissing('M');
        fs::create_directory(m_strC + "/Data");
    }
    void TearDown() override { platform::ClearFsFaults(); }

    void MakeFile(const std::string& name, const std::string& text, bool readOnly = false) {
        const std::string native = m_strC + "/" + name;
        fs::remove(native);
        std::ofstream(native, std::ios::binary) << text;
        if (readOnly)
            ::chmod(native.c_str(), 0444);
    }

    testsupport::CTempDrives m_drives;
    std::string m_strC;
};

TEST_F(FileOpsTest, OpenModes) {
    struct Case {
        int mode;
        int truncate;
        bool exists;
        RESULT_CODE rc;
        const char* after; // contents after the open; nullptr: no file
    } cases[] = {
        {0, 0, true, RC_SUCCESS, "0123456789"}, {0, 1, false, RC_OPEN_FAILED, nullptr},
        {1, 1, true, RC_SUCCESS, "0123456789"}, // the flag matters for modes 2 and 4 only
        {1, 0, false, RC_OPEN_FAILED, nullptr}, {2, 1, true, RC_SUCCESS, ""},
        {2, 9, true, RC_SUCCESS, ""}, // any non-zero value counts as set
        {2, 0, true, RC_SUCCESS, "0123456789"}, {2, 1, false, RC_SUCCESS, ""},
        {2, 0, false, RC_SUCCESS, ""},          {3, 1, true, RC_SUCCESS, "0123456789"},
        {3, 0, false, RC_OPEN_FAILED, nullptr}, {4, 1, true, RC_SUCCESS, ""},
        {4, 0, true, RC_SUCCESS, "0123456789"}, {4, 0, false, RC_SUCCESS, ""},
    };
    for (const Case& c : cases) {
        for (int share : {0, 1}) {
            SCOPED_TRACE("mode " + std::to_string(c.mode) + " truncate " +
                         std::to_string(c.truncate) + " share " + std::to_string(share) +
                         (c.exists ? " existing" : " missing"));
            fs::remove(m_strC + "/Data/f.bin");
            if (c.exists)
                MakeFile("Data/f.bin", "0123456789");
            LocalFile* file = nullptr;
            EXPECT_EQ(OpenLocalFile("C:\\Data\\f.bin", &file, c.mode, c.truncate, share), c.rc);
            EXPECT_EQ(file != nullptr, c.rc == RC_SUCCESS);
            if (c.after) {
                EXPECT_EQ(ReadAll(m_strC + "/Data/f.bin"), c.after);
            } else {
                EXPECT_FALSE(fs::exists(m_strC + "/Data/f.bin"));
            }
            EXPECT_EQ(CloseLocalFile(&file), RC_SUCCESS);
            EXPECT_EQ(file, nullptr);
        }
    }
}

TEST_F(FileOpsTest, OpenRefusalsLeaveThePointerAsItWas) {
    LocalFile sentinel;
    struct Case {
        std::string path;
        int mode;
        RESULT_CODE rc;
    } cases[] = {
        {"C:\\Data\\f.bin", 5, RC_BAD_OPEN_MODE},       {"C:\\Data\\f.bin", -1, RC_BAD_OPEN_MODE},
        {"C:\\Missing\\f.bin", 2, RC_FOLDER_NOT_FOUND}, {"C:f.bin", 2, RC_PATH_PART_MISSING},
        {"Data\\f.bin", 2, RC_PATH_PART_MISSING},       {"M:\\f.bin", 2, RC_DRIVE_ABSENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + " mode " + std::to_string(c.mode));
        LocalFile* file = &sentinel;
        EXPECT_EQ(OpenLocalFile(c.path, &file, c.mode, 1, 0), c.rc);
        EXPECT_EQ(file, &sentinel);
    }
    EXPECT_FALSE(fs::exists(m_strC + "/Data/f.bin"));
    EXPECT_FALSE(fs::exists(m_strC + "/Missing"));
}

TEST_F(FileOpsTest, ShareFlag) {
    LocalFile* holder = nullptr;
    ASSERT_EQ(OpenLocalFile("C:\\Data\\f.bin", &holder, 2, 1, 0), RC_SUCCESS);
    LocalFile* other = nullptr;
    EXPECT_EQ(OpenLocalFile("C:\\Data\\f.bin", &other, 2, 1, 0), RC_OPEN_FAILED);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(OpenLocalFile("C:\\Data\\f.bin", &other, 0, 0, 3), RC_SUCCESS); // shared
    EXPECT_EQ(CloseLocalFile(&other), RC_SUCCESS);
    EXPECT_EQ(CloseLocalFile(&holder), RC_SUCCESS);
    EXPECT_EQ(OpenLocalFile("C:\\Data\\f.bin", &other, 2, 1, 0), RC_SUCCESS);
    EXPECT_EQ(CloseLocalFile(&other), RC_SUCCESS);
}

TEST_F(FileOpsTest, WriteAndClose) {
    LocalFile* file = nullptr;
    ASSERT_EQ(OpenLocalFile("C:\\Data\\f.bin", &file, 2, 1, 0), RC_SUCCESS);
    std::string expected;
    for (int i = 0; i < 100; ++i) {
        const std::string block(1024, static_cast<char>('0' + i % 10));
        EXPECT_EQ(WriteLocalFile(file, block.data(), 1024), RC_SUCCESS);
        expected += block;
    }
    EXPECT_EQ(WriteLocalFile(file, "", 0), RC_SUCCESS);
    EXPECT_EQ(CloseLocalFile(&file), RC_SUCCESS);
    EXPECT_EQ(file, nullptr);
    EXPECT_EQ(CloseLocalFile(&file), RC_SUCCESS); // a second close of the same variable
    EXPECT_EQ(ReadAll(m_strC + "/Data/f.bin"), expected);
}

TEST_F(FileOpsTest, WriteAndCloseFailuresOnAFullFileSystem) {
    m_drives.MapTo('P', "/dev");
    LocalFile* file = nullptr;
    ASSERT_EQ(OpenLocalFile("P:\\full", &file, 1, 0, 1), RC_SUCCESS);
    const std::string big(LocalFile::kBufferSize + 1, 'x');
    EXPECT_EQ(WriteLocalFile(file, big.data(), static_cast<std::uint32_t>(big.size())),
              RC_WRITE_FAILED);
    ASSERT_NE(file, nullptr); // stays open
    EXPECT_EQ(CloseLocalFile(&file), RC_CLOSE_FAILED);
    EXPECT_EQ(file, nullptr);

    // Bytes that wait in the buffer fail at the close.
    ASSERT_EQ(OpenLocalFile("P:\\full", &file, 1, 0, 1), RC_SUCCESS);
    EXPECT_EQ(WriteLocalFile(file, "abc", 3), RC_SUCCESS);
    EXPECT_EQ(CloseLocalFile(&file), RC_CLOSE_FAILED);
    EXPECT_EQ(file, nullptr);
}

TEST_F(FileOpsTest, CloseFailsWhenTheFlushFails) {
    LocalFile* file = nullptr;
    ASSERT_EQ(OpenLocalFile("C:\\Data\\f.bin", &file, 2, 1, 0), RC_SUCCESS);
    platform::SetFsFault(platform::EFsFault::FlushFails, true);
    EXPECT_EQ(CloseLocalFile(&file), RC_CLOSE_FAILED);
    EXPECT_EQ(file, nullptr);
    // The file was aborted, so its lock is gone.
    platform::ClearFsFaults();
    ASSERT_EQ(OpenLocalFile("C:\\Data\\f.bin", &file, 2, 1, 0), RC_SUCCESS);
    EXPECT_EQ(CloseLocalFile(&file), RC_SUCCESS);
}

TEST_F(FileOpsTest, CreateEmptyFile) {
    MakeFile("Data/keep.bin", "0123456789");
    MakeFile("Data/cut.bin", "0123456789");
    MakeFile("Data/ro.bin", "0123456789", true);
    fs::create_directory(m_strC + "/Data/dir");
    struct Case {
        std::string path;
        int truncate;
        RESULT_CODE rc;
        const char* native;
        const char* after;
    } cases[] = {
        {"C:\\Data\\new.bin", 1, RC_SUCCESS, "/Data/new.bin", ""},
        {"C:\\Data\\keep.bin", 0, RC_SUCCESS, "/Data/keep.bin", "0123456789"},
        {"C:\\Data\\cut.bin", 1, RC_SUCCESS, "/Data/cut.bin", ""},
        {"C:\\Data\\ro.bin", 1, RC_CREATE_FAILED, "/Data/ro.bin", "0123456789"},
        {"C:\\Data\\dir", 1, RC_CREATE_FAILED, nullptr, nullptr},
        {"C:\\Missing\\f.bin", 1, RC_FOLDER_NOT_FOUND, nullptr, nullptr},
        {"M:\\f.bin", 1, RC_DRIVE_ABSENT, nullptr, nullptr},
        {"f.bin", 1, RC_PATH_PART_MISSING, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(CreateEmptyFile(c.path, c.truncate, 0), c.rc);
        if (c.native) {
            EXPECT_EQ(ReadAll(m_strC + c.native), c.after);
        }
    }
    platform::SetFsFault(platform::EFsFault::FlushFails, true);
    EXPECT_EQ(CreateEmptyFile("C:\\Data\\new2.bin", 1, 0), RC_CLOSE_FAILED);
}

TEST_F(FileOpsTest, DeleteLocalFile) {
    MakeFile("Data/f.bin", "x");
    MakeFile("Data/ro.bin", "x", true);
    struct Case {
        std::string path;
        RESULT_CODE rc;
    } cases[] = {
        {"C:\\Data\\f.bin", RC_SUCCESS},         {"C:\\Data\\ro.bin", RC_SUCCESS},
        {"C:\\Data\\ro.bin", RC_FILE_NOT_FOUND}, // gone now
        {"C:\\Data", RC_FILE_NOT_FOUND},         {"C:\\Data\\missing.bin", RC_FILE_NOT_FOUND},
        {"Data\\f.bin", RC_PATH_PART_MISSING},   {"M:\\f.bin", RC_DRIVE_ABSENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(DeleteLocalFile(c.path), c.rc);
    }
    EXPECT_FALSE(fs::exists(m_strC + "/Data/f.bin"));
    EXPECT_FALSE(fs::exists(m_strC + "/Data/ro.bin"));
    EXPECT_TRUE(fs::is_directory(m_strC + "/Data"));
}

TEST_F(FileOpsTest, DeleteFailures) {
    MakeFile("Data/ro.bin", "x", true);
    // A failed status write: the file is not removed and stays read-only.
    platform::SetFsFault(platform::EFsFault::StatusWriteFails, true);
    EXPECT_EQ(DeleteLocalFile("C:\\Data\\ro.bin"), RC_DELETE_FAILED);
    ASSERT_TRUE(fs::exists(m_strC + "/Data/ro.bin"));
    EXPECT_EQ(fs::status(m_strC + "/Data/ro.bin").permissions() & fs::perms::owner_write,
              fs::perms::none);
    platform::ClearFsFaults();

    platform::SetFsFault(platform::EFsFault::RemoveFails, true);
    EXPECT_EQ(DeleteLocalFile("C:\\Data\\ro.bin"), RC_DELETE_FAILED);
    EXPECT_TRUE(fs::exists(m_strC + "/Data/ro.bin"));
}

TEST_F(FileOpsTest, ProbeDriveWritable) {
    const std::string probe = m_strC + "/____TEMP.TMP";
    EXPECT_EQ(ProbeDriveWritable("C:\\Data\\x.bin"), RC_SUCCESS);
    EXPECT_FALSE(fs::exists(probe));
    EXPECT_FALSE(fs::exists(m_strC + "/Data/____TEMP.TMP"));

    // The probe lands in the drive's root: with removal failing it stays behind, empty.
    platform::SetFsFault(platform::EFsFault::RemoveFails, true);
    EXPECT_EQ(ProbeDriveWritable("c:\\Data\\x.bin"), RC_SUCCESS);
    ASSERT_TRUE(fs::exists(probe));
    EXPECT_EQ(fs::file_size(probe), 0u);
    platform::ClearFsFaults();

    // A probe file from before is gone afterwards.
    MakeFile("____TEMP.TMP", "old");
    EXPECT_EQ(ProbeDriveWritable("C:\\x"), RC_SUCCESS);
    EXPECT_FALSE(fs::exists(probe));

    // A read-only probe file: 304, but it is removed so that the next probe succeeds.
    MakeFile("____TEMP.TMP", "old", true);
    EXPECT_EQ(ProbeDriveWritable("C:\\x"), RC_DRIVE_NOT_WRITABLE);
    EXPECT_FALSE(fs::exists(probe));
    EXPECT_EQ(ProbeDriveWritable("C:\\x"), RC_SUCCESS);

    // Another process holds the probe file: it cannot be opened exclusively.
    MakeFile("____TEMP.TMP", "held");
    const int fd = ::open(probe.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    EXPECT_EQ(ProbeDriveWritable("C:\\x"), RC_DRIVE_NOT_WRITABLE);
    ::close(fd);

    struct Case {
        std::string path;
        RESULT_CODE rc;
    } cases[] = {
        {"Data\\x.bin", RC_PATH_PART_MISSING},
        {"M:\\x.bin", RC_DRIVE_ABSENT},
        {"D:\\x.bin", RC_DRIVE_ABSENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ProbeDriveWritable(c.path), c.rc);
    }
}

TEST_F(FileOpsTest, ProbeFailuresFromTheSeams) {
    platform::SetDriveReadOnly('C', true); // a write-protected medium
    EXPECT_EQ(ProbeDriveWritable("C:\\Data\\x.bin"), RC_DRIVE_NOT_WRITABLE);
    EXPECT_FALSE(fs::exists(m_strC + "/____TEMP.TMP"));
    platform::ClearFsFaults();

    platform::SetFsFault(platform::EFsFault::FlushFails, true);
    EXPECT_EQ(ProbeDriveWritable("C:\\Data\\x.bin"), RC_CLOSE_FAILED);
    EXPECT_FALSE(fs::exists(m_strC + "/____TEMP.TMP"));

    // A folder in the way of the probe file.
    platform::ClearFsFaults();
    fs::create_directory(m_strC + "/____TEMP.TMP");
    EXPECT_EQ(ProbeDriveWritable("C:\\Data\\x.bin"), RC_DRIVE_NOT_WRITABLE);
}

} // namespace
