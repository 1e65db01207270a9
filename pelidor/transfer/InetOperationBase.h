// CInetOperationBase: the transfer object. It owns an internet session with its six options, one
// connection to a server named by a URL and a worker controller; it checks remote object paths
// and downloads one remote file at a time into a local file on its worker, keeping a progress
// pair and answering wait and cancel. The protocol's own steps are pure virtual operations that
// the derived class (CHttpOperation) supplies.
#pragma once

#include "pelidor/app/ResultCodes.h"
#include "pelidor/fsutil/DriveChecks.h"
#include "pelidor/fsutil/FileOps.h"
#include "pelidor/transfer/RemotePath.h"
#include "pelidor/transfer/ThreadOperation.h"
#include "platform/inet/InternetException.h"
#include "platform/inet/InternetSession.h"
#include "platform/inet/UrlParser.h"
#include "platform/thread/CriticalSection.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

template <class TConnection, class TOperation> std::uint32_t TransferThreadProc(void* operation);

template <class TConnection, class TOperation> class CInetOperationBase {
public:
    using TRequest = typename TConnection::CRequest;

    static constexpr std::uint32_t kBlockSize = 1024;
    static constexpr std::size_t kMaxCredential = 255;

    explicit CInetOperationBase(const std::string& agent);
    virtual ~CInetOperationBase();
    CInetOperationBase(const CInetOperationBase&) = delete;
    CInetOperationBase& operator=(const CInetOperationBase&) = delete;

    // Session options: 0, 100 without a session, or the option's own read or set code.
    virtual RESULT_CODE GetConnectTimeout(std::uint32_t& value) {
        return ReadOption(INET_OPTION_CONNECT_TIMEOUT, RC_GET_CONNECT_TIMEOUT, value);
    }
    virtual RESULT_CODE SetConnectTimeout(std::uint32_t value) {
        return WriteOption(INET_OPTION_CONNECT_TIMEOUT, RC_SET_CONNECT_TIMEOUT, value);
    }
    virtual RESULT_CODE GetConnectRetries(std::uint32_t& value) {
        return ReadOption(INET_OPTION_CONNECT_RETRIES, RC_GET_CONNECT_RETRIES, value);
    }
    virtual RESULT_CODE SetConnectRetries(std::uint32_t value) {
        return WriteOption(INET_OPTION_CONNECT_RETRIES, RC_SET_CONNECT_RETRIES, value);
    }
    virtual RESULT_CODE GetSendTimeout(std::uint32_t& value) {
        return ReadOption(INET_OPTION_SEND_TIMEOUT, RC_GET_SEND_TIMEOUT, value);
    }
    virtual RESULT_CODE SetSendTimeout(std::uint32_t value) {
        return WriteOption(INET_OPTION_SEND_TIMEOUT, RC_SET_SEND_TIMEOUT, value);
    }
    virtual RESULT_CODE GetReceiveTimeout(std::uint32_t& value) {
        return ReadOption(INET_OPTION_RECEIVE_TIMEOUT, RC_GET_RECEIVE_TIMEOUT, value);
    }
    virtual RESULT_CODE SetReceiveTimeout(std::uint32_t value) {
        return WriteOption(INET_OPTION_RECEIVE_TIMEOUT, RC_SET_RECEIVE_TIMEOUT, value);
    }
    virtual RESULT_CODE GetDataSendTimeout(std::uint32_t& value) {
        return ReadOption(INET_OPTION_DATA_SEND_TIMEOUT, RC_GET_DATA_SEND_TIMEOUT, value);
    }
    virtual RESULT_CODE SetDataSendTimeout(std::uint32_t value) {
        return WriteOption(INET_OPTION_DATA_SEND_TIMEOUT, RC_SET_DATA_SEND_TIMEOUT, value);
    }
    virtual RESULT_CODE GetDataReceiveTimeout(std::uint32_t& value) {
        return ReadOption(INET_OPTION_DATA_RECEIVE_TIMEOUT, RC_GET_DATA_RECEIVE_TIMEOUT, value);
    }
    virtual RESULT_CODE SetDataReceiveTimeout(std::uint32_t value) {
        return WriteOption(INET_OPTION_DATA_RECEIVE_TIMEOUT, RC_SET_DATA_RECEIVE_TIMEOUT, value);
    }

    virtual RESULT_CODE Connect(const std::string& serverUrl, const std::string& user,
                                const std::string& password);
    virtual RESULT_CODE Disconnect();
    // size may be null when the size is not wanted.
    virtual RESULT_CODE QueryRemoteFile(const std::string& path, std::uint64_t* size);
    virtual RESULT_CODE StartDownload(const std::string& source, const std::string& destination,
                                      std::int32_t overwrite);
    virtual RESULT_CODE WaitDownload();
    virtual RESULT_CODE CancelDownload();
    virtual RESULT_CODE PrepareDestination(); // worker step 1
    virtual RESULT_CODE TransferBody();       // worker step 2
    virtual void GetProgress(std::int64_t& transferred, std::int64_t& total);
    virtual void SetProgress(std::int64_t transferred, std::int64_t total);

    // The protocol's operations.
    virtual TConnection*& GetConnectionRef() = 0;
    virtual TConnection* GetConnection() = 0;
    virtual std::string GetDefaultScheme() = 0;
    virtual std::uint32_t GetServiceType() = 0;
    // A new open connection to server:port (port 0: the service's default), or null; may throw
    // CInternetException.
    virtual TConnection* OpenConnection(const std::string& server, std::uint16_t port,
                                        const char* user, const char* password) = 0;
    virtual std::int32_t KeepsFolderSeparator() = 0;
    virtual RESULT_CODE QueryFile(const std::string& path, const std::string& folder,
                                  const std::string& fileName, std::uint64_t* size) = 0;
    virtual RESULT_CODE SendFileRequest(const std::string& path, TRequest*& request) = 0;
    virtual RESULT_CODE CloseFileRequest(TRequest*& request) = 0;
    virtual RESULT_CODE QueryContentLength(TRequest* request, std::uint64_t& length) = 0;
    virtual RESULT_CODE ReadFileRequest(TRequest* request, void* buffer, std::uint32_t capacity,
                                        std::uint32_t& count) = 0;

protected:
    // For the derived destructor: a worker still attached is stopped and waited for before
    // the connection it uses goes away.
    void StopWorker() {
        if (m_pThreadOperation != nullptr)
            m_pThreadOperation->Cancel();
    }

    CInternetSession* m_pSession;
    CThreadOperation* m_pThreadOperation;
    std::string m_strSource;
    std::string m_strDestination;
    std::int32_t m_bOverwrite;
    std::int64_t m_nTransferred;
    std::int64_t m_nTotal;
    CCriticalSection m_csProgress;

private:
    RESULT_CODE ReadOption(std::uint32_t id, RESULT_CODE failCode, std::uint32_t& value) {
        if (m_pSession == nullptr)
            return RC_NO_SESSION;
        std::uint32_t read = 0;
        if (!m_pSession->QueryOption(id, read))
            return failCode;
        value = read;
        return RC_SUCCESS;
    }
    RESULT_CODE WriteOption(std::uint32_t id, RESULT_CODE failCode, std::uint32_t value) {
        if (m_pSession == nullptr)
            return RC_NO_SESSION;
        return m_pSession->SetOption(id, &value, sizeof value) ? RC_SUCCESS : failCode;
    }
};

