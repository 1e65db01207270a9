// The whole agent end to end: the real pelidor started as a child with a private bus and
// temporary drives, fetching from the scripted server in this process. Each run must give
// exactly one notice with the run's code, and the work folder must hold exactly the files
// that were fetched.
#include "platform/spawn/ChildProcess.h"
#include "tests/support/BuildPaths.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/NoticeCollector.h"
#include "tests/support/PrivateBus.h"
#include "tests/support/ScriptedHttpServer.h"
#include "tests/support/TempDrives.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testsupport::Environment;
using testsupport::PatternBody;
using testsupport::ScriptedHttpServer;
using testsupport::ScriptedReply;
using Notices = std::vector<std::int32_t>;

using testsupport::FilesBelow;

class JobRunE2E : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_bus.Ok()) << "dbus-daemon did not start";
        m_strDrive = m_drives.Map('C');
    }

    Environment ChildEnvironment() const {
        Environment env = m_bus.SessionEnvironment();
        env.emplace_back("PELIDOR_DRIVES", m_drives.DrivesVariable());
        return env;
    }

    // Runs pelidor with args; every notice seen until shortly after it ended.
    Notices RunPelidor(const std::vector<std::string>& args) {
        testsupport::NoticeCollector collector(m_bus.Address());
        EXPECT_TRUE(collector.Ok());
        const testsupport::ChildResult result = testsupport::RunChild(
            testsupport::ProgramPath("pelidor"), args, ChildEnvironment(), 60'000);
        EXPECT_TRUE(result.started);
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(result.output + result.errors, "");
        return collector.CollectFor(500);
    }

    // Writes a download list with the URLs and the work folder C:\Jobs\Work; runs pelidor on it.
    Notices RunList(const std::vector<std::string>& urls) {
        std::ofstream list(m_strDrive + "/list.ini", std::ios::binary);
        list << "[Download]\r\n";
        for (std::size_t i = 0; i < urls.size(); ++i) {
            char key[32];
            std::snprintf(key, sizeof key, "File%03zu", i);
            list << key << "=" << urls[i] << "\r\n";
        }
        list << "WorkPath=C:\\Jobs\\Work\r\n";
        list.close();
        return RunPelidor({"/DLL=C:\\list.ini"});
    }

    std::string Url(const std::string& path) const { return m_server.BaseUrl() + path; }
    std::string Work(const std::string& name) const { return m_strDrive + "/Jobs/Work/" + name; }
    std::vector<std::string> RequestedPaths() const {
        std::vector<std::string> paths;
        for (const auto& request : m_server.Requests())
            paths.push_back(request.strPath);
        return paths;
    }
    // The files on drive C: apart from the download list.
    std::vector<std::string> DriveFiles() const {
        std::vector<std::string> files = FilesBelow(m_strDrive);
        files.erase(std::remove(files.begin(), files.end(), "list.ini"), files.end());
        return files;
    }

    testsupport::PrivateBus m_bus;
    testsupport::CTempDrives m_drives;
    ScriptedHttpServer m_server;
    std::string m_strDrive;
};

