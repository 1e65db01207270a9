// PrepareJob in list mode: the file keys with their gaps and their numbering past 999, the
// work folder and size keys, the line-feed replacement of ReadListValue, and where the list
// file is looked for.
#include "platform/process/CodePage.h"
#include "tests/prepare/PrepareFixture.h"

#include <string>
#include <vector>

namespace {

using Urls = std::vector<std::string>;

TEST_F(PrepareFixture, ListFileContents) {
    struct Case {
        const char* what;
        std::string contents; // empty: no file at all
        RESULT_CODE expected;
        Urls urls;
        std::string size;
    };
    const Case cases[] = {
        {"one entry",
         "[Download]\nFile000=http://h/a\nWorkPath=C:\\W\n",
         RC_SUCCESS,
         {"http://h/a"},
         ""},
        {"a gap ends the list",
         "[Download]\nFile000=h/0\nFile001=h/1\nFile003=h/3\nWorkPath=C:\\W\n",
         RC_SUCCESS,
         {"http://h/0", "http://h/1"},
         ""},
        {"an empty entry ends the list",
         "[Download]\nFile000=h/0\nFile001=\nFile002=h/2\nWorkPath=C:\\W\n",
         RC_SUCCESS,
         {"http://h/0"},
         ""},
        {"keys out of order",
         "[Download]\nFile001=h/1\nWorkPath=C:\\W\nFile000=h/0\n",
         RC_SUCCESS,
         {"http://h/0", "http://h/1"},
         ""},
        {"indexes have three digits",
         "[Download]\nFile0=h/0\nFile00=h/00\nWorkPath=C:\\W\n",
         RC_LIST_INCOMPLETE,
         {},
         ""},
        {"empty File000",
         "[Download]\nFile000=\nFile001=h/1\nWorkPath=C:\\W\n",
         RC_LIST_INCOMPLETE,
         {},
         ""},
        {"no File000", "[Download]\nFile001=h/1\nWorkPath=C:\\W\n", RC_LIST_INCOMPLETE, {}, ""},
        {"missing WorkPath", "[Download]\nFile000=h/0\n", RC_LIST_INCOMPLETE, {}, ""},
        {"empty WorkPath", "[Download]\nFile000=h/0\nWorkPath=\n", RC_LIST_INCOMPLETE, {}, ""},
        {"keys in another section",
         "[Other]\nFile000=h/0\nWorkPath=C:\\W\n",
         RC_LIST_INCOMPLETE,
         {},
         ""},
        {"no file", "", RC_LIST_INCOMPLETE, {}, ""},
        {"FileSize digits only",
         "[Download]\nFile000=h/0\nWorkPath=C:\\W\nFileSize=1,048,576\n",
         RC_SUCCESS,
         {"http://h/0"},
         "1048576"},
        {"FileSize too long",
         "[Download]\nFile000=h/0\nWorkPath=C:\\W\nFileSize=000000000000001\n",
         RC_SIZE_TOO_LONG,
         {},
         ""},
        {"CRLF, quotes and letter case",
         "[download]\r\nFILE000 = \"h/a b\"\r\nworkpath='C:\\W'\r\n",
         RC_SUCCESS,
         {"http://h/a b"},
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(m_drives.Native("C:\\list.ini"));
        if (!c.contents.empty())
            WriteFile("C:\\list.ini", c.contents);
        EXPECT_EQ(Prepare({"", "", "", "C:\\list.ini"}), c.expected);
        if (c.expected == RC_SUCCESS) {
            EXPECT_EQ(m_app.GetUrls(), c.urls);
            EXPECT_EQ(m_app.GetWorkFolder(), "C:\\W\\");
            EXPECT_EQ(m_app.GetFileSize(), c.size);
        }
    }
    // A folder in place of the list file.
    std::filesystem::create_directories(m_drives.Native("C:\\folder.ini"));
    EXPECT_EQ(Prepare({"", "", "", "C:\\folder.ini"}), RC_LIST_INCOMPLETE);
}

TEST_F(PrepareFixture, File1000FollowsFile999) {
    std::string list = "[Download]\nWorkPath=C:\\W\n";
    for (int i = 0; i <= 1001; ++i) {
        if (i == 1001)
            list += "File01001=h/never\n"; // zero-padded past three digits: not the next key
        else
            list += "File" +
                    std::string(i < 10    ? "00"
                                : i < 100 ? "0"
                                          : "") +
                    std::to_string(i) + "=h/" + std::to_string(i) + "\n";
    }
    WriteFile("C:\\long.ini", list);
    ASSERT_EQ(Prepare({"", "", "", "C:\\long.ini"}), RC_SUCCESS);
    ASSERT_EQ(m_app.GetUrls().size(), 1001u);
    EXPECT_EQ(m_app.GetUrls()[999], "http://h/999");
    EXPECT_EQ(m_app.GetUrls()[1000], "http://h/1000");
}

TEST_F(PrepareFixture, ReadListValueReplacesBackslashN) {
    WriteFile("C:\\v.ini", "[S]\n"
                           "one=a\\nb\n"
                           "two=a\\\\nb\n"
                           "end=ab\\n\n"
                           "alone=\\\n"
                           "upper=a\\Nb\n"
                           "dbcs=\x95\\n\n");
    struct Case {
        const char* key;
        bool found;
        std::string value;
    };
    const Case cases[] = {
        {"one", true, "a\nb"},  {"two", true, "a\\\nb"},  {"end", true, "ab\n"},
        {"alone", true, "\\"},  {"upper", true, "a\\Nb"}, {"dbcs", true, "\x95\n"},
        {"missing", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        std::string value = "stale";
        EXPECT_EQ(CPelidorApp::ReadListValue("C:\\v.ini", "S", c.key, value), c.found);
        EXPECT_EQ(value, c.value);
    }
    // In a double-byte code page the backslash after a lead byte is that character's second
    // byte, not the start of a pair.
    platform::SetCodePage(932);
    std::string value;
    EXPECT_TRUE(CPelidorApp::ReadListValue("C:\\v.ini", "S", "dbcs", value));
    EXPECT_EQ(value, "\x95\\n");
    EXPECT_TRUE(CPelidorApp::ReadListValue("C:\\v.ini", "S", "one", value));
    EXPECT_EQ(value, "a\nb");
    platform::SetCodePage(1252);
}

TEST_F(PrepareFixture, ListFilePathResolution) {
    // Every candidate file exists, each naming itself, so the file read shows in the URL.
    const char* files[] = {"D:\\Jobs\\list.ini", "C:\\Apps\\list.ini", "C:\\Apps\\Jobs\\list.ini",
                           "C:\\Apps\\list",     "C:\\Apps\\tool.ini", "C:\\Apps\\tool",
                           "C:\\Apps\\tool.exe", "C:\\Apps\\list.exe", "C:\\list.ini"};
    for (const char* file : files)
        WriteFile(file, std::string("[Download]\nFile000=h/") + file + "\nWorkPath=C:\\W\n");

    struct Case {
        const char* listSwitch;
        const char* read;
    };
    const Case cases[] = {
        {"D:\\Jobs\\list.ini", "D:\\Jobs\\list.ini"},
        {"d:/Jobs/list.ini", "D:\\Jobs\\list.ini"},
        {"list.ini", "C:\\Apps\\list.ini"},
        {"Jobs\\list.ini", "C:\\Apps\\list.ini"},
        {"\\list.ini", "C:\\Apps\\list.ini"},
        {"\\\\server\\share\\list.ini", "C:\\Apps\\list.ini"},
        {"list", "C:\\Apps\\list"},
        {".ini", "C:\\Apps\\tool.ini"},
        {"Jobs\\", "C:\\Apps\\tool"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.listSwitch);
        ASSERT_EQ(Prepare({"", "", "", c.listSwitch}), RC_SUCCESS);
        EXPECT_EQ(m_app.GetUrls(), Urls{std::string("http://h/") + c.read});
    }

    // The program's folder cannot be determined: the switch's path is used as given, and
    // without a drive letter nothing can be read.
    platform::SetProgramNativePathForTest("/nonexistent-norvane/bin/tool.exe");
    EXPECT_EQ(Prepare({"", "", "", "list.ini"}), RC_LIST_INCOMPLETE);
    ASSERT_EQ(Prepare({"", "", "", "D:\\Jobs\\list.ini"}), RC_SUCCESS);
    EXPECT_EQ(m_app.GetUrls(), Urls{"http://h/D:\\Jobs\\list.ini"});
}

} // namespace
