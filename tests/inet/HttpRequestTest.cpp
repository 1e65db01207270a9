// The HTTP layer against the scripted server: what goes on the wire, pull-style reads from the
// request's buffer, the Content-Length query, the keep-alive pool across connection objects,
// draining at close, transport failures and time-outs.
#include "platform/inet/HttpRequest.h"
#include "platform/inet/HttpConnection.h"
#include "platform/inet/InternetException.h"
#include "platform/inet/InternetSession.h"
#include "tests/support/ScriptedHttpServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

using testsupport::PatternBody;
using testsupport::ScriptedHttpServer;
using testsupport::ScriptedReply;
using Clock = std::chrono::steady_clock;

constexpr const char* kAgent = "NORVANE/1.0/Pelidor";

class HttpRequestTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_pSession = CInternetSession::Open(kAgent);
        ASSERT_TRUE(m_pSession);
        SetLimit(INET_OPTION_CONNECT_TIMEOUT, 3000);
        SetLimit(INET_OPTION_CONNECT_RETRIES, 3);
        for (std::uint32_t id : {INET_OPTION_SEND_TIMEOUT, INET_OPTION_RECEIVE_TIMEOUT,
                                 INET_OPTION_DATA_SEND_TIMEOUT, INET_OPTION_DATA_RECEIVE_TIMEOUT})
            SetLimit(id, 3000);
    }
    void SetLimit(std::uint32_t id, std::uint32_t value) {
        ASSERT_TRUE(m_pSession->SetOption(id, &value, sizeof value));
    }
    std::unique_ptr<CHttpConnection> Connect(std::uint16_t port) {
        return m_pSession->GetHttpConnection("127.0.0.1", port, nullptr, nullptr);
    }
    // Reads the whole body in reads of at most chunk bytes; checks each read's size.
    static std::string ReadAll(CHttpRequest& request, std::uint32_t chunk) {
        std::string body;
        std::string buffer(chunk, '\0');
        for (;;) {
            const std::uint32_t n = request.Read(buffer.data(), chunk);
            EXPECT_LE(n, chunk);
            if (n == 0)
                return body;
            body.append(buffer.data(), n);
        }
    }

    ScriptedHttpServer m_server;
    std::unique_ptr<CInternetSession> m_pSession;
};

TEST_F(HttpRequestTest, GetSendsOnlyHostAndUserAgent) {
    m_server.Serve("/dir/file.bin", ScriptedReply::Ok("hello"));
    auto connection = Connect(m_server.Port());
    auto request = connection->OpenRequest("/dir/file.bin");
    ASSERT_TRUE(request->SendRequest());
    EXPECT_EQ(ReadAll(*request, 1024), "hello");
    request->Close();

    const auto requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& r = requests[0];
    EXPECT_EQ(r.strMethod, "GET");
    EXPECT_EQ(r.strPath, "/dir/file.bin");
    EXPECT_EQ(r.strVersion, "HTTP/1.1");
    EXPECT_EQ(r.Header("User-Agent"), kAgent);
    EXPECT_EQ(r.Header("Host"), "127.0.0.1:" + std::to_string(m_server.Port()));
    ASSERT_EQ(r.arrHeaders.size(), 2u) << "headers beyond Host and User-Agent";
}

TEST_F(HttpRequestTest, BodyArrivesIntactForEveryFramingAndReadSize) {
    const std::string body = PatternBody(1 << 20); // larger than the request's buffer
    struct Case {
        const char* name;
        ScriptedReply::Length length;
        std::uint32_t chunk;
    };
    const Case cases[] = {
        {"content-length, 1 KiB reads", ScriptedReply::Length::Auto, 1024},
        {"content-length, 1-byte reads", ScriptedReply::Length::Auto, 1},
        {"content-length, 200 KiB reads", ScriptedReply::Length::Auto, 200 * 1024},
        {"chunked, 1 KiB reads", ScriptedReply::Length::Chunked, 1024},
        {"until close, 1 KiB reads", ScriptedReply::Length::None, 1024},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedReply reply = ScriptedReply::Ok(body, 7000);
        reply.length = c.length;
        m_server.Enqueue(reply);
        auto connection = Connect(m_server.Port());
        auto request = connection->OpenRequest("/big");
        ASSERT_TRUE(request->SendRequest());
        std::uint32_t status = 0;
        ASSERT_TRUE(request->QueryStatusCode(status));
        EXPECT_EQ(status, 200u);
        const std::string got = ReadAll(*request, c.chunk);
        EXPECT_TRUE(got == body) << "got " << got.size() << " bytes";
        EXPECT_EQ(request->Read(nullptr, 0), 0u);
    }
}