// ---- construction and destruction ---------------------------------------------------------

template <class TConnection, class TOperation>
CInetOperationBase<TConnection, TOperation>::CInetOperationBase(const std::string& agent)
    : m_pSession(nullptr), m_pThreadOperation(nullptr), m_bOverwrite(0), m_nTransferred(0),
      m_nTotal(0) {
    m_pSession = CInternetSession::Open(agent).release();
    // The options in table order; a refused one keeps the session's default.
    SetConnectTimeout(3000);
    SetConnectRetries(3);
    SetSendTimeout(3000);
    SetReceiveTimeout(3000);
    SetDataSendTimeout(3000);
    SetDataReceiveTimeout(3000);
    m_pThreadOperation = new CThreadOperation();
}

template <class TConnection, class TOperation>
CInetOperationBase<TConnection, TOperation>::~CInetOperationBase() {
    delete m_pThreadOperation; // cancels and waits for a worker still attached
    m_pThreadOperation = nullptr;
    if (m_pSession != nullptr) {
        m_pSession->Close();
        delete m_pSession;
        m_pSession = nullptr;
    }
}

// ---- connection ----------------------------------------------------------------------------

template <class TConnection, class TOperation>
RESULT_CODE CInetOperationBase<TConnection, TOperation>::Connect(const std::string& serverUrl,
                                                                 const std::string& user,
                                                                 const std::string& password) {
    TConnection*& connection = GetConnectionRef();
    if (connection != nullptr)
        return RC_ALREADY_CONNECTED;
    if (m_pSession == nullptr)
        return RC_NO_SESSION;
    CParsedUrl url;
    if (!ParseInternetUrl(serverUrl, url) && !ParseInternetUrl(GetDefaultScheme() + serverUrl, url))
        return RC_BAD_URL;
    if (url.nServiceType != GetServiceType() || url.strServer.empty())
        return RC_WRONG_SERVICE;
    // Credentials are handed on as copies of at most 255 characters; empty ones as none.
    const std::string userCopy = user.substr(0, kMaxCredential);
    const std::string passwordCopy = password.substr(0, kMaxCredential);
    try {
        // The URL's own port (80 when it names none) is the one connected to.
        connection =
            OpenConnection(url.strServer, url.nPort, userCopy.empty() ? nullptr : userCopy.c_str(),
                           passwordCopy.empty() ? nullptr : passwordCopy.c_str());
    } catch (const CInternetException&) {
        connection = nullptr;
    }
    return connection == nullptr ? RC_NO_CONNECTION : RC_SUCCESS;
}

