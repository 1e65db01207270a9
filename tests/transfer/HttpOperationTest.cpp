// The HTTP operation end to end against the scripted server, downloading into temporary drives:
// the job run's order (Connect, QueryRemoteFile, StartDownload, WaitDownload) with its codes,
// what the destination holds afterwards, the progress pairs, cancel, the wire, the options
// and Connect's checks.
#include "pelidor/transfer/HttpOperation.h"
#include "platform/inet/InetFaults.h"
#include "tests/support/ScriptedHttpServer.h"
#include "tests/support/TempDrives.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>
#include <utility>

namespace {

namespace fs = std::filesystem;
using testsupport::PatternBody;
using testsupport::ScriptedHttpServer;
using testsupport::ScriptedReply;
using Clock = std::chrono::steady_clock;
using Pair = std::pair<std::int64_t, std::int64_t>;

constexpr const char* kAgent = "NORVANE/1.0/Pelidor";

// Records every progress pair it is given and the capacity of every read.
class CRecordingOperation : public CHttpOperation {
public:
    using CHttpOperation::CHttpOperation;

    void SetProgress(std::int64_t transferred, std::int64_t total) override {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_arrPairs.emplace_back(transferred, total);
        }
        CHttpOperation::SetProgress(transferred, total);
    }
    RESULT_CODE ReadFileRequest(CHttpRequest* request, void* buffer, std::uint32_t capacity,
                                std::uint32_t& count) override {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_arrCapacities.push_back(capacity);
        }
        return CHttpOperation::ReadFileRequest(request, buffer, capacity, count);
    }
    std::vector<Pair> Pairs() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_arrPairs;
    }
    std::vector<std::uint32_t> Capacities() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_arrCapacities;
    }

private:
    std::mutex m_mutex;
    std::vector<Pair> m_arrPairs;
    std::vector<std::uint32_t> m_arrCapacities;
};

void WriteFile(const std::string& native, const std::string& text) {
    std::ofstream(native, std::ios::binary) << text;
}

Pair Progress(CHttpOperation& op) {
    Pair p;
    op.GetProgress(p.first, p.second);
    return p;
}

class HttpOperationTest : public ::testing::Test {
protected:
    void SetUp() override { m_strRoot = m_drives.Map('C'); }
    void TearDown() override { platform::ClearInternetFaults(); }

    std::string Native(const std::string& windowsPath) { return m_drives.Native(windowsPath); }

    // The job run's order for one file; the first non-zero code.
    RESULT_CODE Fetch(CHttpOperation& op, const std::string& path, const std::string& destination,
                      std::int32_t overwrite = 1) {
        RESULT_CODE rc = op.Connect(m_server.BaseUrl(), "", "");
        if (rc == RC_SUCCESS)
            rc = op.QueryRemoteFile(path, nullptr);
        if (rc == RC_SUCCESS)
            rc = op.StartDownload(path, destination, overwrite);
        if (rc == RC_SUCCESS)
            rc = op.WaitDownload();
        return rc;
    }
    RESULT_CODE Fetch(const std::string& path, const std::string& destination,
                      std::int32_t overwrite = 1) {
        CHttpOperation op(kAgent);
        return Fetch(op, path, destination, overwrite);
    }

    testsupport::CTempDrives m_drives;
    ScriptedHttpServer m_server;
    std::string m_strRoot;
};

// ---- outcomes of one download --------------------------------------------------------------

