// Linux rendering of the HTTP connection: checks the server name and opens requests, each of
// which takes a pooled libcurl channel for this server and port.
#include "platform/inet/HttpConnection.h"

#include "platform/inet/CurlPoolLinux.h"
#include "platform/inet/HttpRequestStateLinux.h"
#include "platform/inet/InternetException.h"

namespace {

// A host name, an IPv4 address or an IPv6 address (without brackets).
bool IsUsableServerName(const std::string& server) {
    if (server.empty() || server.size() > 253)
        return false;
    for (char c : server) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == ':' ||
                        c == '%';
        if (!ok)
            return false;
    }
    return true;
}

// Percent-encodes the bytes that cannot stand in a request line as they are.
std::string EncodeObjectPath(const std::string& path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size() + 1);
    if (path.empty() || path.front() != '/')
        out.push_back('/');
    for (char ch : path) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7F || c == '#') {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 0x0F]);
        } else {
            out.push_back(ch);
        }
    }
    return out;
}

} // namespace

CHttpConnection::CHttpConnection(const std::string& server, std::uint16_t port,
                                 const std::string& agent,
                                 std::shared_ptr<const CInternetSession::COptions> options,
                                 const char* user, const char* password)
    : m_strServer(server), m_nPort(port == 0 ? 80 : port), m_strAgent(agent),
      m_pOptions(std::move(options)), m_strUser(user != nullptr ? user : ""),
      m_strPassword(password != nullptr ? password : ""), m_bHasUser(user != nullptr) {
    if (!IsUsableServerName(server))
        throw CInternetException(CURLE_URL_MALFORMAT, "invalid server name: " + server);
}

CHttpConnection::~CHttpConnection() = default;

std::unique_ptr<CHttpRequest> CHttpConnection::OpenRequest(const std::string& objectPath) {
    if (m_bClosed)
        return nullptr;
    const bool bIpv6 = m_strServer.find(':') != std::string::npos;
    const std::string host = bIpv6 ? "[" + m_strServer + "]" : m_strServer;
    const std::string key = host + ":" + std::to_string(m_nPort);
    auto state = std::make_unique<CHttpRequest::CState>();
    state->m_pChannel = CCurlPool::Instance().Acquire(key);
    if (!state->m_pChannel)
        return nullptr;
    state->m_strUrl = "http://" + key + EncodeObjectPath(objectPath);
    state->m_strAgent = m_strAgent;
    state->m_bHasUser = m_bHasUser;
    state->m_strUser = m_strUser;
    state->m_strPassword = m_strPassword;
    state->m_limits = SnapshotLimits(*m_pOptions);
    return std::make_unique<CHttpRequest>(std::move(state));
}