TEST_F(JobRunE2E, EveryUrlFetchedGivesZeroAndIdenticalFiles) {
    const std::string big = PatternBody(3 * 1024 * 1024 + 17);
    const std::string small = PatternBody(1023);
    ScriptedReply chunked = ScriptedReply::Ok(PatternBody(50'000), 4096);
    chunked.length = ScriptedReply::Length::Chunked;
    m_server.Serve("/files/big.bin", ScriptedReply::Ok(big, 64 * 1024));
    m_server.Serve("/small.txt", ScriptedReply::Ok(small));
    m_server.Serve("/deep/er/chunked.dat", chunked);

    EXPECT_EQ(RunList({Url("/files/big.bin"), Url("/small.txt"), Url("/deep/er/chunked.dat")}),
              Notices{0});
    EXPECT_TRUE(testsupport::ReadWholeFile(Work("big.bin")) == big);
    EXPECT_TRUE(testsupport::ReadWholeFile(Work("small.txt")) == small);
    EXPECT_TRUE(testsupport::ReadWholeFile(Work("chunked.dat")) == PatternBody(50'000));
    EXPECT_EQ(DriveFiles(), (std::vector<std::string>{"Jobs/Work/big.bin", "Jobs/Work/chunked.dat",
                                                      "Jobs/Work/small.txt"}));
    for (const auto& request : m_server.Requests())
        EXPECT_EQ(request.Header("User-Agent"), "NORVANE/1.0/Pelidor");

    // The three switches: one URL, a work folder that does not exist yet, the expected size.
    EXPECT_EQ(RunPelidor({"/DL=" + Url("/small.txt"), "/WK=C:\\New\\Folder",
                          "/SZ=" + std::to_string(small.size())}),
              Notices{0});
    EXPECT_TRUE(testsupport::ReadWholeFile(m_strDrive + "/New/Folder/small.txt") == small);
}

TEST_F(JobRunE2E, SecondUrlFailingWith118AndThirdWith306Gives118WithFirstAndThirdAttempted) {
    ScriptedReply huge; // announces 4 TB: more than the drive has free; the body is never read
    huge.nDeclaredLength = 4000000000000ull;
    m_server.Serve("/first.bin", ScriptedReply::Ok(PatternBody(4000)));
    m_server.Serve("/second.bin", ScriptedReply::WithStatus(404, "not here"));
    m_server.Serve("/third.bin", huge);

    EXPECT_EQ(RunList({Url("/first.bin"), Url("/second.bin"), Url("/third.bin")}), Notices{118});
    EXPECT_EQ(RequestedPaths(),
              (std::vector<std::string>{"/first.bin", "/first.bin", "/first.bin", "/second.bin",
                                        "/third.bin", "/third.bin"}))
        << "the third is checked and sized by its worker, which then finds no room";
    EXPECT_TRUE(testsupport::ReadWholeFile(Work("first.bin")) == PatternBody(4000));
    EXPECT_EQ(DriveFiles(), std::vector<std::string>{"Jobs/Work/first.bin"});

    // Alone, the third gives its own code.
    EXPECT_EQ(RunList({Url("/third.bin")}), Notices{306});
}

TEST_F(JobRunE2E, TwoUrlsWithTheSameFileNameLeaveTheLater) {
    const std::string later = "the later one";
    m_server.Serve("/a/same.bin", ScriptedReply::Ok(PatternBody(10'000)));
    m_server.Serve("/b/same.bin", ScriptedReply::Ok(later));
    EXPECT_EQ(RunList({Url("/a/same.bin"), Url("/b/same.bin")}), Notices{0});
    EXPECT_EQ(testsupport::ReadWholeFile(Work("same.bin")), later);
    EXPECT_EQ(DriveFiles(), std::vector<std::string>{"Jobs/Work/same.bin"});
}

TEST_F(JobRunE2E, UrlWithAPortReachesThatPort) {
    ScriptedHttpServer other;
    m_server.Serve("/p.bin", ScriptedReply::Ok("from the first server"));
    other.Serve("/p.bin", ScriptedReply::Ok("from the other server"));
    ASSERT_NE(m_server.Port(), other.Port());

    EXPECT_EQ(RunPelidor({"/DL=" + other.BaseUrl() + "/p.bin", "/WK=C:\\Jobs\\Work"}), Notices{0});
    EXPECT_EQ(testsupport::ReadWholeFile(Work("p.bin")), "from the other server");
    EXPECT_EQ(m_server.RequestCount(), 0u);
    ASSERT_EQ(other.RequestCount(), 3u);
    EXPECT_EQ(other.Requests()[0].Header("Host"), "127.0.0.1:" + std::to_string(other.Port()));
}

TEST_F(JobRunE2E, TraversalFileNameGives117AndWritesNothingOutsideTheWorkFolder) {
    m_server.Serve("/ok.bin", ScriptedReply::Ok(PatternBody(777)));
    // Were they asked for, these would be served and land above the work folder.
    for (const char* path : {"/a/..\\..\\x.bin", "/a/..%5C..%5Cx.bin", "/a/..", "/a/C:x.bin"})
        m_server.Serve(path, ScriptedReply::Ok("escaped"));

    EXPECT_EQ(RunList({Url("/a/..\\..\\x.bin"), Url("/a/.."), Url("/a/C:x.bin"), Url("/ok.bin")}),
              Notices{117});
    EXPECT_EQ(RequestedPaths(), (std::vector<std::string>{"/ok.bin", "/ok.bin", "/ok.bin"}));
    EXPECT_EQ(DriveFiles(), std::vector<std::string>{"Jobs/Work/ok.bin"});

    // The single-URL form is refused the same way.
    EXPECT_EQ(RunPelidor({"/DL=" + Url("/a/..\\..\\x.bin"), "/WK=C:\\Jobs\\Work"}), Notices{117});
    EXPECT_EQ(m_server.RequestCount(), 3u);
    EXPECT_EQ(DriveFiles(), std::vector<std::string>{"Jobs/Work/ok.bin"});
}

TEST_F(JobRunE2E, SecondInstanceDuringADownloadGivesOneWhileTheFirstCompletesWithZero) {
    // About three seconds of body, well inside the data time-out between pieces.
    const std::string body = PatternBody(20 * 4096);
    ScriptedReply slow = ScriptedReply::Ok(body, 4096);
    slow.nPieceDelayMs = 150;
    m_server.Enqueue(ScriptedReply::Ok(body)); // the check
    m_server.Enqueue(ScriptedReply::Ok(body)); // the worker's size query
    m_server.Enqueue(slow);                    // the body

    testsupport::NoticeCollector collector(m_bus.Address());
    ASSERT_TRUE(collector.Ok());
    platform::CChildProcess first;
    ASSERT_TRUE(first.Start(testsupport::ProgramPath("pelidor"),
                            {"/DL=" + Url("/slow.bin"), "/WK=C:\\Jobs\\Work"}, ChildEnvironment(),
                            true));
    ASSERT_TRUE(m_server.WaitForRequests(3, 20'000)) << "the body request did not come";

    const testsupport::ChildResult second =
        testsupport::RunChild(testsupport::ProgramPath("pelidor"),
                              {"/DL=" + Url("/other.bin"), "/WK=C:\\Other"}, ChildEnvironment());
    EXPECT_FALSE(second.timedOut);
    EXPECT_EQ(second.exitStatus, 0);
    std::int32_t code = -1;
    ASSERT_TRUE(collector.Next(10'000, code));
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(first.Running()) << "the first was still downloading";

    ASSERT_TRUE(first.Wait(60'000));
    EXPECT_EQ(first.ExitStatus(), 0);
    ASSERT_TRUE(collector.Next(10'000, code));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(collector.CollectFor(300), Notices{});
    EXPECT_TRUE(testsupport::ReadWholeFile(Work("slow.bin")) == body);
    EXPECT_EQ(m_server.RequestCount(), 3u) << "the second instance sent nothing";
    EXPECT_FALSE(fs::exists(m_strDrive + "/Other"));
}

} // namespace
