// Linux: the registry store as an SQLite database. Keys form a tree in one table (the roots are
// fixed rows), values live in a second table and go with their key. Each write runs in its own
// BEGIN IMMEDIATE transaction, so a writer takes the store's write lock before it reads what it
// is about to change, and a busy time-out lets concurrent writers wait for each other.
#include "platform/registry/Registry.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// Long enough for any honest writer to finish; a store locked for longer counts as unwritable.
constexpr int kBusyTimeoutMs = 10000;

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS reg_keys(
    id INTEGER PRIMARY KEY,
    parent INTEGER REFERENCES reg_keys(id),
    name TEXT NOT NULL COLLATE NOCASE,
    UNIQUE(parent, name));
CREATE TABLE IF NOT EXISTS reg_values(
    key INTEGER NOT NULL REFERENCES reg_keys(id) ON DELETE CASCADE,
    name TEXT NOT NULL COLLATE NOCASE,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    PRIMARY KEY(key, name));
INSERT OR IGNORE INTO reg_keys(id, parent, name) VALUES
    (1, NULL, 'HKEY_CLASSES_ROOT'), (2, NULL, 'HKEY_CURRENT_USER'),
    (3, NULL, 'HKEY_LOCAL_MACHINE'), (4, NULL, 'HKEY_USERS'), (5, NULL, 'HKEY_CURRENT_CONFIG');
)sql";

sqlite3_int64 RootKeyId(RegistryRoot root) {
    switch (root) {
    case RegistryRoot::ClassesRoot:
        return 1;
    case RegistryRoot::CurrentUser:
        return 2;
    case RegistryRoot::LocalMachine:
        return 3;
    case RegistryRoot::Users:
        return 4;
    case RegistryRoot::CurrentConfig:
        return 5;
    }
    return 0;
}

std::string HomeDirectory() {
    const char* pszHome = std::getenv("HOME");
    if (pszHome != nullptr && pszHome[0] != '\0')
        return pszHome;
    if (const passwd* pEntry = ::getpwuid(::getuid()); pEntry != nullptr && pEntry->pw_dir)
        return pEntry->pw_dir;
    return {};
}

bool IsDefaultStorePath() {
    const char* pszStore = std::getenv("CORVALE_REGISTRY");
    return pszStore == nullptr || pszStore[0] == '\0';
}

// Creates every missing folder of a file's parent chain (the default store's folder).
void CreateParentFolders(const std::string& strFile) {
    for (std::size_t nPos = strFile.find('/', 1); nPos != std::string::npos;
         nPos = strFile.find('/', nPos + 1)) {
        const std::string strFolder = strFile.substr(0, nPos);
        if (::mkdir(strFolder.c_str(), 0700) != 0 && errno != EEXIST)
            return;
    }
}

