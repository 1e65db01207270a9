// Linux rendering of the internet session: holds the agent string and the numeric options;
// the HTTP work itself is done by libcurl in the connection and request classes.
#include "platform/inet/InternetSession.h"

#include "platform/inet/CurlPoolLinux.h"
#include "platform/inet/HttpConnection.h"
#include "platform/inet/InetFaults.h"

#include <atomic>
#include <cstring>

struct CInternetSession::COptions {
    std::atomic<std::uint32_t> values[9];

    std::atomic<std::uint32_t>* Find(std::uint32_t id) {
        switch (id) {
        case INET_OPTION_CONNECT_TIMEOUT:
        case INET_OPTION_CONNECT_RETRIES:
        case INET_OPTION_SEND_TIMEOUT:
        case INET_OPTION_RECEIVE_TIMEOUT:
        case INET_OPTION_DATA_SEND_TIMEOUT:
        case INET_OPTION_DATA_RECEIVE_TIMEOUT:
            return &values[id];
        default:
            return nullptr;
        }
    }

    CInternetLimits Snapshot() const {
        CInternetLimits limits;
        limits.nConnectTimeout = values[INET_OPTION_CONNECT_TIMEOUT].load();
        limits.nConnectRetries = values[INET_OPTION_CONNECT_RETRIES].load();
        limits.nSendTimeout = values[INET_OPTION_SEND_TIMEOUT].load();
        limits.nReceiveTimeout = values[INET_OPTION_RECEIVE_TIMEOUT].load();
        limits.nDataSendTimeout = values[INET_OPTION_DATA_SEND_TIMEOUT].load();
        limits.nDataReceiveTimeout = values[INET_OPTION_DATA_RECEIVE_TIMEOUT].load();
        return limits;
    }
};

CInternetLimits SnapshotLimits(const CInternetSession::COptions& options) {
    return options.Snapshot();
}

std::unique_ptr<CInternetSession> CInternetSession::Open(const std::string& agent) {
    if (platform::IsSessionOpenFailing())
        return nullptr;
    CCurlPool::Instance(); // libcurl's global set-up, once per process
    return std::unique_ptr<CInternetSession>(new CInternetSession(agent));
}

CInternetSession::CInternetSession(const std::string& agent)
    : m_strAgent(agent), m_pOptions(std::make_shared<COptions>()) {
    const CInternetLimits defaults;
    m_pOptions->values[INET_OPTION_CONNECT_TIMEOUT] = defaults.nConnectTimeout;
    m_pOptions->values[INET_OPTION_CONNECT_RETRIES] = defaults.nConnectRetries;
    m_pOptions->values[INET_OPTION_SEND_TIMEOUT] = defaults.nSendTimeout;
    m_pOptions->values[INET_OPTION_RECEIVE_TIMEOUT] = defaults.nReceiveTimeout;
    m_pOptions->values[INET_OPTION_DATA_SEND_TIMEOUT] = defaults.nDataSendTimeout;
    m_pOptions->values[INET_OPTION_DATA_RECEIVE_TIMEOUT] = defaults.nDataReceiveTimeout;
}

CInternetSession::~CInternetSession() = default;

bool CInternetSession::QueryOption(std::uint32_t id, std::uint32_t& value) const {
    std::atomic<std::uint32_t>* option = m_pOptions->Find(id);
    if (option == nullptr || platform::IsOptionReadFailing(id))
        return false;
    value = option->load();
    return true;
}

bool CInternetSession::SetOption(std::uint32_t id, const void* buffer, std::uint32_t length) {
    std::atomic<std::uint32_t>* option = m_pOptions->Find(id);
    if (option == nullptr || buffer == nullptr || length != sizeof(std::uint32_t) ||
        platform::IsOptionSetFailing(id))
        return false;
    std::uint32_t value = 0;
    std::memcpy(&value, buffer, sizeof value);
    option->store(value);
    return true;
}

CInternetLimits CInternetSession::GetLimits() const {
    return m_pOptions->Snapshot();
}

std::unique_ptr<CHttpConnection> CInternetSession::GetHttpConnection(const std::string& server,
                                                                     std::uint16_t port,
                                                                     const char* user,
                                                                     const char* password) const {
    return std::make_unique<CHttpConnection>(server, port == 0 ? 80 : port, m_strAgent, m_pOptions,
                                             user, password);
}