template <class TConnection, class TOperation>
RESULT_CODE CInetOperationBase<TConnection, TOperation>::Disconnect() {
    TConnection*& connection = GetConnectionRef();
    if (connection != nullptr) {
        connection->Close();
        delete connection;
        connection = nullptr;
    }
    return RC_SUCCESS;
}

// ---- remote files --------------------------------------------------------------------------

template <class TConnection, class TOperation>
RESULT_CODE CInetOperationBase<TConnection, TOperation>::QueryRemoteFile(const std::string& path,
                                                                         std::uint64_t* size) {
    if (GetConnection() == nullptr)
        return RC_NO_CONNECTION;
    const std::string folder = GetRemoteFolder(path, KeepsFolderSeparator());
    if (folder.empty())
        return RC_BAD_OBJECT_PATH;
    const std::string fileName = GetRemoteFileName(path);
    if (fileName.empty())
        return RC_BAD_OBJECT_PATH;
    return QueryFile(path, folder, fileName, size);
}

// ---- download control ----------------------------------------------------------------------

template <class TConnection, class TOperation>
RESULT_CODE CInetOperationBase<TConnection, TOperation>::StartDownload(
    const std::string& source, const std::string& destination, std::int32_t overwrite) {
    if (GetConnection() == nullptr)
        return RC_NO_CONNECTION;
    m_strSource = source;
    m_strDestination = destination;
    m_bOverwrite = overwrite;
    SetProgress(-1, -1);
    return m_pThreadOperation->Start(&TransferThreadProc<TConnection, TOperation>, this);
}

template <class TConnection, class TOperation>
RESULT_CODE CInetOperationBase<TConnection, TOperation>::WaitDownload() {
    if (GetConnection() == nullptr)
        return RC_NO_CONNECTION;
    return m_pThreadOperation->Wait();
}

template <class TConnection, class TOperation>
RESULT_CODE CInetOperationBase<TConnection, TOperation>::CancelDownload() {
    if (GetConnection() == nullptr)
        return RC_NO_CONNECTION;
    return m_pThreadOperation->Cancel();
}

// ---- the worker's steps --------------------------------------------------------------------

