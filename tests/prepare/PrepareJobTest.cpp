// PrepareJob from the command line: the mode choice, the URL filter, the size text, the work
// folder and the order of the codes.
#include "tests/prepare/PrepareFixture.h"

#include <string>
#include <vector>

namespace {

using Urls = std::vector<std::string>;

TEST_F(PrepareFixture, ModeChoice) {
    WriteFile("C:\\l.ini", "[Download]\nFile000=http://h/a.bin\nWorkPath=C:\\Work\n");
    struct Case {
        const char* what;
        PrepareParams params;
        RESULT_CODE expected;
    };
    const Case cases[] = {
        {"URL and work folder", {"http://h/a.bin", "C:\\Work", "", ""}, RC_SUCCESS},
        {"URL, work folder and size", {"http://h/a.bin", "C:\\Work", "10", ""}, RC_SUCCESS},
        {"list alone", {"", "", "", "C:\\l.ini"}, RC_SUCCESS},
        {"list with size: size ignored", {"", "", "123456789012345", "C:\\l.ini"}, RC_SUCCESS},
        {"list with URL", {"http://h/a.bin", "", "", "C:\\l.ini"}, RC_BAD_PARAMETERS},
        {"list with work folder", {"", "C:\\Work", "", "C:\\l.ini"}, RC_BAD_PARAMETERS},
        {"all three", {"http://h/a.bin", "C:\\Work", "", "C:\\l.ini"}, RC_BAD_PARAMETERS},
        {"URL alone", {"http://h/a.bin", "", "", ""}, RC_BAD_PARAMETERS},
        {"work folder alone", {"", "C:\\Work", "", ""}, RC_BAD_PARAMETERS},
        {"size alone", {"", "", "10", ""}, RC_BAD_PARAMETERS},
        {"nothing", {"", "", "", ""}, RC_BAD_PARAMETERS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Prepare(c.params), c.expected);
        if (c.expected == RC_SUCCESS) {
            EXPECT_EQ(m_app.GetUrls(), Urls{"http://h/a.bin"});
            EXPECT_EQ(m_app.GetWorkFolder(), "C:\\Work\\");
            EXPECT_EQ(m_app.GetFileSize(), c.params.list.empty() ? c.params.size : "");
        }
    }
}

TEST_F(PrepareFixture, EachRunStartsFromAnEmptyJob) {
    WriteFile("C:\\l.ini", "[Download]\nFile000=h/1\nFile001=h/2\nWorkPath=C:\\L\nFileSize=77\n");
    ASSERT_EQ(Prepare({"", "", "", "C:\\l.ini"}), RC_SUCCESS);
    ASSERT_EQ(m_app.GetUrls().size(), 2u);
    ASSERT_EQ(Prepare({"http://h/x", "C:\\W", "", ""}), RC_SUCCESS);
    EXPECT_EQ(m_app.GetUrls(), Urls{"http://h/x"});
    EXPECT_EQ(m_app.GetWorkFolder(), "C:\\W\\");
    EXPECT_EQ(m_app.GetFileSize(), "");
    EXPECT_EQ(Prepare({}), RC_BAD_PARAMETERS);
    EXPECT_TRUE(m_app.GetUrls().empty());
    EXPECT_TRUE(m_app.GetWorkFolder().empty());
}

TEST_F(PrepareFixture, UrlFilter) {
    struct Case {
        const char* what;
        Urls in;
        Urls out; // empty: code 4
    };
    const Case cases[] = {
        {"scheme put in front", {"host/dir/a.zip"}, {"http://host/dir/a.zip"}},
        {"scheme in any letter case stays",
         {"HTTP://host/a.zip", "Http://h/b"},
         {"HTTP://host/a.zip", "Http://h/b"}},
        {"another scheme gets http:// too", {"ftp://host/a.zip"}, {"http://ftp://host/a.zip"}},
        {"host only", {"http://host"}, {}},
        {"host with slash", {"http://host/"}, {}},
        {"folder", {"http://host/dir/"}, {}},
        {"bare host gets the scheme and goes", {"host"}, {}},
        {"shorter than the scheme", {"h/a"}, {"http://h/a"}},
        {"two adjacent removals",
         {"http://h/a", "http://host/", "http://host", "http://h/b"},
         {"http://h/a", "http://h/b"}},
        {"removals at the start and the end",
         {"http://x/", "h/1", "h/2", "http://y"},
         {"http://h/1", "http://h/2"}},
        {"every entry removed", {"http://host/", "http://host", "http://host/dir/"}, {}},
        {"a slash only inside the scheme", {"http:/"}, {}},
        {"query after the file", {"http://h/a?x=/y"}, {"http://h/a?x=/y"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string list = "[Download]\n";
        for (std::size_t i = 0; i < c.in.size(); ++i)
            list += "File00" + std::to_string(i) + "=" + c.in[i] + "\n";
        WriteFile("C:\\filter.ini", list + "WorkPath=C:\\Work\n");
        const RESULT_CODE code = Prepare({"", "", "", "C:\\filter.ini"});
        EXPECT_EQ(code, c.out.empty() ? RC_NO_URL : RC_SUCCESS);
        if (!c.out.empty()) {
            EXPECT_EQ(m_app.GetUrls(), c.out);
        }
    }
    // Command-line mode: a URL without a file path gives 4 as well.
    EXPECT_EQ(Prepare({"http://host/", "C:\\Work", "", ""}), RC_NO_URL);
    EXPECT_EQ(Prepare({"host", "C:\\Work", "", ""}), RC_NO_URL);
}

TEST_F(PrepareFixture, SizeText) {
    struct Case {
        const char* text;
        RESULT_CODE expected;
        const char* digits;
        bool checked; // the free-space check ran
    };
    const Case cases[] = {
        {"1,048,576", RC_SUCCESS, "1048576", true},
        {"abc", RC_SUCCESS, "", false},
        {"0", RC_SUCCESS, "0", false},
        {"", RC_SUCCESS, "", false},
        {"00000000000000", RC_SUCCESS, "00000000000000", false},
        {"00000000001024", RC_SUCCESS, "00000000001024", true},
        {"1 024 bytes", RC_SUCCESS, "1024", true},
        {"\xB9\xB2"
         "5\xD9",
         RC_SUCCESS, "5", true}, // bytes from 0x80 up are deleted
        {"000000000000001", RC_SIZE_TOO_LONG, "000000000000001", false},
        {"123456789012345", RC_SIZE_TOO_LONG, "123456789012345", false},
        {"99999999999999", RC_WORK_FOLDER_UNUSABLE, "99999999999999", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Prepare({"http://h/a", "C:\\Work", c.text, ""}), c.expected);
        EXPECT_EQ(m_app.GetFileSize(), c.digits);
        // With the free-space query failing, a checked size gives 5 and a skipped one passes.
        platform::SetFsFault(platform::EFsFault::FreeSpaceUnreadable, true);
        const RESULT_CODE faulted = Prepare({"http://h/a", "C:\\Work", c.text, ""});
        platform::SetFsFault(platform::EFsFault::FreeSpaceUnreadable, false);
        const RESULT_CODE expectedFaulted = c.expected == RC_SIZE_TOO_LONG ? RC_SIZE_TOO_LONG
                                            : c.checked                    ? RC_WORK_FOLDER_UNUSABLE
                                                                           : RC_SUCCESS;
        EXPECT_EQ(faulted, expectedFaulted);
    }
}

TEST_F(PrepareFixture, WorkFolder) {
    m_drives.MapMissing('M');
    struct Case {
        const char* work;
        const char* size;
        RESULT_CODE expected;
        const char* folder; // the work folder afterwards
    };
    const Case cases[] = {
        {"C:\\Work", "", RC_SUCCESS, "C:\\Work\\"},
        {"C:\\Deep\\Er\\Down", "4096", RC_SUCCESS, "C:\\Deep\\Er\\Down\\"},
        {"C:\\Slash\\", "", RC_SUCCESS, "C:\\Slash\\"},
        {"C:\\", "", RC_SUCCESS, "C:\\"},
        {"Work", "", RC_WORK_FOLDER_UNUSABLE, "Work\\"},
        {"\\Work", "", RC_WORK_FOLDER_UNUSABLE, "\\Work\\"},
        {"M:\\Work", "", RC_WORK_FOLDER_UNUSABLE, "M:\\Work\\"},
        {"Q:\\Work", "", RC_WORK_FOLDER_UNUSABLE, "Q:\\Work\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.work);
        EXPECT_EQ(Prepare({"http://h/a", c.work, c.size, ""}), c.expected);
        EXPECT_EQ(m_app.GetWorkFolder(), c.folder);
        if (c.expected == RC_SUCCESS) {
            EXPECT_TRUE(IsFolder(c.folder));
        }
    }
    EXPECT_FALSE(std::filesystem::exists(m_drives.Native("C:\\____TEMP.TMP")))
        << "the probe file is gone";
}

TEST_F(PrepareFixture, UnusableWorkFolderCreatesNothingItNeedNot) {
    // Too little room: 5 before any folder is made.
    EXPECT_EQ(Prepare({"http://h/a", "C:\\Big\\Job", "99999999999999", ""}),
              RC_WORK_FOLDER_UNUSABLE);
    EXPECT_FALSE(std::filesystem::exists(m_drives.Native("C:\\Big")));

    // A write-protected drive fails the probe.
    platform::SetDriveReadOnly('D', true);
    EXPECT_EQ(Prepare({"http://h/a", "D:\\Work", "", ""}), RC_WORK_FOLDER_UNUSABLE);
    EXPECT_FALSE(std::filesystem::exists(m_drives.Native("D:\\Work")));
    platform::SetDriveReadOnly('D', false);

    // A file in the way: the levels above it stay created, the code is 5, not 317.
    WriteFile("C:\\Top\\file", "x");
    EXPECT_EQ(Prepare({"http://h/a", "C:\\Top\\file\\Sub", "", ""}), RC_WORK_FOLDER_UNUSABLE);
    EXPECT_TRUE(IsFolder("C:\\Top"));
}

TEST_F(PrepareFixture, CodesComeInTheirOrder) {
    struct Case {
        const char* what;
        PrepareParams params;
        RESULT_CODE expected;
    };
    const Case cases[] = {
        {"no URL left before a long size", {"http://h/", "Work", "123456789012345", ""}, RC_NO_URL},
        {"long size before an unusable folder",
         {"http://h/a", "Work", "123456789012345", ""},
         RC_SIZE_TOO_LONG},
        {"bad parameters before everything",
         {"http://h/", "", "123456789012345", ""},
         RC_BAD_PARAMETERS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Prepare(c.params), c.expected);
    }
}

} // namespace