// Whether this process may write the store: the file itself when it exists, and its folder,
// where the journal of each transaction is created. SQLite alone would notice a folder that
// may not be written only at the first change, after a key had been opened for writing.
bool StoreIsWritable(const std::string& strFile) {
    const std::size_t nSlash = strFile.rfind('/');
    const std::string strFolder =
        nSlash == std::string::npos ? "." : (nSlash == 0 ? "/" : strFile.substr(0, nSlash));
    if (::faccessat(AT_FDCWD, strFolder.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        return false;
    return ::faccessat(AT_FDCWD, strFile.c_str(), W_OK, AT_EACCESS) == 0 || errno == ENOENT;
}

// One prepared statement, finalized on scope exit.
class CStatement {
public:
    CStatement(sqlite3* pDb, const char* pszSql) {
        if (sqlite3_prepare_v2(pDb, pszSql, -1, &m_pStmt, nullptr) != SQLITE_OK)
            m_pStmt = nullptr;
    }
    ~CStatement() { sqlite3_finalize(m_pStmt); }
    CStatement(const CStatement&) = delete;
    CStatement& operator=(const CStatement&) = delete;

    bool IsValid() const { return m_pStmt != nullptr; }
    sqlite3_stmt* Get() const { return m_pStmt; }
    void BindId(int nIndex, sqlite3_int64 nId) { sqlite3_bind_int64(m_pStmt, nIndex, nId); }
    void BindText(int nIndex, const std::string& strText) {
        sqlite3_bind_text(m_pStmt, nIndex, strText.data(), static_cast<int>(strText.size()),
                          SQLITE_TRANSIENT);
    }
    void BindBlob(int nIndex, const std::vector<unsigned char>& arrData) {
        if (arrData.empty())
            sqlite3_bind_zeroblob(m_pStmt, nIndex, 0); // an empty blob, not NULL
        else
            sqlite3_bind_blob(m_pStmt, nIndex, arrData.data(), static_cast<int>(arrData.size()),
                              SQLITE_TRANSIENT);
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step() { return m_pStmt ? sqlite3_step(m_pStmt) : SQLITE_ERROR; }
    void Reset() {
        sqlite3_reset(m_pStmt);
        sqlite3_clear_bindings(m_pStmt);
    }

private:
    sqlite3_stmt* m_pStmt = nullptr;
};

std::string ColumnText(sqlite3_stmt* pStmt, int nColumn) {
    const auto* pText = sqlite3_column_text(pStmt, nColumn);
    const int nBytes = sqlite3_column_bytes(pStmt, nColumn);
    return pText
               ? std::string(reinterpret_cast<const char*>(pText), static_cast<std::size_t>(nBytes))
               : std::string();
}

// A connection to the store file.
class CConnection {
public:
    CConnection() = default;
    ~CConnection() { Close(); }
    CConnection(const CConnection&) = delete;
    CConnection& operator=(const CConnection&) = delete;

    // bWrite: the store must be writable; bCreate: a missing store file is created.
    bool Open(bool bWrite, bool bCreate) {
        Close();
        const std::string strPath = RegistryStorePath();
        if (strPath.empty())
            return false;
        if (bCreate && IsDefaultStorePath())
            CreateParentFolders(strPath);
        if (bWrite && !StoreIsWritable(strPath))
            return false;
        int nFlags = bWrite ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY;
        if (bWrite && bCreate)
            nFlags |= SQLITE_OPEN_CREATE;
        if (sqlite3_open_v2(strPath.c_str(), &m_pDb, nFlags, nullptr) != SQLITE_OK) {
            Close();
            return false;
        }
        sqlite3_busy_timeout(m_pDb, kBusyTimeoutMs);
        // SQLite silently falls back to read-only when the file may not be written.
        if (bWrite && sqlite3_db_readonly(m_pDb, "main") != 0) {
            Close();
            return false;
        }
        if (!Exec("PRAGMA foreign_keys = ON")) {
            Close();
            return false;
        }
        return true;
    }

    void Close() {
        if (m_pDb != nullptr)
            sqlite3_close_v2(m_pDb);
        m_pDb = nullptr;
    }

    sqlite3* Get() const { return m_pDb; }
    bool Exec(const char* pszSql) {
        return sqlite3_exec(m_pDb, pszSql, nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    bool Begin(bool bWrite) { return Exec(bWrite ? "BEGIN IMMEDIATE" : "BEGIN"); }
    bool Commit() {
        if (Exec("COMMIT"))
            return true;
        Rollback();
        return false;
    }
    void Rollback() {
        if (sqlite3_get_autocommit(m_pDb) == 0)
            Exec("ROLLBACK");
    }

    // Finds the child key by name; 0 when there is none, -1 on a store error.
    sqlite3_int64 FindChild(sqlite3_int64 nParent, const std::string& strName) {
        CStatement stmt(m_pDb, "SELECT id FROM reg_keys WHERE parent = ?1 AND name = ?2");
        if (!stmt.IsValid())
            return -1;
        stmt.BindId(1, nParent);
        stmt.BindText(2, strName);
        const int nRc = stmt.Step();
        if (nRc == SQLITE_ROW)
            return sqlite3_column_int64(stmt.Get(), 0);
        return nRc == SQLITE_DONE ? 0 : -1;
    }

    // Walks the path from the root; 0 when a key on the way is missing, -1 on a store error.
    sqlite3_int64 Resolve(RegistryRoot root, const std::vector<std::string>& arrNames) {
        sqlite3_int64 nId = RootKeyId(root);
        for (const std::string& strName : arrNames) {
            nId = FindChild(nId, strName);
            if (nId <= 0)
                return nId;
        }
        return nId;
    }

    // Walks the path, creating each missing key with the case given here.
    sqlite3_int64 ResolveCreating(RegistryRoot root, const std::vector<std::string>& arrNames) {
        sqlite3_int64 nId = RootKeyId(root);
        for (const std::string& strName : arrNames) {
            sqlite3_int64 nChild = FindChild(nId, strName);
            if (nChild < 0)
                return -1;
            if (nChild == 0) {
                CStatement stmt(m_pDb, "INSERT INTO reg_keys(parent, name) VALUES (?1, ?2)");
                stmt.BindId(1, nId);
                stmt.BindText(2, strName);
                if (stmt.Step() != SQLITE_DONE)
                    return -1;
                nChild = sqlite3_last_insert_rowid(m_pDb);
            }
            nId = nChild;
        }
        return nId;
    }

    bool KeyExists(sqlite3_int64 nId) {
        CStatement stmt(m_pDb, "SELECT 1 FROM reg_keys WHERE id = ?1");
        stmt.BindId(1, nId);
        return stmt.Step() == SQLITE_ROW;
    }

private:
    sqlite3* m_pDb = nullptr;
};

} // namespace

struct CRegistryKey::CImpl {
    CConnection m_connection;
    sqlite3_int64 m_nKeyId = 0;
    bool m_bWritable = false;
};

std::string RegistryStorePath() {
    if (const char* pszStore = std::getenv("CORVALE_REGISTRY"); pszStore && pszStore[0] != '\0')
        return pszStore;
    std::string strData;
    // XDG: a relative XDG_DATA_HOME is invalid and ignored.
    if (const char* pszData = std::getenv("XDG_DATA_HOME"); pszData && pszData[0] == '/')
        strData = pszData;
    else {
        const std::string strHome = HomeDirectory();
        if (strHome.empty())
            return {};
        strData = strHome + "/.local/share";
    }
    return strData + "/norvane/registry.db";
}

CRegistryKey::CRegistryKey() = default;
CRegistryKey::~CRegistryKey() = default;
CRegistryKey::CRegistryKey(CRegistryKey&& other) noexcept = default;
CRegistryKey& CRegistryKey::operator=(CRegistryKey&& other) noexcept = default;

bool CRegistryKey::Create(RegistryRoot root, const std::string& strPath) {
    Close();
    std::vector<std::string> arrNames;
    if (!SplitRegistryPath(strPath, arrNames))
        return false;
    auto pImpl = std::make_unique<CImpl>();
    CConnection& db = pImpl->m_connection;
    if (!db.Open(true, true) || !db.Begin(true))
        return false;
    if (!db.Exec(kSchema)) {
        db.Rollback();
        return false;
    }
    const sqlite3_int64 nId = db.ResolveCreating(root, arrNames);
    if (nId <= 0) {
        db.Rollback();
        return false;
    }
    if (!db.Commit())
        return false;
    pImpl->m_nKeyId = nId;
    pImpl->m_bWritable = true;
    m_pImpl = std::move(pImpl);
    return true;
}

bool CRegistryKey::Open(RegistryRoot root, const std::string& strPath, RegistryAccess access) {
    Close();
    std::vector<std::string> arrNames;
    if (!SplitRegistryPath(strPath, arrNames))
        return false;
    auto pImpl = std::make_unique<CImpl>();
    const bool bWrite = access == RegistryAccess::ReadWrite;
    if (!pImpl->m_connection.Open(bWrite, false))
        return false;
    const sqlite3_int64 nId = pImpl->m_connection.Resolve(root, arrNames);
    if (nId <= 0)
        return false;
    pImpl->m_nKeyId = nId;
    pImpl->m_bWritable = bWrite;
    m_pImpl = std::move(pImpl);
    return true;
}

void CRegistryKey::Close() {
    m_pImpl.reset();
}

bool CRegistryKey::IsOpen() const {
    return m_pImpl != nullptr;
}

bool CRegistryKey::SetValue(const std::string& strName, std::uint32_t nType,
                            const std::vector<unsigned char>& arrData) {
    if (!m_pImpl || !m_pImpl->m_bWritable)
        return false;
    CConnection& db = m_pImpl->m_connection;
    if (!db.Begin(true))
        return false;
    bool bDone = false;
    {
        // The key may have been deleted since it was opened; the foreign key refuses the row.
        CStatement stmt(db.Get(),
                        "INSERT INTO reg_values(key, name, type, data) VALUES (?1, ?2, ?3, ?4) "
                        "ON CONFLICT(key, name) DO UPDATE SET type = excluded.type, "
                        "data = excluded.data");
        if (stmt.IsValid()) {
            stmt.BindId(1, m_pImpl->m_nKeyId);
            stmt.BindText(2, strName);
            stmt.BindId(3, static_cast<sqlite3_int64>(nType));
            stmt.BindBlob(4, arrData);
            bDone = stmt.Step() == SQLITE_DONE;
        }
    }
    if (!bDone) {
        db.Rollback();
        return false;
    }
    return db.Commit();
}

bool CRegistryKey::QueryValues(std::vector<RegistryValue>& arrValues) const {
    if (!m_pImpl)
        return false;
    CConnection& db = m_pImpl->m_connection;
    if (!db.Begin(false))
        return false;
    std::vector<RegistryValue> arrOut;
    bool bOk = db.KeyExists(m_pImpl->m_nKeyId);
    if (bOk) {
        CStatement stmt(db.Get(),
                        "SELECT name, type, data FROM reg_values WHERE key = ?1 ORDER BY rowid");
        stmt.BindId(1, m_pImpl->m_nKeyId);
        int nRc = SQLITE_ERROR;
        while ((nRc = stmt.Step()) == SQLITE_ROW) {
            RegistryValue value;
            value.strName = ColumnText(stmt.Get(), 0);
            value.nType = static_cast<std::uint32_t>(sqlite3_column_int64(stmt.Get(), 1));
            const auto* pData =
                static_cast<const unsigned char*>(sqlite3_column_blob(stmt.Get(), 2));
            const int nBytes = sqlite3_column_bytes(stmt.Get(), 2);
            if (pData != nullptr)
                value.arrData.assign(pData, pData + nBytes);
            arrOut.push_back(std::move(value));
        }
        bOk = nRc == SQLITE_DONE;
    }
    db.Rollback();
    if (!bOk)
        return false;
    arrValues = std::move(arrOut);
    return true;
}

bool CRegistryKey::QuerySubkeys(std::vector<std::string>& arrNames) const {
    if (!m_pImpl)
        return false;
    CConnection& db = m_pImpl->m_connection;
    if (!db.Begin(false))
        return false;
    std::vector<std::string> arrOut;
    bool bOk = db.KeyExists(m_pImpl->m_nKeyId);
    if (bOk) {
        CStatement stmt(db.Get(), "SELECT name FROM reg_keys WHERE parent = ?1 ORDER BY id");
        stmt.BindId(1, m_pImpl->m_nKeyId);
        int nRc = SQLITE_ERROR;
        while ((nRc = stmt.Step()) == SQLITE_ROW)
            arrOut.push_back(ColumnText(stmt.Get(), 0));
        bOk = nRc == SQLITE_DONE;
    }
    db.Rollback();
    if (!bOk)
        return false;
    arrNames = std::move(arrOut);
    return true;
}

bool DeleteRegistryKey(RegistryRoot root, const std::string& strPath) {
    std::vector<std::string> arrNames;
    if (!SplitRegistryPath(strPath, arrNames) || arrNames.empty())
        return false;
    CConnection db;
    if (!db.Open(true, false) || !db.Begin(true))
        return false;
    const sqlite3_int64 nId = db.Resolve(root, arrNames);
    bool bDone = false;
    if (nId > 0) {
        CStatement children(db.Get(), "SELECT 1 FROM reg_keys WHERE parent = ?1 LIMIT 1");
        children.BindId(1, nId);
        if (children.Step() == SQLITE_DONE) {
            CStatement erase(db.Get(), "DELETE FROM reg_keys WHERE id = ?1");
            erase.BindId(1, nId);
            bDone = erase.Step() == SQLITE_DONE;
        }
    }
    if (!bDone) {
        db.Rollback();
        return false;
    }
    return db.Commit();
}

} // namespace platform
