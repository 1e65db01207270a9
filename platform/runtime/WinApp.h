// The framework's application class. A program defines exactly one object of a class derived
// from CWinApp at namespace scope; its constructor registers it, and the process entry finds
// it there, calls Startup once on the main thread and then Shutdown.
#pragma once

#include "platform/runtime/CommandLineInfo.h"

#include <string>
#include <vector>

class CWinApp {
public:
    explicit CWinApp(const char* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The start routine. True: the program would enter its run loop, which ends at once for a
    // program without a main window. Either way the entry then calls Shutdown.
    virtual bool Startup();
    // The exit routine; its result is the process exit status (0 here).
    virtual int Shutdown();

    // The command-line walk: every process argument after the program's name, in order, goes
    // to info.HandleParameter. An argument that begins with "/" or "-" loses that one
    // character and is marked as a switch; the final argument is marked as the last.
    void ParseCommandLine(CCommandLineInfo& info);

    // The registered application object; nullptr when none exists.
    static CWinApp* GetApp();

    // The process arguments after the program's name, as the entry stored them.
    static void SetProcessArguments(const std::vector<std::string>& arguments);
    static const std::vector<std::string>& GetProcessArguments();

    // The walk over any argument list (the command-line walk uses the process arguments).
    static void WalkArguments(const std::vector<std::string>& arguments, CCommandLineInfo& info);

protected:
    std::string m_strAppName; // the name the derived class passed, empty when none
};