TEST_F(HttpOperationTest, DownloadOutcomes) {
    const std::string body = PatternBody(5000);
    ScriptedReply chunked = ScriptedReply::Ok(body, 1500);
    chunked.length = ScriptedReply::Length::Chunked;
    ScriptedReply untilClose = ScriptedReply::Ok(body, 1500);
    untilClose.length = ScriptedReply::Length::None;
    ScriptedReply shortBody = ScriptedReply::Ok(body.substr(0, 1000));
    shortBody.nDeclaredLength = body.size();
    shortBody.after = ScriptedReply::After::Close;
    ScriptedReply brokenChunked = chunked;
    brokenChunked.bOmitLastChunk = true;
    brokenChunked.after = ScriptedReply::After::Close;
    ScriptedReply resetInBody = ScriptedReply::Ok(body.substr(0, 2000));
    resetInBody.nDeclaredLength = body.size();
    resetInBody.after = ScriptedReply::After::Reset;
    ScriptedReply reset;
    reset.before = ScriptedReply::Before::Reset;
    ScriptedReply moved301 = ScriptedReply::WithStatus(301, "moved");
    moved301.arrHeaders.push_back("Location: /other.bin");
    ScriptedReply moved302 = moved301;
    moved302.nStatus = 302;

    struct Case {
        const char* name;
        std::vector<ScriptedReply> replies; // in order; the last one repeats
        RESULT_CODE expected;
        std::size_t requests; // requests the server saw
        bool fileLeft;        // with the body as content
    };
    const ScriptedReply ok = ScriptedReply::Ok(body, 1000);
    const Case cases[] = {
        {"200 with Content-Length", {ok}, RC_SUCCESS, 3, true},
        {"200 chunked", {chunked}, RC_SUCCESS, 3, true},
        {"200 until close", {untilClose}, RC_SUCCESS, 3, true},
        {"404", {ScriptedReply::WithStatus(404, "no")}, RC_REQUEST_FAILED, 1, false},
        {"301 not followed", {moved301}, RC_REQUEST_FAILED, 1, false},
        {"302 not followed", {moved302}, RC_REQUEST_FAILED, 1, false},
        {"reset while sending", {reset}, RC_NO_CONNECTION, 1, false},
        // A reused connection reset before any answer is tried once more on a new one.
        {"reset in the worker's query", {ok, reset}, RC_NO_CONNECTION, 3, false},
        {"the transfer's own request refused",
         {ok, ok, ScriptedReply::WithStatus(404)},
         RC_REQUEST_REFUSED,
         3,
         false},
        {"body cut short", {ok, ok, shortBody}, RC_READ_FAILED, 3, false},
        {"chunked body broken off", {ok, ok, brokenChunked}, RC_READ_FAILED, 3, false},
        {"reset in the body", {ok, ok, resetInBody}, RC_READ_FAILED, 3, false},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHttpServer server;
        for (std::size_t i = 0; i + 1 < c.replies.size(); ++i)
            server.Enqueue(c.replies[i]);
        server.Serve("/dir/file.bin", c.replies.back());
        const std::string destination = "C:\\Out" + std::to_string(index++) + "\\file.bin";
        CRecordingOperation op(kAgent);
        RESULT_CODE rc = op.Connect(server.BaseUrl(), "", "");
        if (rc == RC_SUCCESS)
            rc = op.QueryRemoteFile("/dir/file.bin", nullptr);
        if (rc == RC_SUCCESS)
            rc = op.StartDownload("/dir/file.bin", destination, 1);
        if (rc == RC_SUCCESS)
            rc = op.WaitDownload();
        EXPECT_EQ(rc, c.expected);
        EXPECT_EQ(server.RequestCount(), c.requests);
        EXPECT_EQ(fs::exists(Native(destination)), c.fileLeft);
        if (c.fileLeft) {
            EXPECT_TRUE(testsupport::ReadWholeFile(Native(destination)) == body);
        }
        if (c.expected == RC_READ_FAILED || c.expected == RC_REQUEST_REFUSED) {
            EXPECT_EQ(Progress(op), Pair(-2, -2));
        }
    }
}

TEST_F(HttpOperationTest, EmptyBodyGivesAnEmptyFile) {
    m_server.Serve("/empty.bin", ScriptedReply::Ok(""));
    EXPECT_EQ(Fetch("/empty.bin", "C:\\empty.bin"), RC_SUCCESS);
    ASSERT_TRUE(fs::exists(Native("C:\\empty.bin")));
    EXPECT_EQ(fs::file_size(Native("C:\\empty.bin")), 0u);
}

