// The framework's application class: registration of the one application object, default
// start and exit routines, and the command-line walk.
#include "platform/runtime/WinApp.h"

#include <cstddef>

namespace {

CWinApp* g_pTheApp = nullptr;

std::vector<std::string>& ProcessArguments() {
    static std::vector<std::string> s_arrArguments;
    return s_arrArguments;
}

} // namespace

CWinApp::CWinApp(const char* appName) : m_strAppName(appName != nullptr ? appName : "") {
    // The first object built is the application; later ones (tests) stay unregistered.
    if (g_pTheApp == nullptr)
        g_pTheApp = this;
}

CWinApp::~CWinApp() {
    if (g_pTheApp == this)
        g_pTheApp = nullptr;
}

bool CWinApp::Startup() {
    return true;
}

int CWinApp::Shutdown() {
    return 0;
}

CWinApp* CWinApp::GetApp() {
    return g_pTheApp;
}

void CWinApp::SetProcessArguments(const std::vector<std::string>& arguments) {
    ProcessArguments() = arguments;
}

const std::vector<std::string>& CWinApp::GetProcessArguments() {
    return ProcessArguments();
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) {
    WalkArguments(ProcessArguments(), info);
}

void CWinApp::WalkArguments(const std::vector<std::string>& arguments, CCommandLineInfo& info) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const char* text = arguments[i].c_str();
        const bool isSwitch = text[0] == '/' || text[0] == '-';
        if (isSwitch)
            ++text;
        info.HandleParameter(text, isSwitch, i + 1 == arguments.size());
    }
}
