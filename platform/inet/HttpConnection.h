// An HTTP connection: a server and port reached through a session. It opens requests; the TCP
// connections themselves are pooled below it for the whole process, so requests reuse an idle
// keep-alive connection to the same server and port, also one opened by another connection
// object.
#pragma once

#include "platform/inet/InternetSession.h"

#include <cstdint>
#include <memory>
#include <string>

class CHttpRequest;

class CHttpConnection {
public:
    using CRequest = CHttpRequest;

    // Throws CInternetException for a server name that cannot name a host.
    CHttpConnection(const std::string& server, std::uint16_t port, const std::string& agent,
                    std::shared_ptr<const CInternetSession::COptions> options, const char* user,
                    const char* password);
    ~CHttpConnection();
    CHttpConnection(const CHttpConnection&) = delete;
    CHttpConnection& operator=(const CHttpConnection&) = delete;

    // A GET request for the object path (the only verb this client sends). Nothing is sent
    // before CHttpRequest::SendRequest. Null once the connection is closed.
    std::unique_ptr<CHttpRequest> OpenRequest(const std::string& objectPath);

    void Close() { m_bClosed = true; }

    const std::string& GetServerName() const { return m_strServer; }
    std::uint16_t GetPort() const { return m_nPort; }

private:
    std::string m_strServer;
    std::uint16_t m_nPort;
    std::string m_strAgent;
    std::shared_ptr<const CInternetSession::COptions> m_pOptions;
    std::string m_strUser;
    std::string m_strPassword;
    bool m_bHasUser;
    bool m_bClosed = false;
};
