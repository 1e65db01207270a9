// CPelidorApp::RunJob in this process against the scripted server, downloading into temporary
// drives: the order of the requests, the first failure winning while the other URLs are still
// fetched, a later file replacing an earlier one of the same name, and refused file names.
#include "pelidor/app/PelidorApp.h"
#include "tests/support/ScriptedHttpServer.h"
#include "tests/support/TempDrives.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testsupport::PatternBody;
using testsupport::ScriptedHttpServer;
using testsupport::ScriptedReply;

// The application object with a job set directly, as PrepareJob would leave it.
class CJobUnderTest : public CPelidorApp {
public:
    void SetJob(std::vector<std::string> urls, const std::string& workFolder) {
        m_arrUrls = std::move(urls);
        m_strWorkFolder = workFolder;
    }
};

using testsupport::FilesBelow;

// A reply that announces far more bytes than any drive has free; its body is never read.
ScriptedReply Huge() {
    ScriptedReply huge;
    huge.nDeclaredLength = 4000000000000ull;
    return huge;
}

class RunJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_strDrive = m_drives.Map('C');
        fs::create_directories(m_strDrive + "/Jobs/Work");
    }

    RESULT_CODE Run(const std::vector<std::string>& urls) {
        CJobUnderTest app;
        app.SetJob(urls, "C:\\Jobs\\Work\\");
        return app.RunJob();
    }
    std::string Url(const std::string& path) const { return m_server.BaseUrl() + path; }
    std::vector<std::string> RequestedPaths() const {
        std::vector<std::string> paths;
        for (const auto& request : m_server.Requests())
            paths.push_back(request.strPath);
        return paths;
    }
    std::string Work(const std::string& name) const { return m_strDrive + "/Jobs/Work/" + name; }

    testsupport::CTempDrives m_drives;
    ScriptedHttpServer m_server;
    std::string m_strDrive;
};

TEST_F(RunJobTest, EmptyListSucceedsWithoutARequest) {
    EXPECT_EQ(Run({}), RC_SUCCESS);
    EXPECT_EQ(m_server.RequestCount(), 0u);
}

TEST_F(RunJobTest, FetchesEveryUrlInOrderWithTheAgentString) {
    const std::string first = PatternBody(5000);
    const std::string second = PatternBody(1024 * 3 + 1);
    m_server.Serve("/a.bin", ScriptedReply::Ok(first, 700));
    m_server.Serve("/dir/sub/b.bin", ScriptedReply::Ok(second));
    m_server.Serve("/empty.bin", ScriptedReply::Ok(""));

    EXPECT_EQ(Run({Url("/a.bin"), Url("/dir/sub/b.bin"), Url("/empty.bin")}), RC_SUCCESS);

    // Per URL: the check, the worker's size query, the body; one URL after the other.
    const std::vector<std::string> expected = {"/a.bin",         "/a.bin",         "/a.bin",
                                               "/dir/sub/b.bin", "/dir/sub/b.bin", "/dir/sub/b.bin",
                                               "/empty.bin",     "/empty.bin",     "/empty.bin"};
    EXPECT_EQ(RequestedPaths(), expected);
    for (const auto& request : m_server.Requests()) {
        EXPECT_EQ(request.strMethod, "GET");
        EXPECT_EQ(request.Header("User-Agent"), "NORVANE/1.0/Pelidor");
    }
    EXPECT_TRUE(testsupport::ReadWholeFile(Work("a.bin")) == first);
    EXPECT_TRUE(testsupport::ReadWholeFile(Work("b.bin")) == second);
    EXPECT_TRUE(fs::exists(Work("empty.bin")));
    EXPECT_EQ(fs::file_size(Work("empty.bin")), 0u);
}

