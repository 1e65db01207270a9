// One HTTP GET request on a connection: send it, read its status and length, pull its body in
// reads of at most N bytes, close it. What the server sends waits in a bounded buffer of the
// request (64 KiB) and is handed out from there; the transfer pauses only while the buffer is
// full. Every wait is bounded by the session's time-outs; a time-out, a transport error, a body
// shorter than its Content-Length and a broken chunked body throw CInternetException.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct CInternetLimits;

class CHttpRequest {
public:
    struct CState; // the Linux transfer state
    explicit CHttpRequest(std::unique_ptr<CState> state);
    ~CHttpRequest(); // closes the request
    CHttpRequest(const CHttpRequest&) = delete;
    CHttpRequest& operator=(const CHttpRequest&) = delete;

    // Sends the request and waits for the answer's headers. False when it was sent already or
    // is closed. Throws CInternetException for a transport failure or a time-out.
    bool SendRequest();

    // The answer's status code; false before the headers have arrived.
    bool QueryStatusCode(std::uint32_t& status) const;

    // The Content-Length header as a 32-bit number; false when it is missing, not a number or
    // does not fit in 32 bits.
    bool QueryContentLength(std::uint32_t& length) const;

    // The body's length as the client knows it (64 bits); 0 when unknown.
    std::uint64_t GetLength() const;

    // Reads at most count bytes of the body; 0 once the body is complete. Throws
    // CInternetException when the body breaks off or its bytes stop coming.
    std::uint32_t Read(void* buffer, std::uint32_t count);

    // Closes the request. A remainder of up to 64 KiB is received into the void so that the
    // TCP connection stays reusable; a larger one closes the connection.
    void Close();

private:
    std::unique_ptr<CState> m_pState;
};
