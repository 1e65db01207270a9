// A temporary installation of the product for the registration tests: a copy of Corvale.so in
// "<tmp>/Program Files/Amberlyn" with test companion modules at the five module paths, a
// private registry store, and the record the companions write. Removed on destruction.
#pragma once

#include <string>
#include <vector>

namespace corvaletest {

constexpr const char* kClassKey = "CLSID\\{5D1C2A77-0E4B-4F19-9A3C-6B8E2F41D7A0}";

// The module paths relative to the install folder, in registration order.
const std::vector<std::string>& CompanionPaths();

struct CompanionEvent {
    std::string strEvent; // load, register, unregister, unload
    std::string strModule;
    std::string strCwd;
    bool operator==(const CompanionEvent&) const = default;
};

class CInstallFolder {
public:
    CInstallFolder();
    ~CInstallFolder();
    CInstallFolder(const CInstallFolder&) = delete;
    CInstallFolder& operator=(const CInstallFolder&) = delete;

    const std::string& Root() const { return m_strRoot; }       // the temporary folder
    const std::string& Install() const { return m_strInstall; } // where Corvale.so is
    std::string Library() const { return m_strInstall + "/Corvale.so"; }
    std::string Module(std::size_t nIndex) const {
        return m_strInstall + "/" + CompanionPaths()[nIndex];
    }
    // Native folder of a module, as getcwd shows it.
    std::string ModuleFolder(std::size_t nIndex) const;
    const std::string& Store() const { return m_strStore; }
    const std::string& RecordFile() const { return m_strRecord; }

    // Replaces a companion by the module without entry points, or removes it.
    void InstallNoEntryModule(std::size_t nIndex);
    void RemoveModule(std::size_t nIndex);

    std::vector<CompanionEvent> ReadRecord() const;
    void ClearRecord() const;

    // regsvr [-u] on the installed library with this store and record.
    struct RegsvrRun {
        int nExitCode;
        std::string strOut;
        std::string strErr;
    };
    RegsvrRun RunRegsvr(bool bUnregister, const std::string& strStore,
                        bool bUnprivileged = false) const;

private:
    std::string m_strRoot;
    std::string m_strInstall;
    std::string m_strStore;
    std::string m_strRecord;
};

// The expected record of one module handled with an entry point call.
std::vector<CompanionEvent> CalledModule(const CInstallFolder& install, std::size_t nIndex,
                                         const char* pszCall);

} // namespace corvaletest
