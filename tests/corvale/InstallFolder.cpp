// The temporary product installation of the registration tests.
#include "tests/corvale/InstallFolder.h"

#include "tests/corvale/ChildRun.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace corvaletest {

const std::vector<std::string>& CompanionPaths() {
    static const std::vector<std::string> arrPaths = {
        "Quorval1.dll",
        "Connectors/Larko Connector/Larko.fil",
        "Connectors/Larko Connector/LarkoApi.dll",
        "Connectors/Vindo/Vindo.fil",
        "Connectors/Vindo/VindoApi.dll",
    };
    return arrPaths;
}

CInstallFolder::CInstallFolder() {
    std::string strTemplate = (fs::temp_directory_path() / "corvale-test-XXXXXX").string();
    if (::mkdtemp(strTemplate.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    m_strRoot = strTemplate;
    m_strInstall = m_strRoot + "/Program Files/Amberlyn";
    m_strStore = m_strRoot + "/registry.db";
    m_strRecord = m_strRoot + "/calls.log";
    fs::create_directories(m_strInstall);
    fs::copy_file(CORVALE_SO_PATH, Library());
    for (std::size_t i = 0; i < CompanionPaths().size(); ++i) {
        fs::create_directories(fs::path(Module(i)).parent_path());
        fs::copy_file(COMPANION_PATH, Module(i));
    }
    // Readable and writable for an unprivileged child as well.
    for (const auto& entry : fs::recursive_directory_iterator(m_strRoot)) {
        if (entry.is_directory())
            fs::permissions(entry.path(), fs::perms::all);
    }
    fs::permissions(m_strRoot, fs::perms::all);
}

CInstallFolder::~CInstallFolder() {
    std::error_code ec;
    fs::remove_all(m_strRoot, ec);
}

std::string CInstallFolder::ModuleFolder(std::size_t nIndex) const {
    return fs::path(Module(nIndex)).parent_path().string();
}

void CInstallFolder::InstallNoEntryModule(std::size_t nIndex) {
    fs::copy_file(COMPANION_NOENTRY_PATH, Module(nIndex), fs::copy_options::overwrite_existing);
}

void CInstallFolder::RemoveModule(std::size_t nIndex) {
    fs::remove(Module(nIndex));
}

std::vector<CompanionEvent> CInstallFolder::ReadRecord() const {
    std::vector<CompanionEvent> arrEvents;
    std::ifstream in(m_strRecord);
    std::string strLine;
    while (std::getline(in, strLine)) {
        std::istringstream fields(strLine);
        CompanionEvent event;
        std::getline(fields, event.strEvent, '\t');
        std::getline(fields, event.strModule, '\t');
        std::getline(fields, event.strCwd);
        arrEvents.push_back(event);
    }
    return arrEvents;
}

void CInstallFolder::ClearRecord() const {
    std::error_code ec;
    fs::remove(m_strRecord, ec);
}

CInstallFolder::RegsvrRun CInstallFolder::RunRegsvr(bool bUnregister, const std::string& strStore,
                                                    bool bUnprivileged) const {
    std::vector<std::string> arrArgs = {REGSVR_PATH};
    if (bUnregister)
        arrArgs.push_back("-u");
    arrArgs.push_back(Library());
    ChildOptions options;
    options.mapEnv = {{"CORVALE_REGISTRY", strStore}, {"CORVALE_TEST_RECORD", m_strRecord}};
    options.bUnprivileged = bUnprivileged;
    const ChildResult result = RunChild(arrArgs, options);
    return {result.nExitCode, result.strOut, result.strErr};
}

std::vector<CompanionEvent> CalledModule(const CInstallFolder& install, std::size_t nIndex,
                                         const char* pszCall) {
    const std::string strModule = install.Module(nIndex);
    const std::string strCwd = install.ModuleFolder(nIndex);
    return {
        {"load", strModule, strCwd}, {pszCall, strModule, strCwd}, {"unload", strModule, strCwd}};
}

} // namespace corvaletest