TEST_F(HttpRequestTest, ContentLengthQueryAndOwnLength) {
    struct Case {
        const char* name;
        ScriptedReply::Length length;
        std::optional<std::uint64_t> declared;
        bool queryOk;
        std::uint32_t query;
        std::uint64_t own;
    };
    const Case cases[] = {
        {"plain", ScriptedReply::Length::Auto, std::nullopt, true, 2500, 2500},
        {"largest 32-bit", ScriptedReply::Length::Auto, 0xFFFFFFFFull, true, 0xFFFFFFFFu,
         0xFFFFFFFFull},
        {"beyond 32 bits", ScriptedReply::Length::Auto, 0x100000000ull, false, 0, 0x100000000ull},
        {"missing (chunked)", ScriptedReply::Length::Chunked, std::nullopt, false, 0, 0},
        {"missing (until close)", ScriptedReply::Length::None, std::nullopt, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedReply reply = ScriptedReply::Ok(PatternBody(2500));
        reply.length = c.length;
        reply.nDeclaredLength = c.declared;
        m_server.Enqueue(reply);
        auto connection = Connect(m_server.Port());
        auto request = connection->OpenRequest("/x");
        ASSERT_TRUE(request->SendRequest());
        std::uint32_t value = 12345;
        EXPECT_EQ(request->QueryContentLength(value), c.queryOk);
        EXPECT_EQ(value, c.queryOk ? c.query : 12345u);
        EXPECT_EQ(request->GetLength(), c.own);
        request->Close();
    }
}

TEST_F(HttpRequestTest, KeepAliveConnectionIsReusedAcrossConnectionObjects) {
    m_server.Serve("/a", ScriptedReply::Ok(PatternBody(4096)));
    for (int i = 0; i < 5; ++i) {
        auto connection = Connect(m_server.Port()); // a new connection object each time
        auto request = connection->OpenRequest("/a");
        ASSERT_TRUE(request->SendRequest());
        EXPECT_EQ(ReadAll(*request, 1024).size(), 4096u);
    }
    EXPECT_EQ(m_server.RequestCount(), 5u);
    EXPECT_EQ(m_server.ConnectionCount(), 1u);
}

TEST_F(HttpRequestTest, CloseBeforeTheBodyDrainsASmallRemainderOnly) {
    struct Case {
        const char* name;
        std::size_t size;
        ScriptedReply::Length length;
        std::size_t connections; // after the unread request and one more request
    };
    const Case cases[] = {
        {"4 KiB remainder: kept", 4096, ScriptedReply::Length::Auto, 1},
        {"64 KiB remainder: kept", 64 * 1024, ScriptedReply::Length::Auto, 1},
        {"4 KiB chunked: kept", 4096, ScriptedReply::Length::Chunked, 1},
        {"1 MiB remainder: closed", 1 << 20, ScriptedReply::Length::Auto, 2},
        {"body until close: closed", 100, ScriptedReply::Length::None, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHttpServer server;
        ScriptedReply unread = ScriptedReply::Ok(PatternBody(c.size), 16 * 1024);
        unread.length = c.length;
        server.Enqueue(unread);
        server.Enqueue(ScriptedReply::Ok("next"));
        auto connection = Connect(server.Port());
        {
            auto request = connection->OpenRequest("/unread");
            ASSERT_TRUE(request->SendRequest());
            request->Close(); // no byte read
        }
        auto request = connection->OpenRequest("/next");
        ASSERT_TRUE(request->SendRequest());
        EXPECT_EQ(ReadAll(*request, 1024), "next");
        EXPECT_EQ(server.ConnectionCount(), c.connections);
    }
}

TEST_F(HttpRequestTest, StatusOtherThan200IsNoFailureAndRedirectsAreNotFollowed) {
    for (int status : {301, 302, 404, 500}) {
        SCOPED_TRACE(status);
        ScriptedReply reply = ScriptedReply::WithStatus(status, "moved");
        reply.arrHeaders.push_back("Location: /elsewhere");
        m_server.Enqueue(reply);
        auto connection = Connect(m_server.Port());
        auto request = connection->OpenRequest("/x");
        const std::size_t before = m_server.RequestCount();
        ASSERT_TRUE(request->SendRequest());
        std::uint32_t got = 0;
        ASSERT_TRUE(request->QueryStatusCode(got));
        EXPECT_EQ(got, static_cast<std::uint32_t>(status));
        request->Close();
        EXPECT_EQ(m_server.RequestCount(), before + 1);
    }
}

TEST_F(HttpRequestTest, TransportFailuresBeforeTheHeadersThrow) {
    struct Case {
        const char* name;
        ScriptedReply::Before before;
    };
    const Case cases[] = {{"reset", ScriptedReply::Before::Reset},
                          {"closed without a word", ScriptedReply::Before::Close}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHttpServer server; // a fresh connection: nothing to retry on
        ScriptedReply reply;
        reply.before = c.before;
        server.Enqueue(reply);
        auto connection = Connect(server.Port());
        auto request = connection->OpenRequest("/x");
        EXPECT_THROW(request->SendRequest(), CInternetException);
    }
}

TEST_F(HttpRequestTest, RefusedConnectionThrowsAfterItsRetries) {
    std::uint16_t port = 0;
    {
        ScriptedHttpServer gone;
        port = gone.Port();
    } // nothing listens there any more
    auto connection = Connect(port);
    auto request = connection->OpenRequest("/x");
    EXPECT_THROW(request->SendRequest(), CInternetException);
}

TEST_F(HttpRequestTest, BrokenBodiesThrowWhenTheReadReachesTheBreak) {
    struct Case {
        const char* name;
        ScriptedReply reply;
    };
    ScriptedReply shortBody = ScriptedReply::Ok(PatternBody(1000));
    shortBody.nDeclaredLength = 2500;
    shortBody.after = ScriptedReply::After::Close;
    ScriptedReply brokenChunked = ScriptedReply::Ok(PatternBody(3000), 1000);
    brokenChunked.length = ScriptedReply::Length::Chunked;
    brokenChunked.bOmitLastChunk = true;
    brokenChunked.after = ScriptedReply::After::Close;
    ScriptedReply resetBody = ScriptedReply::Ok(PatternBody(1000));
    resetBody.nDeclaredLength = 5000;
    resetBody.after = ScriptedReply::After::Reset;
    const Case cases[] = {{"short body", shortBody},
                          {"chunked without its last chunk", brokenChunked},
                          {"reset in the body", resetBody}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_server.Enqueue(c.reply);
        auto connection = Connect(m_server.Port());
        auto request = connection->OpenRequest("/x");
        ASSERT_TRUE(request->SendRequest());
        std::string buffer(1024, '\0');
        std::size_t received = 0;
        bool thrown = false;
        try {
            for (int i = 0; i < 100; ++i) {
                const std::uint32_t n = request->Read(buffer.data(), 1024);
                if (n == 0)
                    break;
                received += n;
            }
        } catch (const CInternetException&) {
            thrown = true;
        }
        EXPECT_TRUE(thrown) << "received " << received;
    }
}

TEST_F(HttpRequestTest, StallsEndWithinTheTimeouts) {
    // Shorter time-outs keep the test quick; the bound is what matters.
    SetLimit(INET_OPTION_RECEIVE_TIMEOUT, 400);
    SetLimit(INET_OPTION_SEND_TIMEOUT, 400);
    SetLimit(INET_OPTION_DATA_RECEIVE_TIMEOUT, 400);
    {
        SCOPED_TRACE("stall before the headers");
        ScriptedReply reply;
        reply.before = ScriptedReply::Before::Stall;
        m_server.Enqueue(reply);
        auto connection = Connect(m_server.Port());
        auto request = connection->OpenRequest("/x");
        const auto start = Clock::now();
        EXPECT_THROW(request->SendRequest(), CInternetException);
        const auto elapsed = Clock::now() - start;
        EXPECT_GE(elapsed, std::chrono::milliseconds(350));
        EXPECT_LT(elapsed, std::chrono::milliseconds(3000));
    }
    {
        SCOPED_TRACE("stall in the body");
        ScriptedReply reply = ScriptedReply::Ok(PatternBody(1000));
        reply.nDeclaredLength = 5000;
        reply.after = ScriptedReply::After::Stall;
        m_server.Enqueue(reply);
        auto connection = Connect(m_server.Port());
        auto request = connection->OpenRequest("/x");
        ASSERT_TRUE(request->SendRequest());
        std::string buffer(4096, '\0');
        const auto start = Clock::now();
        EXPECT_THROW(
            {
                for (int i = 0; i < 100; ++i)
                    if (request->Read(buffer.data(), 4096) == 0)
                        break;
            },
            CInternetException);
        EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(3000));
    }
}

TEST_F(HttpRequestTest, SlowButSteadyBodyIsNotATimeout) {
    // Pieces 150 ms apart with a 400 ms data time-out: each wait is shorter than the bound.
    SetLimit(INET_OPTION_DATA_RECEIVE_TIMEOUT, 400);
    ScriptedReply reply = ScriptedReply::Ok(PatternBody(5000), 1000);
    reply.nPieceDelayMs = 150;
    m_server.Enqueue(reply);
    auto connection = Connect(m_server.Port());
    auto request = connection->OpenRequest("/x");
    ASSERT_TRUE(request->SendRequest());
    EXPECT_EQ(ReadAll(*request, 1024), PatternBody(5000));
}

TEST_F(HttpRequestTest, InvalidServerNameIsAnInternetFailure) {
    EXPECT_THROW(m_pSession->GetHttpConnection("bad host", 80, nullptr, nullptr),
                 CInternetException);
    EXPECT_THROW(m_pSession->GetHttpConnection("", 80, nullptr, nullptr), CInternetException);
}

TEST(InternetSessionTest, OptionsAreHeldByIdAndUnknownIdsRefused) {
    auto session = CInternetSession::Open("agent");
    ASSERT_TRUE(session);
    for (std::uint32_t id : {2u, 3u, 5u, 6u, 7u, 8u}) {
        SCOPED_TRACE(id);
        const std::uint32_t value = 1000 + id;
        ASSERT_TRUE(session->SetOption(id, &value, sizeof value));
        std::uint32_t read = 0;
        ASSERT_TRUE(session->QueryOption(id, read));
        EXPECT_EQ(read, value);
        EXPECT_FALSE(session->SetOption(id, &value, 2)); // a 4-byte buffer only
    }
    std::uint32_t value = 1;
    EXPECT_FALSE(session->SetOption(4, &value, sizeof value));
    EXPECT_FALSE(session->QueryOption(99, value));
}

} // namespace