TEST_F(HttpOperationTest, QueryRemoteFileSize) {
    struct Case {
        const char* name;
        ScriptedReply::Length length;
        std::optional<std::uint64_t> declared;
        std::uint64_t size;
    };
    const Case cases[] = {
        {"Content-Length", ScriptedReply::Length::Auto, std::nullopt, 2500},
        {"no Content-Length: the request's own length", ScriptedReply::Length::Chunked,
         std::nullopt, 0},
        {"beyond 32 bits: the request's own length", ScriptedReply::Length::Auto, 5000000000ull,
         5000000000ull},
    };
    CHttpOperation op(kAgent);
    ASSERT_EQ(op.Connect(m_server.BaseUrl(), "", ""), RC_SUCCESS);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedReply reply = ScriptedReply::Ok(PatternBody(2500));
        reply.length = c.length;
        reply.nDeclaredLength = c.declared;
        m_server.Enqueue(reply);
        std::uint64_t size = 777;
        EXPECT_EQ(op.QueryRemoteFile("/f.bin", &size), RC_SUCCESS);
        EXPECT_EQ(size, c.size);
    }
}

TEST_F(HttpOperationTest, ProgressPairsAndReadsOfAtMostOneBlock) {
    m_server.Serve("/f.bin", ScriptedReply::Ok(PatternBody(2500)));
    CRecordingOperation op(kAgent);
    EXPECT_EQ(Progress(op), Pair(0, 0));
    ASSERT_EQ(Fetch(op, "/f.bin", "C:\\f.bin"), RC_SUCCESS);
    const std::vector<Pair> expected = {
        {-1, -1}, {0, 2500}, {1024, 2500}, {2048, 2500}, {2500, 2500}};
    EXPECT_EQ(op.Pairs(), expected);
    const std::vector<std::uint32_t> capacities = op.Capacities();
    EXPECT_EQ(capacities.size(), 4u); // 1024, 1024, 452, then the read of 0 bytes
    for (std::uint32_t capacity : capacities)
        EXPECT_EQ(capacity, 1024u);
    EXPECT_EQ(Progress(op), Pair(2500, 2500));
    EXPECT_TRUE(testsupport::ReadWholeFile(Native("C:\\f.bin")) == PatternBody(2500));
}

TEST_F(HttpOperationTest, TheWire) {
    m_server.Serve("/dir/sub/file.bin", ScriptedReply::Ok(PatternBody(4096)));
    ASSERT_EQ(Fetch("/dir/sub/file.bin", "C:\\file.bin"), RC_SUCCESS);
    const auto requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 3u); // the owner's query, the worker's query, the transfer
    for (const auto& r : requests) {
        EXPECT_EQ(r.strMethod, "GET");
        EXPECT_EQ(r.strPath, "/dir/sub/file.bin");
        EXPECT_EQ(r.strVersion, "HTTP/1.1");
        EXPECT_EQ(r.Header("User-Agent"), kAgent);
        EXPECT_TRUE(r.HasHeader("Host"));
        EXPECT_EQ(r.arrHeaders.size(), 2u);
    }
    EXPECT_EQ(m_server.ConnectionCount(), 1u); // one keep-alive connection for all three
}

TEST_F(HttpOperationTest, StallsEndWithTheSessionsTimeouts) {
    ScriptedReply ok = ScriptedReply::Ok(PatternBody(5000));
    ScriptedReply headerStall;
    headerStall.before = ScriptedReply::Before::Stall;
    ScriptedReply bodyStall = ScriptedReply::Ok(PatternBody(1000));
    bodyStall.nDeclaredLength = 5000;
    bodyStall.after = ScriptedReply::After::Stall;
    struct Case {
        const char* name;
        std::vector<ScriptedReply> replies;
        RESULT_CODE expected;
    };
    const Case cases[] = {{"stall in the headers", {headerStall}, RC_NO_CONNECTION},
                          {"stall in the body", {ok, ok, bodyStall}, RC_READ_FAILED}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHttpServer server;
        for (const ScriptedReply& reply : c.replies)
            server.Enqueue(reply);
        CHttpOperation op(kAgent);
        ASSERT_EQ(op.Connect(server.BaseUrl(), "", ""), RC_SUCCESS);
        const auto start = Clock::now();
        RESULT_CODE rc = op.QueryRemoteFile("/f.bin", nullptr);
        if (rc == RC_SUCCESS)
            rc = op.StartDownload("/f.bin", "C:\\stall.bin", 1);
        if (rc == RC_SUCCESS)
            rc = op.WaitDownload();
        const auto elapsed = Clock::now() - start;
        EXPECT_EQ(rc, c.expected);
        EXPECT_GE(elapsed, std::chrono::milliseconds(2900)); // the 3000 ms time-outs
        EXPECT_LT(elapsed, std::chrono::milliseconds(8000));
        EXPECT_FALSE(fs::exists(Native("C:\\stall.bin")));
    }
}

