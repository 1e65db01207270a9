// A scripted HTTP/1.1 server on 127.0.0.1 (port 0: the system picks a free one) for tests. The
// test says what each request gets — status, headers, a body sent in pieces, delays, a stall,
// an early close, a reset, keep-alive or close — and reads back a record of every request
// received (method, path, headers, which TCP connection carried it). Everything it does is
// bounded in time; destruction stops it and closes every connection at once.
//
//   testsupport::ScriptedHttpServer server;
//   server.Serve("/a.bin", testsupport::ScriptedReply::Ok(testsupport::PatternBody(2500)));
//   server.Enqueue(testsupport::ScriptedReply::WithStatus(404)); // the next request only
//   ... fetch server.BaseUrl() + "/a.bin" ...
//   EXPECT_EQ(server.Requests().at(0).strPath, "/a.bin");
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace testsupport {

struct ScriptedReply {
    // What happens instead of an answer, once the request has been read.
    enum class Before {
        Answer, // send the reply
        Stall,  // say nothing, keep the connection open (until the server stops, at most 30 s)
        Close,  // close the connection without a word
        Reset,  // reset the connection (RST)
    };
    // What happens after the reply (or after the pieces sent so far, when cut short).
    enum class After { KeepAlive, Close, Reset, Stall };
    // How the body's length is announced.
    enum class Length {
        Auto,    // Content-Length = the real size, or nDeclaredLength when given
        None,    // no Content-Length; the body ends when the connection closes
        Chunked, // Transfer-Encoding: chunked, one chunk per piece
    };

    int nStatus = 200;
    std::string strReason;               // empty: a standard phrase for the status
    std::vector<std::string> arrHeaders; // further header lines, "Name: value"
    std::vector<std::string> arrPieces;  // the body, written piece by piece
    Length length = Length::Auto;
    std::optional<std::uint64_t> nDeclaredLength; // announce this instead of the real size
    bool bOmitLastChunk = false;                  // chunked: leave out the terminating chunk
    Before before = Before::Answer;
    After after = After::KeepAlive;
    int nHeaderDelayMs = 0; // before the status line
    int nPieceDelayMs = 0;  // before each piece of the body
    std::string strPath;    // queued replies: only a request for this path takes it

    // 200 with the body cut into pieces of pieceSize bytes (0: one piece).
    static ScriptedReply Ok(const std::string& body, std::size_t pieceSize = 0);
    // The status with a short text body.
    static ScriptedReply WithStatus(int status, const std::string& body = "");
};

struct RecordedRequest {
    std::string strMethod;
    std::string strPath;
    std::string strVersion;
    std::vector<std::pair<std::string, std::string>> arrHeaders; // in the order received
    int nConnection = 0; // 1 for the first TCP connection accepted, 2 for the next, ...

    // The value of a header (name without regard to case); empty when absent.
    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const;
};

// Deterministic bytes for a body of the given size.
std::string PatternBody(std::size_t size);

class ScriptedHttpServer {
public:
    ScriptedHttpServer(); // listens on 127.0.0.1, port chosen by the system
    ~ScriptedHttpServer();
    ScriptedHttpServer(const ScriptedHttpServer&) = delete;
    ScriptedHttpServer& operator=(const ScriptedHttpServer&) = delete;

    std::uint16_t Port() const { return m_nPort; }
    std::string BaseUrl() const; // "http://127.0.0.1:PORT"

    // A reply for one request, taken in order before any served path.
    void Enqueue(ScriptedReply reply);
    // The reply to every request for path (when no queued reply applies). Unscripted paths
    // get 404.
    void Serve(const std::string& path, ScriptedReply reply);

    std::vector<RecordedRequest> Requests() const;
    std::size_t RequestCount() const;
    std::size_t ConnectionCount() const;
    // Waits until at least count requests have arrived; false after timeoutMs.
    bool WaitForRequests(std::size_t count, int timeoutMs) const;

    // Stops accepting and closes every connection (also done by the destructor).
    void Stop();

private:
    struct CImpl;
    std::unique_ptr<CImpl> m_pImpl;
    std::uint16_t m_nPort = 0;
};

} // namespace testsupport
