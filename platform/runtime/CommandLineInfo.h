// The framework's command-line class: the command-line walk (CWinApp::ParseCommandLine) hands
// it every process argument through HandleParameter; a program derives from it to pick out
// its own switches.
#pragma once

class CCommandLineInfo {
public:
    CCommandLineInfo();
    virtual ~CCommandLineInfo();

    // One argument. text is the argument with a leading "/" or "-" removed when isSwitch is
    // set, else the argument as the shell passed it; isLast is set for the final argument.
    // The framework's own version records nothing that a program reads.
    virtual void HandleParameter(const char* text, bool isSwitch, bool isLast);
};
