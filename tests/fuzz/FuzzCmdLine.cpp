// Fuzz target: the command-line walk of the framework with Pelidor's switch handler. The input
// is a list of arguments separated by zero bytes. After the walk the four parameter strings
// must hold what a plain reading of the switch rules gives: for each switch argument, the
// first of "DL=", "WK=", "SZ=", "DLL=" it begins with (ASCII case ignored) takes the rest, and
// a later match overwrites an earlier one.
#include "pelidor/app/AppGlobals.h"
#include "pelidor/app/CmdLineInfo.h"
#include "platform/runtime/WinApp.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool HasPrefixNoCase(const std::string& text, const char* prefix) {
    std::size_t i = 0;
    for (; prefix[i] != '\0'; ++i) {
        if (i >= text.size())
            return false;
        char ch = text[i];
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 'a' + 'A');
        if (ch != prefix[i])
            return false;
    }
    return true;
}

// Counts the handler calls and checks the marks the walk hands over.
class CCheckingCmdLineInfo : public CCmdLineInfo {
public:
    explicit CCheckingCmdLineInfo(const std::vector<std::string>& arguments)
        : m_arrArguments(arguments) {}

    void HandleParameter(const char* text, bool isSwitch, bool isLast) override {
        if (m_nCalls >= m_arrArguments.size())
            std::abort(); // more calls than arguments
        const std::string& argument = m_arrArguments[m_nCalls];
        const bool expectSwitch = !argument.empty() && (argument[0] == '/' || argument[0] == '-');
        if (isSwitch != expectSwitch || isLast != (m_nCalls + 1 == m_arrArguments.size()))
            std::abort();
        if (std::string(text) != (expectSwitch ? argument.substr(1) : argument))
            std::abort();
        ++m_nCalls;
        CCmdLineInfo::HandleParameter(text, isSwitch, isLast);
    }

    std::size_t m_nCalls = 0;

private:
    const std::vector<std::string>& m_arrArguments;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments;
    std::string current;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            arguments.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    if (size > 0)
        arguments.push_back(current);

    g_strParamUrl = "unset";
    g_strParamWork = "unset";
    g_strParamSize = "unset";
    g_strParamList = "unset";
    std::string expected[4] = {"unset", "unset", "unset", "unset"};
    const char* const prefixes[4] = {"DL=", "WK=", "SZ=", "DLL="};
    for (const std::string& argument : arguments) {
        if (argument.empty() || (argument[0] != '/' && argument[0] != '-'))
            continue;
        const std::string text = argument.substr(1);
        for (int i = 0; i < 4; ++i) {
            if (HasPrefixNoCase(text, prefixes[i])) {
                expected[i] = text.substr(std::string(prefixes[i]).size());
                break;
            }
        }
    }

    CCheckingCmdLineInfo info(arguments);
    CWinApp::WalkArguments(arguments, info);
    if (info.m_nCalls != arguments.size())
        std::abort();
    if (g_strParamUrl != expected[0] || g_strParamWork != expected[1] ||
        g_strParamSize != expected[2] || g_strParamList != expected[3])
        std::abort();
    return 0;
}
