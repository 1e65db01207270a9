// Linux only: the transfer state of one HTTP request on a pooled libcurl channel, with the
// bounded buffer from which the body is handed out.
#pragma once

#include "platform/inet/CurlPoolLinux.h"
#include "platform/inet/HttpRequest.h"
#include "platform/inet/InternetSession.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct CHttpRequest::CState {
    using Clock = std::chrono::steady_clock;

    ~CState();

    // The channel and what the request was opened with.
    std::unique_ptr<CCurlChannel> m_pChannel;
    std::string m_strUrl;
    std::string m_strAgent;
    bool m_bHasUser = false;
    std::string m_strUser;
    std::string m_strPassword;
    CInternetLimits m_limits;

    // Progress of the transfer.
    bool m_bSent = false;      // SendRequest was called
    bool m_bAdded = false;     // the easy handle is in the multi handle
    bool m_bConnected = false; // the TCP connection of the current attempt is up
    bool m_bHeadersDone = false;
    bool m_bDone = false; // libcurl finished the transfer (m_result says how)
    bool m_bClosed = false;
    bool m_bPaused = false;   // the write callback paused the transfer: buffer full
    bool m_bDraining = false; // the request is being closed: the body goes into the void
    bool m_bBroken = false;   // the connection must not be reused
    CURLcode m_result = CURLE_OK;
    Clock::time_point m_lastProgress;

    // What the headers said.
    std::uint32_t m_nStatus = 0;
    bool m_bHasContentLength = false;
    bool m_bContentLength32 = false;
    std::uint32_t m_nContentLength32 = 0;
    bool m_bChunked = false;

    // The body buffer: a ring of m_arrRing.size() bytes, m_nSize of them used from m_nHead.
    std::vector<char> m_arrRing;
    std::size_t m_nHead = 0;
    std::size_t m_nSize = 0;
    std::uint64_t m_nBodyReceived = 0; // bytes accepted from libcurl
    std::uint64_t m_nDrained = 0;      // bytes discarded while closing

    void Configure();
    void Start();
    void Detach();
    void Finish();
    void Step(std::uint32_t limitMs);
    void Resume();
    std::size_t TakeBytes(char* out, std::size_t count);
    std::size_t PutBytes(const char* data, std::size_t count);

    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self);
    static int OnConnected(void* self, char*, char*, int, int);
};
