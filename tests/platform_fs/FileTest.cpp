// The platform file class: open flags, exclusive lock, buffered writes, flush and close failures.
#include "platform/fs/File.h"

#include "platform/fs/FsFaults.h"
#include "tests/support/TempDrives.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using platform::CFile;
using platform::CFileException;

std::string ReadAll(const std::string& native) {
    std::ifstream in(native, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteAll(const std::string& native, const std::string& text) {
    std::ofstream(native, std::ios::binary) << text;
}

class FileTest : public ::testing::Test {
protected:
    void SetUp() override { m_strC = m_drives.Map('C'); }
    void TearDown() override { platform::ClearFsFaults(); }

    testsupport::CTempDrives m_drives;
    std::string m_strC;
};

TEST_F(FileTest, OpenFlags) {
    struct Case {
        const char* name;
        bool exists;
        unsigned flags;
        bool opens;
        const char* contentAfter; // nullptr: no file afterwards
    } cases[] = {
        {"read existing", true, CFile::modeRead, true, "0123456789"},
        {"read missing", false, CFile::modeRead, false, nullptr},
        {"write existing", true, CFile::modeWrite, true, "0123456789"},
        {"write missing", false, CFile::modeWrite, false, nullptr},
        {"readwrite missing", false, CFile::modeReadWrite, false, nullptr},
        {"create missing", false, CFile::modeCreate | CFile::modeWrite, true, ""},
        {"create cuts", true, CFile::modeCreate | CFile::modeWrite, true, ""},
        {"create keeps", true, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite, true,
         "0123456789"},
        {"create rw cuts", true, CFile::modeCreate | CFile::modeReadWrite, true, ""},
        {"bad access value", true, 0x3, false, "0123456789"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string native = m_strC + "/f.bin";
        std::filesystem::remove(native);
        if (c.exists)
            WriteAll(native, "0123456789");
        for (unsigned share : {CFile::shareExclusive, CFile::shareDenyNone}) {
            if (c.exists)
                WriteAll(native, "0123456789");
            CFile file;
            EXPECT_EQ(file.Open("C:\\f.bin", c.flags | share), c.opens);
            EXPECT_EQ(file.IsOpen(), c.opens);
            if (c.contentAfter) {
                ASSERT_TRUE(std::filesystem::exists(native));
                EXPECT_EQ(ReadAll(native), c.contentAfter);
            } else {
                EXPECT_FALSE(std::filesystem::exists(native));
            }
            EXPECT_NO_THROW(file.Close());
        }
    }
}

TEST_F(FileTest, RefusesFoldersReadOnlyFilesForWritingAndUnmappedDrives) {
    std::filesystem::create_directory(m_strC + "/dir");
    WriteAll(m_strC + "/ro.bin", "keep");
    ::chmod((m_strC + "/ro.bin").c_str(), 0444);

    CFile file;
    EXPECT_FALSE(file.Open("C:\\dir", CFile::modeRead));
    EXPECT_FALSE(file.Open("C:\\dir", CFile::modeCreate | CFile::modeWrite));
    EXPECT_FALSE(file.Open("C:\\ro.bin", CFile::modeCreate | CFile::modeWrite));
    EXPECT_EQ(ReadAll(m_strC + "/ro.bin"), "keep"); // not cut although we run as root
    EXPECT_FALSE(file.Open("D:\\x.bin", CFile::modeCreate | CFile::modeWrite));
    EXPECT_TRUE(file.Open("C:\\ro.bin", CFile::modeRead));
    EXPECT_THROW(file.Write("x", 1), CFileException); // opened for reading
    file.Close();
}

TEST_F(FileTest, ExclusiveOpenLocksOutOtherExclusiveOpenersAndNeverCutsTheirFile) {
    WriteAll(m_strC + "/f.bin", "0123456789");
    CFile holder;
    ASSERT_TRUE(holder.Open("C:\\f.bin", CFile::modeWrite | CFile::shareExclusive));

    CFile other;
    EXPECT_FALSE(
        other.Open("C:\\f.bin", CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive));
    EXPECT_EQ(ReadAll(m_strC + "/f.bin"), "0123456789");
    EXPECT_TRUE(other.Open("C:\\f.bin", CFile::modeRead | CFile::shareDenyNone));
    other.Close();

    holder.Close();
    EXPECT_TRUE(other.Open("C:\\f.bin", CFile::modeWrite | CFile::shareExclusive));
    other.Close();
}

TEST_F(FileTest, DescriptorIsCloseOnExec) {
    CFile file;
    ASSERT_TRUE(file.Open("C:\\f.bin", CFile::modeCreate | CFile::modeWrite));
    const std::string target = std::filesystem::canonical(m_strC + "/f.bin").string();
    bool found = false;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        if (std::filesystem::read_symlink(entry.path(), ec).string() != target)
            continue;
        const int fd = std::stoi(entry.path().filename().string());
        found = true;
        EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
    }
    EXPECT_TRUE(found);
    file.Close();
}

TEST_F(FileTest, BufferedWritesArriveWholeInOrder) {
    std::string expected;
    CFile file;
    ASSERT_TRUE(file.Open("C:\\big.bin", CFile::modeCreate | CFile::modeWrite));
    // 1 KiB blocks across several buffer fills, then one write larger than the buffer.
    for (int i = 0; i < 200; ++i) {
        const std::string block(1024, static_cast<char>('a' + i % 26));
        file.Write(block.data(), static_cast<std::uint32_t>(block.size()));
        expected += block;
    }
    const std::string large(CFile::kBufferSize * 2 + 7, 'Z');
    file.Write(large.data(), static_cast<std::uint32_t>(large.size()));
    expected += large;
    file.Write("tail", 4);
    expected += "tail";
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(ReadAll(m_strC + "/big.bin"), expected);
}

TEST_F(FileTest, DestroyingAnOpenFileKeepsBufferedBytes) {
    {
        CFile file;
        ASSERT_TRUE(file.Open("C:\\f.bin", CFile::modeCreate | CFile::modeWrite));
        file.Write("abc", 3);
    }
    EXPECT_EQ(ReadAll(m_strC + "/f.bin"), "abc");
}

TEST_F(FileTest, FullFileSystemFailsAtWriteOutOrClose) {
    m_drives.MapTo('P', "/dev");
    {
        CFile file; // a small write stays in the buffer; the close writes it out and fails
        ASSERT_TRUE(file.Open("P:\\full", CFile::modeWrite | CFile::shareDenyNone));
        EXPECT_NO_THROW(file.Write("x", 1));
        EXPECT_THROW(file.Close(), CFileException);
        EXPECT_TRUE(file.IsOpen());
        file.Abort();
        EXPECT_FALSE(file.IsOpen());
    }
    {
        CFile file; // a write beyond the buffer goes through and fails at once
        ASSERT_TRUE(file.Open("P:\\full", CFile::modeWrite | CFile::shareDenyNone));
        const std::string large(CFile::kBufferSize + 1, 'x');
        EXPECT_THROW(file.Write(large.data(), static_cast<std::uint32_t>(large.size())),
                     CFileException);
        // The bytes are lost, so the close must not report success either.
        EXPECT_THROW(file.Close(), CFileException);
        file.Abort();
    }
}

TEST_F(FileTest, FaultSeams) {
    platform::SetFsFault(platform::EFsFault::FlushFails, true);
    CFile file;
    ASSERT_TRUE(file.Open("C:\\f.bin", CFile::modeCreate | CFile::modeWrite));
    file.Write("abc", 3);
    EXPECT_THROW(file.Close(), CFileException);
    file.Abort();
    // Reading needs no flush.
    ASSERT_TRUE(file.Open("C:\\f.bin", CFile::modeRead));
    EXPECT_NO_THROW(file.Close());
    platform::ClearFsFaults();

    platform::SetDriveReadOnly('c', true);
    EXPECT_FALSE(file.Open("C:\\g.bin", CFile::modeCreate | CFile::modeWrite));
    EXPECT_FALSE(file.Open("C:\\f.bin", CFile::modeWrite));
    EXPECT_TRUE(file.Open("C:\\f.bin", CFile::modeRead));
    file.Close();
    EXPECT_FALSE(std::filesystem::exists(m_strC + "/g.bin"));
}

TEST(FsFaultListTest, ParsesTheEnvironmentText) {
    platform::ClearFsFaults();
    platform::ApplyFsFaultList("free-space,bogus,readonly=d,remove");
    EXPECT_TRUE(platform::HasFsFault(platform::EFsFault::FreeSpaceUnreadable));
    EXPECT_TRUE(platform::HasFsFault(platform::EFsFault::RemoveFails));
    EXPECT_FALSE(platform::HasFsFault(platform::EFsFault::FlushFails));
    EXPECT_FALSE(platform::HasFsFault(platform::EFsFault::StatusWriteFails));
    EXPECT_TRUE(platform::IsDriveReadOnly('D'));
    EXPECT_FALSE(platform::IsDriveReadOnly('C'));
    platform::ClearFsFaults();
    EXPECT_FALSE(platform::IsDriveReadOnly('D'));
}

} // namespace
