// The profile reader on files of temporary drives: paths through the drive map, the current
// contents at every call, and hostile files (binary, NUL bytes, megabyte lines, a folder, a
// pipe, a device, a file that cannot be read).
#include "platform/profile/ProfileFile.h"
#include "tests/support/TempDrives.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using platform::ReadProfileValue;

class ProfileFile : public ::testing::Test {
protected:
    void SetUp() override { m_strC = m_drives.Map('C'); }

    // Writes the file in place (same inode when it exists), as an editor saving it would.
    void Write(const std::string& name, const std::string& contents) {
        std::ofstream out(m_strC + "/" + name, std::ios::binary | std::ios::trunc);
        out << contents;
    }
    // Reads C:\<name>; "<none>" when nothing came back.
    std::string Read(const std::string& name, const std::string& section, const std::string& key) {
        std::string value = "stale";
        const bool found = ReadProfileValue("C:\\" + name, section, key, value);
        if (!found) {
            EXPECT_EQ(value, "") << "no value means an empty one";
            return "<none>";
        }
        return value;
    }

    testsupport::CTempDrives m_drives;
    std::string m_strC;
};

TEST_F(ProfileFile, ReadsThroughTheDriveMap) {
    std::filesystem::create_directories(m_strC + "/Jobs");
    Write("Jobs/list.ini", "[Download]\r\nFile000=http://h/a\r\nWorkPath=C:\\Work\r\n");
    EXPECT_EQ(Read("Jobs\\list.ini", "download", "workpath"), "C:\\Work");
    std::string value;
    EXPECT_TRUE(ReadProfileValue("c:/Jobs/list.ini", "Download", "File000", value));
    EXPECT_EQ(value, "http://h/a");
    EXPECT_FALSE(ReadProfileValue("Jobs\\list.ini", "Download", "File000", value))
        << "no drive letter";
    EXPECT_FALSE(ReadProfileValue("Q:\\Jobs\\list.ini", "Download", "File000", value))
        << "unmapped letter";
    EXPECT_EQ(Read("Jobs\\missing.ini", "Download", "File000"), "<none>");
}

TEST_F(ProfileFile, EveryReadSeesTheCurrentContents) {
    // Rewrites in place with the same size right after a read. Where the file system stamps
    // with a coarse clock, a copy cached by size, times and inode alone would hand out the old
    // text whenever both writes fall in one clock tick.
    for (int round = 0; round < 50; ++round) {
        SCOPED_TRACE(round);
        const std::string a = std::to_string(round % 10);
        const std::string b = std::to_string((round + 1) % 10);
        Write("list.ini", "[S]\nk=" + a + "\n");
        ASSERT_EQ(Read("list.ini", "S", "k"), a);
        Write("list.ini", "[S]\nk=" + b + "\n");
        ASSERT_EQ(Read("list.ini", "S", "k"), b);
    }
    // Replaced by another file, removed, and made again.
    Write("other.ini", "[S]\nk=other\n");
    std::filesystem::rename(m_strC + "/other.ini", m_strC + "/list.ini");
    EXPECT_EQ(Read("list.ini", "S", "k"), "other");
    std::filesystem::remove(m_strC + "/list.ini");
    EXPECT_EQ(Read("list.ini", "S", "k"), "<none>");
    Write("list.ini", "[S]\nk=back\n");
    EXPECT_EQ(Read("list.ini", "S", "k"), "back");
}

TEST_F(ProfileFile, AnUnchangedFileGivesTheSameAnswersLater) {
    Write("list.ini", "[S]\nk=1\nj=2\n");
    EXPECT_EQ(Read("list.ini", "S", "k"), "1");
    usleep(30'000); // the file's time stamp is settled now: the parsed copy is used
    EXPECT_EQ(Read("list.ini", "S", "j"), "2");
    EXPECT_EQ(Read("list.ini", "S", "k"), "1");
    Write("list.ini", "[S]\nk=3\nj=4\n");
    EXPECT_EQ(Read("list.ini", "S", "j"), "4");
    // Two files in turn.
    Write("two.ini", "[S]\nk=two\n");
    EXPECT_EQ(Read("two.ini", "S", "k"), "two");
    EXPECT_EQ(Read("list.ini", "S", "k"), "3");
}

TEST_F(ProfileFile, HostileContents) {
    using namespace std::string_literals;
    std::string binary;
    for (int i = 0; i < 1 << 20; ++i)
        binary += static_cast<char>((i * 7919) ^ (i >> 3));
    Write("binary.ini", binary);
    EXPECT_EQ(Read("binary.ini", "Download", "File000"), "<none>");

    Write("nul.ini", "[Download]\nFile000=http://h/a\0http://evil/b\nFile001=x\0\n"s);
    EXPECT_EQ(Read("nul.ini", "Download", "File000"), "http://h/a");
    EXPECT_EQ(Read("nul.ini", "Download", "File001"), "x");

    const std::string huge(8 << 20, 'x');
    Write("long.ini",
          "[" + huge + "]\n" + huge + "=1\n[Download]\nFile000=" + huge + "\nWorkPath=C:\\W\n");
    EXPECT_EQ(Read("long.ini", "Download", "File000"), std::string(4095, 'x'));
    EXPECT_EQ(Read("long.ini", "Download", "WorkPath"), "C:\\W");

    Write("empty.ini", "");
    EXPECT_EQ(Read("empty.ini", "Download", "File000"), "<none>");
}

TEST_F(ProfileFile, FilesThatAreNoTextFilesGiveNothing) {
    std::filesystem::create_directories(m_strC + "/folder.ini");
    EXPECT_EQ(Read("folder.ini", "Download", "File000"), "<none>");

    // A pipe would stall a reader that opens it blocking; a device may never end.
    ASSERT_EQ(::mkfifo((m_strC + "/pipe.ini").c_str(), 0600), 0);
    EXPECT_EQ(Read("pipe.ini", "Download", "File000"), "<none>");
    m_drives.MapTo('D', "/dev");
    std::string value;
    EXPECT_FALSE(ReadProfileValue("D:\\zero", "Download", "File000", value));
    EXPECT_FALSE(ReadProfileValue("D:\\null", "Download", "File000", value));
}

TEST_F(ProfileFile, FilesThatCannotBeReadGiveNothing) {
    // A regular file whose read fails with EIO, even for root.
    m_drives.MapTo('P', "/proc/self");
    std::string value;
    EXPECT_FALSE(ReadProfileValue("P:\\mem", "Download", "File000", value));

    // A file without read permission, read by an unprivileged user in a child process.
    Write("locked.ini", "[Download]\nFile000=http://h/a\n");
    ASSERT_EQ(::chmod((m_strC + "/locked.ini").c_str(), 0200), 0);
    ASSERT_EQ(::chmod(m_drives.Base().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(m_strC.c_str(), 0755), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        std::string v;
        ::_exit(ReadProfileValue("C:\\locked.ini", "Download", "File000", v) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: read anyway, 3: could not drop privileges";

    // The same file readable again in this process shows its value: the check was real.
    ASSERT_EQ(::chmod((m_strC + "/locked.ini").c_str(), 0600), 0);
    EXPECT_EQ(Read("locked.ini", "Download", "File000"), "http://h/a");
}

} // namespace
