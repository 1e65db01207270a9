// Linux: the process entry of a window-less program. Standard output and standard error go to
// /dev/null (such a program has no console to write to), the arguments are stored for the
// command-line walk, the code page is taken from the locale, and the application object runs
// its start routine once and then its exit routine.
#include "platform/process/CodePage.h"
#include "platform/runtime/WinApp.h"

#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void SilenceStandardStreams() {
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null < 0)
        return;
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    if (null != STDOUT_FILENO && null != STDERR_FILENO)
        close(null);
}

} // namespace

int main(int argc, char** argv) {
    SilenceStandardStreams();

    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    CWinApp::SetProcessArguments(arguments);

    platform::SetCodePageFromLocale();

    CWinApp* app = CWinApp::GetApp();
    if (app == nullptr)
        return 0;
    // On true the run loop would start; without a main window it ends at once.
    app->Startup();
    return app->Shutdown();
}
