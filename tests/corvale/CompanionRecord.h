// Shared by the test companion modules: appends one line "EVENT<TAB>MODULE<TAB>CWD" to the file
// named by CORVALE_TEST_RECORD, where MODULE is the module's own file and CWD the current
// directory at that moment.
#pragma once

#include <climits>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

void CompanionAnchor() {}

void RecordCompanionEvent(const char* pszEvent) {
    const char* pszRecord = std::getenv("CORVALE_TEST_RECORD");
    if (pszRecord == nullptr)
        return;
    Dl_info info{};
    std::string strModule = "?";
    if (::dladdr(reinterpret_cast<void*>(&CompanionAnchor), &info) != 0 && info.dli_fname)
        strModule = info.dli_fname;
    char szCwd[PATH_MAX];
    const std::string strCwd = ::getcwd(szCwd, sizeof szCwd) ? szCwd : "?";
    const std::string strLine = std::string(pszEvent) + "\t" + strModule + "\t" + strCwd + "\n";
    const int nFd = ::open(pszRecord, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (nFd < 0)
        return;
    if (::write(nFd, strLine.data(), strLine.size()) < 0) {
        // Nothing to do: a missing line shows up in the test that reads the record.
    }
    ::close(nFd);
}

__attribute__((constructor)) void OnCompanionLoad() {
    RecordCompanionEvent("load");
}
__attribute__((destructor)) void OnCompanionUnload() {
    RecordCompanionEvent("unload");
}

} // namespace
