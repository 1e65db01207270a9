// The HTTP operation's protocol steps: GET requests on the connection, only status 200 passes.
#include "pelidor/transfer/HttpOperation.h"

CHttpOperation::CHttpOperation(const std::string& agent)
    : CInetOperationBase<CHttpConnection, CHttpOperation>(agent), m_pConnection(nullptr) {}

CHttpOperation::~CHttpOperation() {
    StopWorker();
    Disconnect();
}

CHttpConnection* CHttpOperation::OpenConnection(const std::string& server, std::uint16_t port,
                                                const char* user, const char* password) {
    return m_pSession->GetHttpConnection(server, port, user, password).release();
}

RESULT_CODE CHttpOperation::QueryFile(const std::string& path, const std::string& /*folder*/,
                                      const std::string& /*fileName*/, std::uint64_t* size) {
    CHttpRequest* request = nullptr;
    const RESULT_CODE rc = SendFileRequest(path, request);
    if (rc != RC_SUCCESS)
        return rc == RC_REQUEST_REFUSED ? RC_REQUEST_FAILED : rc;
    if (size != nullptr)
        QueryContentLength(request, *size);
    CloseFileRequest(request); // no byte of the body is read
    return RC_SUCCESS;
}

RESULT_CODE CHttpOperation::SendFileRequest(const std::string& path, CHttpRequest*& request) {
    if (m_pConnection == nullptr)
        return RC_NO_CONNECTION;
    request = m_pConnection->OpenRequest(path).release();
    if (request == nullptr)
        return RC_NO_CONNECTION; // the request could not even be opened
    RESULT_CODE result = RC_REQUEST_REFUSED;
    try {
        if (request->SendRequest()) {
            std::uint32_t status = 0;
            if (request->QueryStatusCode(status) && status == 200)
                result = RC_SUCCESS;
            else
                request->Close();
        }
    } catch (const CInternetException&) {
        result = RC_NO_CONNECTION;
    }
    if (result != RC_SUCCESS) {
        delete request;
        request = nullptr;
    }
    return result;
}

RESULT_CODE CHttpOperation::CloseFileRequest(CHttpRequest*& request) {
    if (request == nullptr)
        return RC_SUCCESS;
    request->Close();
    delete request;
    request = nullptr;
    return RC_SUCCESS;
}

RESULT_CODE CHttpOperation::QueryContentLength(CHttpRequest* request, std::uint64_t& length) {
    std::uint32_t value = 0;
    if (request->QueryContentLength(value))
        length = value;
    else
        length = request->GetLength();
    return RC_SUCCESS;
}

RESULT_CODE CHttpOperation::ReadFileRequest(CHttpRequest* request, void* buffer,
                                            std::uint32_t capacity, std::uint32_t& count) {
    try {
        count = request->Read(buffer, capacity);
    } catch (const CInternetException&) {
        return RC_READ_FAILED;
    }
    return RC_SUCCESS;
}
