// The switches of Pelidor's command line.
#include "pelidor/app/CmdLineInfo.h"

#include "pelidor/app/AppGlobals.h"

#include <string>
#include <utility>

namespace {

char AsciiLower(char ch) {
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}

// True when the first prefix.size() bytes of text (all of text when shorter) equal prefix,
// ASCII letters compared without regard to case.
bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    const std::string piece = text.substr(0, prefix.size());
    if (piece.size() != prefix.size())
        return false;
    for (std::size_t i = 0; i < piece.size(); ++i)
        if (AsciiLower(piece[i]) != AsciiLower(prefix[i]))
            return false;
    return true;
}

} // namespace

CCmdLineInfo::CCmdLineInfo()
    : m_strPrefixUrl("DL="), m_strPrefixWork("WK="), m_strPrefixSize("SZ="),
      m_strPrefixList("DLL=") {}

CCmdLineInfo::~CCmdLineInfo() = default;

void CCmdLineInfo::HandleParameter(const char* text, bool isSwitch, bool isLast) {
    CCommandLineInfo::HandleParameter(text, isSwitch, isLast);
    if (!isSwitch)
        return;
    const std::string argument = text;
    const std::pair<const std::string*, std::string*> table[] = {
        {&m_strPrefixUrl, &g_strParamUrl},
        {&m_strPrefixWork, &g_strParamWork},
        {&m_strPrefixSize, &g_strParamSize},
        {&m_strPrefixList, &g_strParamList},
    };
    for (const auto& [prefix, target] : table) {
        if (StartsWithNoCase(argument, *prefix)) {
            *target = argument.substr(prefix->size());
            return;
        }
    }
}
