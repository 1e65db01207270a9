// The command-line walk and the switches that CCmdLineInfo picks out of it.
#include "pelidor/app/CmdLineInfo.h"
#include "pelidor/app/AppGlobals.h"
#include "platform/runtime/WinApp.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

// Records every call of the per-argument hook.
class CRecordingInfo : public CCommandLineInfo {
public:
    void HandleParameter(const char* text, bool isSwitch, bool isLast) override {
        calls.emplace_back(text, isSwitch, isLast);
    }
    std::vector<std::tuple<std::string, bool, bool>> calls;
};

TEST(CommandLineWalk, MarksSwitchesAndTheLastArgument) {
    CRecordingInfo info;
    CWinApp::WalkArguments({"/DL=a", "-wk=b", "plain", "/", "", "//x", "-"}, info);
    const std::vector<std::tuple<std::string, bool, bool>> expected = {
        {"DL=a", true, false}, {"wk=b", true, false}, {"plain", false, false}, {"", true, false},
        {"", false, false},    {"/x", true, false},   {"", true, true},
    };
    EXPECT_EQ(info.calls, expected);
}

TEST(CommandLineWalk, NoArgumentsNoCalls) {
    CRecordingInfo info;
    CWinApp::WalkArguments({}, info);
    EXPECT_TRUE(info.calls.empty());
}

TEST(CommandLineWalk, ParseCommandLineWalksTheStoredProcessArguments) {
    const std::vector<std::string> saved = CWinApp::GetProcessArguments();
    CWinApp::SetProcessArguments({"one", "/two"});
    CWinApp app;
    CRecordingInfo info;
    app.ParseCommandLine(info);
    CWinApp::SetProcessArguments(saved);
    const std::vector<std::tuple<std::string, bool, bool>> expected = {{"one", false, false},
                                                                       {"two", true, true}};
    EXPECT_EQ(info.calls, expected);
}

struct SwitchCase {
    const char* what;
    std::vector<std::string> args;
    std::string url, work, size, list;
};

const SwitchCase kSwitchCases[] = {
    {"no arguments", {}, "", "", "", ""},
    {"slash, upper case", {"/DL=http://h/f.bin"}, "http://h/f.bin", "", "", ""},
    {"dash, lower case", {"-dl=http://h/f.bin"}, "http://h/f.bin", "", "", ""},
    {"mixed case prefixes", {"/Wk=C:\\W", "-sZ=12"}, "", "C:\\W", "12", ""},
    {"no switch character", {"DL=http://h/f.bin"}, "", "", "", ""},
    {"repeated switch keeps the last", {"/DL=first", "-DL=second"}, "second", "", "", ""},
    {"empty value empties again", {"/DL=first", "/DL="}, "", "", "", ""},
    {"list switch leaves URL alone", {"/DL=u", "/DLL=C:\\l.ini"}, "u", "", "", "C:\\l.ini"},
    {"DLL= is not caught by DL=", {"/dll=L"}, "", "", "", "L"},
    {"empty list value", {"/DLL="}, "", "", "", ""},
    {"double dash matches nothing", {"--DL=x", "--DLL=y"}, "", "", "", ""},
    {"missing =", {"/DL", "/WKC:\\W", "/SZ", "/DLLx"}, "", "", "", ""},
    {"unknown switches", {"/XY=1", "/D", "/", "-"}, "", "", "", ""},
    {"plain arguments ignored", {"hello", "WK=x"}, "", "", "", ""},
    {"value holding =", {"/DL=http://h/p?a=b=c"}, "http://h/p?a=b=c", "", "", ""},
    {"value holding spaces", {"/WK=C:\\My Folder\\ x "}, "", "C:\\My Folder\\ x ", "", ""},
    {"value kept unchanged", {"/SZ= 4 096 ", "/DL=HTTP://H/F"}, "HTTP://H/F", "", " 4 096 ", ""},
    {"all four", {"/DL=u", "/WK=w", "/SZ=9", "/DLL=l"}, "u", "w", "9", "l"},
};

TEST(CmdLineInfo, SwitchTable) {
    for (const SwitchCase& c : kSwitchCases) {
        SCOPED_TRACE(c.what);
        g_strParamUrl.clear();
        g_strParamWork.clear();
        g_strParamSize.clear();
        g_strParamList.clear();
        CCmdLineInfo info;
        CWinApp::WalkArguments(c.args, info);
        EXPECT_EQ(g_strParamUrl, c.url);
        EXPECT_EQ(g_strParamWork, c.work);
        EXPECT_EQ(g_strParamSize, c.size);
        EXPECT_EQ(g_strParamList, c.list);
    }
    g_strParamUrl.clear();
    g_strParamWork.clear();
    g_strParamSize.clear();
    g_strParamList.clear();
}

} // namespace
