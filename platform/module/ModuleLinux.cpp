// Linux: modules are ELF shared objects handled with dlopen, dlsym, dlclose and dladdr.
#include "platform/module/Module.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <unistd.h>

namespace platform {
namespace {

// The file mapped at an address, as the kernel names it in /proc/self/maps (absolute, and
// correct even when the module was loaded by a relative path from another directory).
std::string MappedFileAt(const void* pAddress) {
    std::FILE* pMaps = std::fopen("/proc/self/maps", "re");
    if (pMaps == nullptr)
        return {};
    const auto nAddress = reinterpret_cast<std::uintptr_t>(pAddress);
    std::string strFile;
    char szLine[4096 + 256];
    while (std::fgets(szLine, sizeof szLine, pMaps) != nullptr) {
        unsigned long long nStart = 0;
        unsigned long long nEnd = 0;
        int nPathAt = 0;
        if (std::sscanf(szLine, "%llx-%llx %*s %*s %*s %*s %n", &nStart, &nEnd, &nPathAt) < 2)
            continue;
        if (nAddress < nStart || nAddress >= nEnd)
            continue;
        std::string strPath = szLine + nPathAt;
        while (!strPath.empty() && (strPath.back() == '\n' || strPath.back() == ' '))
            strPath.pop_back();
        if (!strPath.empty() && strPath[0] == '/')
            strFile = strPath;
        break;
    }
    std::fclose(pMaps);
    return strFile;
}

} // namespace

std::string GetModuleFileOf(ModuleProc pAnyFunction) {
    const void* pAddress = reinterpret_cast<const void*>(pAnyFunction);
    Dl_info info{};
    if (::dladdr(pAddress, &info) == 0 || info.dli_fname == nullptr)
        return {};
    const std::string strName = info.dli_fname;
    if (!strName.empty() && strName[0] == '/')
        return strName;
    // A main program (empty name) or a module loaded by a relative path: ask the kernel which
    // file is mapped there, since the current directory may have moved since the load.
    std::string strFile = MappedFileAt(pAddress);
    if (!strFile.empty())
        return strFile;
    if (strName.empty())
        return {};
    char* pszReal = ::realpath(strName.c_str(), nullptr);
    if (pszReal == nullptr)
        return {};
    strFile = pszReal;
    std::free(pszReal);
    return strFile;
}

CModule::~CModule() {
    Unload();
}

bool CModule::Load(const std::string& strPath) {
    Unload();
    m_strError.clear();
    std::string strNative = ToNativeModulePath(strPath);
    // A name without a folder means a file of that name here, never a library search.
    if (strNative.find('/') == std::string::npos)
        strNative = "./" + strNative;
    m_hModule = ::dlopen(strNative.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_hModule == nullptr) {
        const char* pszError = ::dlerror();
        m_strError = pszError ? pszError : "cannot load " + strNative;
        return false;
    }
    return true;
}

ModuleProc CModule::FindExport(const std::string& strName) const {
    if (m_hModule == nullptr)
        return nullptr;
    void* pSymbol = ::dlsym(m_hModule, strName.c_str());
    return reinterpret_cast<ModuleProc>(pSymbol);
}

void CModule::Unload() {
    if (m_hModule != nullptr)
        ::dlclose(m_hModule);
    m_hModule = nullptr;
}

} // namespace platform