TEST_F(HttpOperationTest, RefusedConnectionGives116) {
    std::string url;
    {
        ScriptedHttpServer gone;
        url = gone.BaseUrl();
    }
    CHttpOperation op(kAgent);
    ASSERT_EQ(op.Connect(url, "", ""), RC_SUCCESS); // nothing is sent by Connect
    EXPECT_EQ(op.QueryRemoteFile("/f.bin", nullptr), RC_NO_CONNECTION);
}

TEST_F(HttpOperationTest, CancelDuringTheBody) {
    ScriptedReply slow = ScriptedReply::Ok(PatternBody(200 * 1024), 1024);
    slow.nPieceDelayMs = 5;
    m_server.Serve("/slow.bin", slow);
    CHttpOperation op(kAgent);
    ASSERT_EQ(op.Connect(m_server.BaseUrl(), "", ""), RC_SUCCESS);
    ASSERT_EQ(op.StartDownload("/slow.bin", "C:\\slow.bin", 1), RC_SUCCESS);
    for (int i = 0; i < 1000 && Progress(op).first < 2048; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_GE(Progress(op).first, 2048);
    EXPECT_EQ(op.CancelDownload(), RC_CANCELLED);
    EXPECT_EQ(Progress(op), Pair(-2, -2));
    EXPECT_FALSE(fs::exists(Native("C:\\slow.bin")));
    EXPECT_EQ(op.WaitDownload(), RC_NO_WORKER);
}

TEST_F(HttpOperationTest, ProgressIsMinusOneUntilTheTransferBegins) {
    ScriptedReply delayed = ScriptedReply::Ok(PatternBody(100));
    delayed.nHeaderDelayMs = 300; // the worker's query waits for its answer
    m_server.Serve("/f.bin", delayed);
    CHttpOperation op(kAgent);
    ASSERT_EQ(op.Connect(m_server.BaseUrl(), "", ""), RC_SUCCESS);
    ASSERT_EQ(op.StartDownload("/f.bin", "C:\\f.bin", 1), RC_SUCCESS);
    EXPECT_EQ(Progress(op), Pair(-1, -1));
    EXPECT_EQ(op.WaitDownload(), RC_SUCCESS);
    EXPECT_EQ(Progress(op), Pair(100, 100));
}

// ---- the destination -----------------------------------------------------------------------

TEST_F(HttpOperationTest, ExistingDestination) {
    const std::string body = PatternBody(3000);
    ScriptedReply shortBody = ScriptedReply::Ok(body.substr(0, 100));
    shortBody.nDeclaredLength = body.size();
    shortBody.after = ScriptedReply::After::Close;
    struct Case {
        const char* name;
        std::int32_t overwrite;
        std::vector<ScriptedReply> replies;
        RESULT_CODE expected;
        const char* content; // nullptr: no file; "" : the body
    };
    const Case cases[] = {
        {"kept without overwrite", 0, {ScriptedReply::Ok(body)}, RC_DESTINATION_EXISTS, "old"},
        {"replaced with overwrite",
         1,
         {ScriptedReply::Ok(body), ScriptedReply::Ok(body)},
         RC_SUCCESS,
         ""},
        {"gone when the replacement fails",
         1,
         {ScriptedReply::Ok(body), shortBody},
         RC_READ_FAILED,
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHttpServer server;
        for (const ScriptedReply& reply : c.replies)
            server.Enqueue(reply);
        WriteFile(Native("C:\\f.bin"), "old");
        CHttpOperation op(kAgent);
        ASSERT_EQ(op.Connect(server.BaseUrl(), "", ""), RC_SUCCESS);
        ASSERT_EQ(op.StartDownload("/f.bin", "C:\\f.bin", c.overwrite), RC_SUCCESS);
        EXPECT_EQ(op.WaitDownload(), c.expected);
        if (c.content == nullptr) {
            EXPECT_FALSE(fs::exists(Native("C:\\f.bin")));
        } else {
            const std::string want = *c.content ? c.content : body;
            EXPECT_TRUE(testsupport::ReadWholeFile(Native("C:\\f.bin")) == want);
        }
        if (c.expected == RC_DESTINATION_EXISTS) {
            EXPECT_EQ(Progress(op), Pair(-1, -1));
        }
        fs::remove(Native("C:\\f.bin"));
    }
}

TEST_F(HttpOperationTest, NotEnoughSpaceCreatesNoFolder) {
    ScriptedReply huge; // announces 4 TB; the body is never read
    huge.nDeclaredLength = 4000000000000ull;
    m_server.Serve("/huge.bin", huge);
    EXPECT_EQ(Fetch("/huge.bin", "C:\\Deep\\Sub\\huge.bin"), RC_NOT_ENOUGH_SPACE);
    EXPECT_FALSE(fs::exists(m_strRoot + "/Deep"));
}

TEST_F(HttpOperationTest, DestinationThatCannotBeOpenedGivesItsCode) {
    // A folder stands where the file should go: the open fails after the 200.
    fs::create_directories(Native("C:\\Taken\\f.bin"));
    m_server.Serve("/f.bin", ScriptedReply::Ok(PatternBody(2000)));
    CHttpOperation op(kAgent);
    EXPECT_EQ(Fetch(op, "/f.bin", "C:\\Taken\\f.bin"), RC_OPEN_FAILED);
    EXPECT_EQ(Progress(op), Pair(-2, -2));
    EXPECT_TRUE(fs::is_directory(Native("C:\\Taken\\f.bin"))); // not ours to delete
    EXPECT_EQ(m_server.RequestCount(), 3u);
}

TEST_F(HttpOperationTest, WriteFailureLeavesNoFile) {
    // A file-size limit makes the writes fail for real (EFBIG) once the file passes 100 KiB.
    m_server.Serve("/big.bin", ScriptedReply::Ok(PatternBody(400 * 1024), 16 * 1024));
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 100 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    CHttpOperation op(kAgent);
    const RESULT_CODE rc = Fetch(op, "/big.bin", "C:\\big.bin");
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(rc, RC_WRITE_FAILED);
    EXPECT_EQ(Progress(op), Pair(-2, -2));
    EXPECT_FALSE(fs::exists(Native("C:\\big.bin")));
}

TEST_F(HttpOperationTest, DestroyingAnOperationWithARunningWorkerStopsItFirst) {
    ScriptedReply slow = ScriptedReply::Ok(PatternBody(100 * 1024), 1024);
    slow.nPieceDelayMs = 5;
    m_server.Serve("/slow.bin", slow);
    {
        CHttpOperation op(kAgent);
        ASSERT_EQ(op.Connect(m_server.BaseUrl(), "", ""), RC_SUCCESS);
        ASSERT_EQ(op.StartDownload("/slow.bin", "C:\\slow.bin", 1), RC_SUCCESS);
        for (int i = 0; i < 1000 && Progress(op).first < 1024; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } // no wait: the destructor cancels the worker before it closes the connection
    EXPECT_FALSE(fs::exists(Native("C:\\slow.bin")));
}

// ---- connect, object paths, options --------------------------------------------------------

TEST_F(HttpOperationTest, ConnectCodes) {
    const std::string port = std::to_string(m_server.Port());
    struct Case {
        const char* name;
        std::string url;
        RESULT_CODE expected;
    };
    const Case cases[] = {
        {"URL with its port", m_server.BaseUrl(), RC_SUCCESS},
        {"bare host and port", "127.0.0.1:" + port, RC_SUCCESS},
        {"URL with a path", m_server.BaseUrl() + "/ignored/path", RC_SUCCESS},
        {"port out of range", "127.0.0.1:99999", RC_BAD_URL},
        {"port not a number", "http://127.0.0.1:8o/", RC_BAD_URL},
        {"FTP", "ftp://127.0.0.1/", RC_WRONG_SERVICE},
        {"empty server", "http:///x", RC_WRONG_SERVICE},
        {"empty text", "", RC_WRONG_SERVICE},
        {"server name with a space", "http://bad host/", RC_NO_CONNECTION},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CHttpOperation op(kAgent);
        EXPECT_EQ(op.Connect(c.url, "", ""), c.expected);
        EXPECT_EQ(op.GetConnection() != nullptr, c.expected == RC_SUCCESS);
    }
}

TEST_F(HttpOperationTest, ConnectUsesTheUrlsPortAndKeepsTheFirstConnection) {
    m_server.Serve("/f.bin", ScriptedReply::Ok("x"));
    ScriptedHttpServer other;
    CHttpOperation op(kAgent);
    ASSERT_EQ(op.Connect("127.0.0.1:" + std::to_string(m_server.Port()), "", ""), RC_SUCCESS);
    CHttpConnection* first = op.GetConnection();
    EXPECT_EQ(op.Connect(other.BaseUrl(), "", ""), RC_ALREADY_CONNECTED);
    EXPECT_EQ(op.GetConnection(), first);
    EXPECT_EQ(op.QueryRemoteFile("/f.bin", nullptr), RC_SUCCESS);
    EXPECT_EQ(m_server.RequestCount(), 1u);
    EXPECT_EQ(other.RequestCount(), 0u);
}

TEST_F(HttpOperationTest, NotConnectedGives116) {
    CHttpOperation op(kAgent);
    EXPECT_EQ(op.QueryRemoteFile("/f.bin", nullptr), RC_NO_CONNECTION);
    EXPECT_EQ(op.StartDownload("/f.bin", "C:\\f.bin", 1), RC_NO_CONNECTION);
    EXPECT_EQ(op.WaitDownload(), RC_NO_CONNECTION);
    EXPECT_EQ(op.CancelDownload(), RC_NO_CONNECTION);
    EXPECT_EQ(op.Disconnect(), RC_SUCCESS);
    EXPECT_EQ(Progress(op), Pair(0, 0));
}

TEST_F(HttpOperationTest, ObjectPaths) {
    m_server.Serve("/f.bin", ScriptedReply::Ok("x"));
    m_server.Serve("/a/b/f.bin", ScriptedReply::Ok("x"));
    struct Case {
        const char* path;
        RESULT_CODE expected;
    };
    const Case cases[] = {{"f.bin", RC_BAD_OBJECT_PATH},
                          {"/dir/", RC_BAD_OBJECT_PATH},
                          {"/", RC_BAD_OBJECT_PATH},
                          {"/f.bin", RC_SUCCESS},
                          {"/a/b/f.bin", RC_SUCCESS}};
    CHttpOperation op(kAgent);
    ASSERT_EQ(op.Connect(m_server.BaseUrl(), "", ""), RC_SUCCESS);
    std::size_t sent = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(op.QueryRemoteFile(c.path, nullptr), c.expected);
        if (c.expected == RC_SUCCESS)
            ++sent;
        EXPECT_EQ(m_server.RequestCount(), sent); // a refused path sends nothing
    }
}

TEST(RemotePathTest, FolderAndFileName) {
    struct Case {
        const char* path;
        const char* keep;
        const char* drop;
        const char* name;
    };
    const Case cases[] = {
        {"file.bin", "", "", ""},
        {"/file.bin", "/", "/", "file.bin"},
        {"/a/b/file.bin", "/a/b/", "/a/b", "file.bin"},
        {"/a/", "/a/", "/a", ""},
        {"/a/f?x=1/2", "/a/f?x=1/", "/a/f?x=1", "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(GetRemoteFolder(c.path, 1), c.keep);
        EXPECT_EQ(GetRemoteFolder(c.path, 0), c.drop);
        EXPECT_EQ(GetRemoteFileName(c.path), c.name);
    }
}

struct OptionCase {
    std::uint32_t id;
    RESULT_CODE (CHttpOperation::*get)(std::uint32_t&);
    RESULT_CODE (CHttpOperation::*set)(std::uint32_t);
    std::uint32_t initial;
    RESULT_CODE readCode;
    RESULT_CODE setCode;
};

const OptionCase kOptions[] = {
    {INET_OPTION_CONNECT_TIMEOUT, &CHttpOperation::GetConnectTimeout,
     &CHttpOperation::SetConnectTimeout, 3000, RC_GET_CONNECT_TIMEOUT, RC_SET_CONNECT_TIMEOUT},
    {INET_OPTION_CONNECT_RETRIES, &CHttpOperation::GetConnectRetries,
     &CHttpOperation::SetConnectRetries, 3, RC_GET_CONNECT_RETRIES, RC_SET_CONNECT_RETRIES},
    {INET_OPTION_SEND_TIMEOUT, &CHttpOperation::GetSendTimeout, &CHttpOperation::SetSendTimeout,
     3000, RC_GET_SEND_TIMEOUT, RC_SET_SEND_TIMEOUT},
    {INET_OPTION_RECEIVE_TIMEOUT, &CHttpOperation::GetReceiveTimeout,
     &CHttpOperation::SetReceiveTimeout, 3000, RC_GET_RECEIVE_TIMEOUT, RC_SET_RECEIVE_TIMEOUT},
    {INET_OPTION_DATA_SEND_TIMEOUT, &CHttpOperation::GetDataSendTimeout,
     &CHttpOperation::SetDataSendTimeout, 3000, RC_GET_DATA_SEND_TIMEOUT, RC_SET_DATA_SEND_TIMEOUT},
    {INET_OPTION_DATA_RECEIVE_TIMEOUT, &CHttpOperation::GetDataReceiveTimeout,
     &CHttpOperation::SetDataReceiveTimeout, 3000, RC_GET_DATA_RECEIVE_TIMEOUT,
     RC_SET_DATA_RECEIVE_TIMEOUT},
};

class OptionTest : public ::testing::Test {
protected:
    void TearDown() override { platform::ClearInternetFaults(); }
};

TEST_F(OptionTest, AccessorsAndTheirCodes) {
    for (const OptionCase& c : kOptions) {
        SCOPED_TRACE(c.id);
        CHttpOperation op(kAgent);
        std::uint32_t value = 0;
        EXPECT_EQ((op.*c.get)(value), RC_SUCCESS);
        EXPECT_EQ(value, c.initial); // set by the constructor
        EXPECT_EQ((op.*c.set)(1234), RC_SUCCESS);
        EXPECT_EQ((op.*c.get)(value), RC_SUCCESS);
        EXPECT_EQ(value, 1234u);

        platform::SetOptionFailure(c.id, true, false);
        value = 99;
        EXPECT_EQ((op.*c.get)(value), c.readCode);
        EXPECT_EQ(value, 99u); // untouched on failure
        platform::SetOptionFailure(c.id, false, true);
        EXPECT_EQ((op.*c.set)(5), c.setCode);
        platform::SetOptionFailure(c.id, false, false);
        EXPECT_EQ((op.*c.get)(value), RC_SUCCESS);
        EXPECT_EQ(value, 1234u); // the refused set changed nothing
    }
}

TEST_F(OptionTest, WithoutASessionEverythingGives100) {
    platform::SetSessionOpenFailure(true);
    CHttpOperation op(kAgent);
    platform::SetSessionOpenFailure(false);
    for (const OptionCase& c : kOptions) {
        SCOPED_TRACE(c.id);
        std::uint32_t value = 0;
        EXPECT_EQ((op.*c.get)(value), RC_NO_SESSION);
        EXPECT_EQ((op.*c.set)(1), RC_NO_SESSION);
    }
    EXPECT_EQ(op.Connect("http://127.0.0.1/", "", ""), RC_NO_SESSION);
}

} // namespace
