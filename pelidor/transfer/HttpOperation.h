// CHttpOperation: the transfer object for HTTP. It holds the HTTP connection and supplies the
// protocol's operations to the internet operation base: opening the connection, checking a
// remote file with one GET, and requesting, measuring, reading and closing a file's GET.
#pragma once

#include "pelidor/transfer/InetOperationBase.h"
#include "platform/inet/HttpConnection.h"
#include "platform/inet/HttpRequest.h"

class CHttpOperation : public CInetOperationBase<CHttpConnection, CHttpOperation> {
public:
    explicit CHttpOperation(const std::string& agent);
    // Stops a worker still attached, closes the connection, then the base closes the session.
    ~CHttpOperation() override;

    CHttpConnection*& GetConnectionRef() override { return m_pConnection; }
    CHttpConnection* GetConnection() override { return m_pConnection; }
    std::string GetDefaultScheme() override { return "http://"; }
    std::uint32_t GetServiceType() override { return INET_SERVICE_HTTP; }
    CHttpConnection* OpenConnection(const std::string& server, std::uint16_t port, const char* user,
                                    const char* password) override;
    std::int32_t KeepsFolderSeparator() override { return 1; }
    RESULT_CODE QueryFile(const std::string& path, const std::string& folder,
                          const std::string& fileName, std::uint64_t* size) override;
    RESULT_CODE SendFileRequest(const std::string& path, CHttpRequest*& request) override;
    RESULT_CODE CloseFileRequest(CHttpRequest*& request) override;
    RESULT_CODE QueryContentLength(CHttpRequest* request, std::uint64_t& length) override;
    RESULT_CODE ReadFileRequest(CHttpRequest* request, void* buffer, std::uint32_t capacity,
                                std::uint32_t& count) override;

private:
    CHttpConnection* m_pConnection;
};
