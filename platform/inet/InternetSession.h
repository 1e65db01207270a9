// The internet session: the agent string that every request sends as its User-Agent, the
// system's preconfigured proxy access (http_proxy, no_proxy), and the numeric options that
// bound each wait of the connections and requests made through it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class CHttpConnection;

// Ids of the numeric options.
constexpr std::uint32_t INET_OPTION_CONNECT_TIMEOUT = 2;      // ms, per connection attempt
constexpr std::uint32_t INET_OPTION_CONNECT_RETRIES = 3;      // repeats of a failed attempt
constexpr std::uint32_t INET_OPTION_SEND_TIMEOUT = 5;         // ms, sending the request
constexpr std::uint32_t INET_OPTION_RECEIVE_TIMEOUT = 6;      // ms, receiving the headers
constexpr std::uint32_t INET_OPTION_DATA_SEND_TIMEOUT = 7;    // ms, sending a body
constexpr std::uint32_t INET_OPTION_DATA_RECEIVE_TIMEOUT = 8; // ms, between body bytes

// The option values a request works with, copied from its session when it is opened.
struct CInternetLimits {
    std::uint32_t nConnectTimeout = 60000;
    std::uint32_t nConnectRetries = 5;
    std::uint32_t nSendTimeout = 30000;
    std::uint32_t nReceiveTimeout = 30000;
    std::uint32_t nDataSendTimeout = 30000;
    std::uint32_t nDataReceiveTimeout = 30000;
};

class CInternetSession {
public:
    // Opens a session; null when it cannot be created.
    static std::unique_ptr<CInternetSession> Open(const std::string& agent);
    ~CInternetSession();
    CInternetSession(const CInternetSession&) = delete;
    CInternetSession& operator=(const CInternetSession&) = delete;

    // Reads a numeric option; false (value untouched) for an unknown id or a refused read.
    bool QueryOption(std::uint32_t id, std::uint32_t& value) const;
    // Sets a numeric option from a 4-byte buffer; false for an unknown id, another length or
    // a refused set.
    bool SetOption(std::uint32_t id, const void* buffer, std::uint32_t length);

    // A connection to server:port (port 0: 80). User name and password may be null. Nothing
    // is sent until a request is. Throws CInternetException for a server name that cannot
    // name a host.
    std::unique_ptr<CHttpConnection> GetHttpConnection(const std::string& server,
                                                       std::uint16_t port, const char* user,
                                                       const char* password) const;

    const std::string& GetAgent() const { return m_strAgent; }
    CInternetLimits GetLimits() const;

    // The option store, shared with the connections made through the session so that each
    // request is bounded by the values current when it is opened.
    struct COptions;

    // Closes the session; connections already made keep their own copy of what they need.
    void Close() {}

private:
    explicit CInternetSession(const std::string& agent);

    std::string m_strAgent;
    std::shared_ptr<COptions> m_pOptions;
};

// The option values held in a session's option store right now.
CInternetLimits SnapshotLimits(const CInternetSession::COptions& options);
