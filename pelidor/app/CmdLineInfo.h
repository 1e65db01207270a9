// CCmdLineInfo: picks the four switches of Pelidor out of the command line and stores their
// values in the parameter strings (AppGlobals.h). It checks nothing; the job preparation does.
#pragma once

#include "platform/runtime/CommandLineInfo.h"

#include <string>

class CCmdLineInfo : public CCommandLineInfo {
public:
    CCmdLineInfo();
    ~CCmdLineInfo() override;

    // For a switch, the first of "DL=", "WK=", "SZ=", "DLL=" that the text begins with (ASCII
    // case ignored) receives the rest of the text, unchanged. Everything else is ignored.
    void HandleParameter(const char* text, bool isSwitch, bool isLast) override;

protected:
    std::string m_strPrefixUrl;
    std::string m_strPrefixWork;
    std::string m_strPrefixSize;
    std::string m_strPrefixList;
};
