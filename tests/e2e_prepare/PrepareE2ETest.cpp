// The real pelidor preparing its job as a child process with a private bus and temporary
// drives: each way the preparation can fail ends the run with exactly one notice carrying its
// code, and a preparation that succeeds leaves the whole work folder chain behind. Downloads
// point at a loopback port that refuses connections, so nothing is ever fetched.
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

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testsupport::Environment;
using Notices = std::vector<std::int32_t>;

// A TCP port on 127.0.0.1 that is bound but never listened on: a connection to it is refused
// at once, and no other program can take the port while the object lives.
class ClosedPort {
public:
    ClosedPort() : m_fd(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
            ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            m_nPort = ntohs(address.sin_port);
    }
    ~ClosedPort() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ClosedPort(const ClosedPort&) = delete;
    ClosedPort& operator=(const ClosedPort&) = delete;

    bool Ok() const { return m_nPort != 0; }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(m_nPort) + path;
    }

private:
    int m_fd;
    std::uint16_t m_nPort = 0;
};

class PrepareE2E : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_bus.Ok()) << "dbus-daemon did not start";
        ASSERT_TRUE(m_port.Ok());
        m_drives.Map('C');
        m_drives.MapMissing('M');
    }

    // Runs program (the built pelidor unless given) with args and the temporary drives;
    // returns every notice seen until shortly after it ended.
    Notices Run(const std::vector<std::string>& args, Environment extra = {},
                const std::string& program = testsupport::ProgramPath("pelidor")) {
        testsupport::NoticeCollector collector(m_bus.Address());
        EXPECT_TRUE(collector.Ok());
        Environment env = m_bus.SessionEnvironment();
        env.emplace_back("PELIDOR_DRIVES", m_drives.DrivesVariable());
        env.insert(env.end(), extra.begin(), extra.end());
        const testsupport::ChildResult result = testsupport::RunChild(program, args, env);
        EXPECT_TRUE(result.started);
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitStatus, 0);
        return collector.CollectFor(500);
    }

    // Writes a file given by its Windows path on a mapped drive, folders included.
    void WriteFile(const std::string& windowsPath, const std::string& contents) {
        const fs::path native = m_drives.Native(windowsPath);
        fs::create_directories(native.parent_path());
        std::ofstream(native, std::ios::binary | std::ios::trunc) << contents;
    }
    bool IsFolder(const std::string& windowsPath) const {
        return fs::is_directory(m_drives.Native(windowsPath));
    }
    // A download list with one URL per entry of urls and the given work folder.
    static std::string ListText(const std::vector<std::string>& urls, const std::string& work) {
        std::string text = "[Download]\r\n";
        char key[32];
        for (std::size_t i = 0; i < urls.size(); ++i) {
            std::snprintf(key, sizeof key, "File%03zu", i);
            text += std::string(key) + "=" + urls[i] + "\r\n";
        }
        if (!work.empty())
            text += "WorkPath=" + work + "\r\n";
        return text;
    }

    testsupport::PrivateBus m_bus;
    testsupport::CTempDrives m_drives;
    ClosedPort m_port;
};

TEST_F(PrepareE2E, EachFailureOfThePreparationIsTheNoticeCode) {
    const std::string url = m_port.Url("/f.bin");
    WriteFile("C:\\Lists\\noWork.ini", ListText({url}, ""));
    WriteFile("C:\\Lists\\gap.ini", ListText({}, "C:\\Out") + "File001=" + url + "\n");
    WriteFile("C:\\Lists\\folders.ini", ListText({"http://h/", "http://h", "h/d/"}, "C:\\Out"));
    WriteFile("C:\\Lists\\longSize.ini",
              ListText({url}, "C:\\Out") + "FileSize=1,234,567,890,123,456\n");
    WriteFile("C:\\Blocker", "a file where a folder is wanted");

    struct Case {
        const char* what;
        std::vector<std::string> args;
        Environment extra;
        std::int32_t code;
        const char* absentFolder; // must not exist afterwards (may be null)
    };
    const Case cases[] = {
        {"no switch", {}, {}, 2, nullptr},
        {"URL without work folder", {"/DL=" + url}, {}, 2, nullptr},
        {"list with work folder", {"/DLL=C:\\Lists\\noWork.ini", "/WK=C:\\Out"}, {}, 2, "C:\\Out"},
        {"missing list file", {"/DLL=C:\\Lists\\none.ini"}, {}, 3, nullptr},
        {"list without WorkPath", {"/DLL=C:\\Lists\\noWork.ini"}, {}, 3, nullptr},
        {"list with an empty File000", {"/DLL=C:\\Lists\\gap.ini"}, {}, 3, "C:\\Out"},
        {"list file on a drive without medium", {"/DLL=M:\\l.ini"}, {}, 3, nullptr},
        {"URL naming a folder", {"/DL=http://127.0.0.1/d/", "/WK=C:\\Out"}, {}, 4, "C:\\Out"},
        {"every listed URL filtered out", {"/DLL=C:\\Lists\\folders.ini"}, {}, 4, "C:\\Out"},
        {"fifteen size digits",
         {"/DL=" + url, "/WK=C:\\Out", "/SZ=000000000000001"},
         {},
         6,
         "C:\\Out"},
        {"fifteen digits in the list's FileSize",
         {"/DLL=C:\\Lists\\longSize.ini"},
         {},
         6,
         "C:\\Out"},
        {"work folder without drive letter", {"/DL=" + url, "/WK=Out"}, {}, 5, nullptr},
        {"work folder on a drive without medium", {"/DL=" + url, "/WK=M:\\Out"}, {}, 5, nullptr},
        {"write-protected drive",
         {"/DL=" + url, "/WK=C:\\Out"},
         {{"PELIDOR_FS_FAULTS", "readonly=C"}},
         5,
         "C:\\Out"},
        {"more bytes than the drive has",
         {"/DL=" + url, "/WK=C:\\Out", "/SZ=99,999,999,999,999"},
         {},
         5,
         "C:\\Out"},
        {"free space cannot be read",
         {"/DL=" + url, "/WK=C:\\Out", "/SZ=1"},
         {{"PELIDOR_FS_FAULTS", "free-space"}},
         5,
         "C:\\Out"},
        {"a file in the folder chain", {"/DL=" + url, "/WK=C:\\Blocker\\Sub"}, {}, 5, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Run(c.args, c.extra), Notices{c.code});
        if (c.absentFolder != nullptr) {
            EXPECT_FALSE(IsFolder(c.absentFolder));
        }
    }
}