template <class TConnection, class TOperation>
RESULT_CODE CInetOperationBase<TConnection, TOperation>::PrepareDestination() {
    if (GetConnection() == nullptr)
        return RC_NO_CONNECTION;
    std::uint64_t size = 0;
    RESULT_CODE rc = QueryRemoteFile(m_strSource, &size);
    if (rc != RC_SUCCESS)
        return rc;
    rc = ProbeDriveWritable(m_strDestination);
    if (rc != RC_SUCCESS)
        return rc;
    rc = CheckFreeSpace(m_strDestination, size);
    if (rc != RC_SUCCESS)
        return rc;
    rc = CreateFolderChain(m_strDestination);
    if (rc != RC_SUCCESS)
        return rc;
    rc = CheckFileExists(m_strDestination);
    if (rc == RC_FILE_NOT_FOUND)
        return RC_SUCCESS;
    if (rc != RC_SUCCESS)
        return rc;
    if (m_bOverwrite == 0)
        return RC_DESTINATION_EXISTS;
    return DeleteLocalFile(m_strDestination);
}

template <class TConnection, class TOperation>
RESULT_CODE CInetOperationBase<TConnection, TOperation>::TransferBody() {
    if (GetConnection() == nullptr)
        return RC_NO_CONNECTION;
    std::uint64_t total = 0;
    std::int64_t transferred = 0;
    RESULT_CODE transferResult = RC_SUCCESS;
    RESULT_CODE fileResult = RC_SUCCESS;
    TRequest* request = nullptr;
    LocalFile* file = nullptr;

    // The destination is created only once the server has answered the request with 200.
    transferResult = SendFileRequest(m_strSource, request);
    if (transferResult == RC_SUCCESS) {
        QueryContentLength(request, total);
        fileResult = OpenLocalFile(m_strDestination, &file, 2, 1, 0);
    }
    if (transferResult == RC_SUCCESS && fileResult == RC_SUCCESS) {
        SetProgress(0, static_cast<std::int64_t>(total));
        std::vector<char> buffer(kBlockSize);
        if (m_pThreadOperation->IsCancelRequested() != 0) {
            transferResult = fileResult = RC_CANCELLED;
        } else {
            for (;;) {
                std::uint32_t count = 0;
                transferResult = ReadFileRequest(request, buffer.data(), kBlockSize, count);
                if (transferResult != RC_SUCCESS || count == 0)
                    break;
                fileResult = WriteLocalFile(file, buffer.data(), count);
                if (fileResult != RC_SUCCESS)
                    break;
                transferred += count;
                SetProgress(transferred, static_cast<std::int64_t>(total));
                if (m_pThreadOperation->IsCancelRequested() != 0) {
                    transferResult = fileResult = RC_CANCELLED;
                    break;
                }
            }
        }
    }
    if (transferResult != RC_SUCCESS || fileResult != RC_SUCCESS)
        SetProgress(-2, -2);
    if (request != nullptr) {
        const RESULT_CODE rc = CloseFileRequest(request);
        if (transferResult == RC_SUCCESS)
            transferResult = rc;
    }
    if (file != nullptr) {
        const RESULT_CODE rc = CloseLocalFile(&file);
        if (fileResult == RC_SUCCESS)
            fileResult = rc;
    }
    if (transferResult != RC_SUCCESS || fileResult != RC_SUCCESS) {
        DeleteLocalFile(m_strDestination); // a partial or failed file is never left behind
        return transferResult != RC_SUCCESS ? transferResult : fileResult;
    }
    return RC_SUCCESS;
}

// ---- progress ------------------------------------------------------------------------------

template <class TConnection, class TOperation>
void CInetOperationBase<TConnection, TOperation>::GetProgress(std::int64_t& transferred,
                                                              std::int64_t& total) {
    CCriticalSection::CScope lock(m_csProgress);
    transferred = m_nTransferred;
    total = m_nTotal;
}

template <class TConnection, class TOperation>
void CInetOperationBase<TConnection, TOperation>::SetProgress(std::int64_t transferred,
                                                              std::int64_t total) {
    CCriticalSection::CScope lock(m_csProgress);
    m_nTransferred = transferred;
    m_nTotal = total;
}

// ---- the worker's entry --------------------------------------------------------------------

template <class TConnection, class TOperation> std::uint32_t TransferThreadProc(void* operation) {
    auto* self = static_cast<CInetOperationBase<TConnection, TOperation>*>(operation);
    const RESULT_CODE rc = self->PrepareDestination();
    if (rc != RC_SUCCESS)
        return static_cast<std::uint32_t>(rc);
    return static_cast<std::uint32_t>(self->TransferBody());
}
