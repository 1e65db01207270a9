// regsvr [-u] LIBRARY: loads a self-registering library and calls its DllRegisterServer (or,
// with -u, DllUnregisterServer). Prints the returned status as 0x%08X and exits 0 on S_OK,
// 1 on any other status, 2 when the library cannot be loaded or lacks the entry point.
#include "platform/module/Module.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

using EntryPoint = std::int32_t (*)();

int Usage() {
    std::fprintf(stderr, "usage: regsvr [-u] LIBRARY\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    bool bUnregister = false;
    std::string strLibrary;
    for (int i = 1; i < argc; ++i) {
        const std::string strArg = argv[i];
        if (strArg == "-u" || strArg == "/u")
            bUnregister = true;
        else if (strLibrary.empty() && !strArg.empty())
            strLibrary = strArg;
        else
            return Usage();
    }
    if (strLibrary.empty())
        return Usage();

    const char* pszEntry = bUnregister ? "DllUnregisterServer" : "DllRegisterServer";
    platform::CModule module;
    if (!module.Load(strLibrary)) {
        std::fprintf(stderr, "regsvr: cannot load %s: %s\n", strLibrary.c_str(),
                     module.GetLoadError().c_str());
        return 2;
    }
    const platform::ModuleProc pProc = module.FindExport(pszEntry);
    if (pProc == nullptr) {
        std::fprintf(stderr, "regsvr: %s has no entry point %s\n", strLibrary.c_str(), pszEntry);
        return 2;
    }
    const std::int32_t nStatus = reinterpret_cast<EntryPoint>(pProc)();
    std::printf("0x%08X\n", static_cast<unsigned int>(nStatus));
    std::fflush(stdout);
    return nStatus == 0 ? 0 : 1;
}