TEST_F(RunJobTest, FirstFailureWinsAndEveryUrlIsAttempted) {
    m_server.Serve("/ok.bin", ScriptedReply::Ok(PatternBody(2000)));
    m_server.Serve("/missing.bin", ScriptedReply::WithStatus(404, "no"));
    m_server.Serve("/huge.bin", Huge());
    // A server part that names no host: Connect refuses it, and nothing is sent for it.
    const std::string noHost = "http:///ok.bin";

    struct Case {
        const char* what;
        std::vector<std::string> paths; // "!" stands for the URL without a host
        RESULT_CODE expected;
        std::vector<std::string> requested;
    };
    const std::vector<Case> cases = {
        {"ok, 404, no space",
         {"/ok.bin", "/missing.bin", "/huge.bin"},
         RC_REQUEST_FAILED,
         {"/ok.bin", "/ok.bin", "/ok.bin", "/missing.bin", "/huge.bin", "/huge.bin"}},
        {"no space, then 404",
         {"/huge.bin", "/missing.bin"},
         RC_NOT_ENOUGH_SPACE,
         {"/huge.bin", "/huge.bin", "/missing.bin"}},
        {"connect fails first",
         {"!", "/ok.bin"},
         RC_WRONG_SERVICE,
         {"/ok.bin", "/ok.bin", "/ok.bin"}},
        {"connect fails after a 404", {"/missing.bin", "!"}, RC_REQUEST_FAILED, {"/missing.bin"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(Work("ok.bin"));
        const std::size_t before = m_server.RequestCount();
        std::vector<std::string> urls;
        for (const std::string& path : c.paths)
            urls.push_back(path == "!" ? noHost : Url(path));

        EXPECT_EQ(Run(urls), c.expected);

        const std::vector<std::string> all = RequestedPaths();
        EXPECT_EQ(
            std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(before), all.end()),
            c.requested);
        EXPECT_FALSE(fs::exists(Work("missing.bin")));
        EXPECT_FALSE(fs::exists(Work("huge.bin")));
        const bool fetchesOk =
            std::find(c.paths.begin(), c.paths.end(), "/ok.bin") != c.paths.end();
        EXPECT_EQ(fs::exists(Work("ok.bin")), fetchesOk);
        if (fetchesOk) {
            EXPECT_TRUE(testsupport::ReadWholeFile(Work("ok.bin")) == PatternBody(2000));
        }
    }
}

TEST_F(RunJobTest, LaterUrlWithTheSameFileNameReplacesTheEarlier) {
    const std::string later = PatternBody(1500).substr(100) + "tail";
    m_server.Serve("/one/f.bin", ScriptedReply::Ok(PatternBody(4000)));
    m_server.Serve("/two/f.bin", ScriptedReply::Ok(later));
    EXPECT_EQ(Run({Url("/one/f.bin"), Url("/two/f.bin")}), RC_SUCCESS);
    EXPECT_TRUE(testsupport::ReadWholeFile(Work("f.bin")) == later);
    EXPECT_EQ(FilesBelow(m_strDrive), std::vector<std::string>{"Jobs/Work/f.bin"});
}

TEST_F(RunJobTest, RefusedFileNamesSendNothingAndTheRunGoesOn) {
    m_server.Serve("/ok.bin", ScriptedReply::Ok(PatternBody(300)));
    // Whatever path is asked for, the server would answer; the refused URLs must not ask.
    for (const char* path :
         {"/a/..\\..\\x.bin", "/a/..%5C..%5Cx.bin", "/a/C:x.bin", "/a/..", "/a/sub\\x.bin"})
        m_server.Serve(path, ScriptedReply::Ok("escaped"));

    EXPECT_EQ(Run({Url("/a/..\\..\\x.bin"), Url("/a/C:x.bin"), Url("/a/.."), Url("/a/sub\\x.bin"),
                   Url("/ok.bin")}),
              RC_BAD_OBJECT_PATH);
    EXPECT_EQ(RequestedPaths(), (std::vector<std::string>{"/ok.bin", "/ok.bin", "/ok.bin"}));
    EXPECT_EQ(FilesBelow(m_strDrive), std::vector<std::string>{"Jobs/Work/ok.bin"});
}

TEST_F(RunJobTest, EscapesAndQueryTextStayInTheFileName) {
    m_server.Serve("/get.php?id=7&k=v", ScriptedReply::Ok("seven"));
    m_server.Serve("/a%20b.bin", ScriptedReply::Ok("space"));
    EXPECT_EQ(Run({Url("/get.php?id=7&k=v"), Url("/a%20b.bin")}), RC_SUCCESS);
    EXPECT_EQ(testsupport::ReadWholeFile(Work("get.php?id=7&k=v")), "seven");
    EXPECT_EQ(testsupport::ReadWholeFile(Work("a%20b.bin")), "space");
}

} // namespace