TEST_F(PrepareE2E, SuccessfulPreparationCreatesTheWorkFolderChain) {
    const std::string url = m_port.Url("/f.bin");
    WriteFile("C:\\Lists\\job.ini",
              ListText({"http://127.0.0.1/d/", url}, "C:\\FromList\\A\\B") + "FileSize=1,024\n");
    struct Case {
        const char* what;
        std::vector<std::string> args;
        const char* folder;
    };
    const Case cases[] = {
        {"command line", {"/DL=" + url, "/WK=C:\\Cmd\\One\\Two"}, "C:\\Cmd\\One\\Two"},
        {"command line with trailing backslash and size",
         {"/DL=" + url, "/WK=C:\\Sized\\Deep\\", "/SZ=1,048,576"},
         "C:\\Sized\\Deep"},
        {"command line, size without digits",
         {"/DL=" + url, "/WK=C:\\NoSize", "/SZ=abc"},
         "C:\\NoSize"},
        {"list file", {"/DLL=C:\\Lists\\job.ini"}, "C:\\FromList\\A\\B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(IsFolder(c.folder));
        const Notices notices = Run(c.args);
        ASSERT_EQ(notices.size(), 1u);
        EXPECT_TRUE(notices[0] < 2 || notices[0] > 6) << "preparation failed: " << notices[0];
        EXPECT_TRUE(IsFolder(c.folder));
    }
}

// A list path without a drive letter names a file in the program's own folder: only its title
// and extension count, and the program's title or extension fill an empty one. The program is
// copied to C:\Apps\pelidor so that its folder is on a temporary drive.
TEST_F(PrepareE2E, RelativeListPathIsResolvedNextToTheProgram) {
    const std::string program = m_drives.Native("C:\\Apps\\pelidor");
    fs::create_directories(fs::path(program).parent_path());
    fs::copy_file(testsupport::ProgramPath("pelidor"), program);
    const std::string url = m_port.Url("/f.bin");
    WriteFile("C:\\Apps\\list.ini", ListText({url}, "C:\\Work\\List"));
    WriteFile("C:\\Apps\\pelidor.ini", ListText({url}, "C:\\Work\\ProgramTitle"));
    WriteFile("C:\\Apps\\job", ListText({url}, "C:\\Work\\NoExtension"));
    // Files of the same names in the current directory and in a named folder must not be used.
    WriteFile("C:\\Cwd\\here.ini", ListText({url}, "C:\\Work\\Cwd"));
    WriteFile("C:\\Jobs\\list.ini", ListText({url}, "C:\\Work\\Jobs"));
    fs::current_path(m_drives.Native("C:\\Cwd")); // restored by the temporary drives

    struct Case {
        const char* list;
        std::int32_t prepareCode; // 0: prepared, the folder below must exist
        const char* folder;
    };
    const Case cases[] = {
        {"list.ini", 0, "C:\\Work\\List"},
        {"Jobs\\list.ini", 0, "C:\\Work\\List"},
        {"\\\\server\\share\\list.ini", 0, "C:\\Work\\List"},
        {".ini", 0, "C:\\Work\\ProgramTitle"},
        {"job", 0, "C:\\Work\\NoExtension"},
        {"here.ini", 3, "C:\\Work\\Cwd"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        const Notices notices = Run({std::string("/DLL=") + c.list}, {}, program);
        ASSERT_EQ(notices.size(), 1u);
        if (c.prepareCode == 0) {
            EXPECT_TRUE(notices[0] < 2 || notices[0] > 6) << "preparation failed: " << notices[0];
            EXPECT_TRUE(IsFolder(c.folder));
        } else {
            EXPECT_EQ(notices[0], c.prepareCode);
            EXPECT_FALSE(IsFolder(c.folder));
        }
    }
    EXPECT_FALSE(IsFolder("C:\\Work\\Jobs"));
}

} // namespace
