// Path utilities: the split, the single parts, the path beside the program, ReverseFindMbcs and
// AddTrailingBackslash, in single-byte and in double-byte code pages.
#include "pelidor/fsutil/PathUtils.h"

#include "platform/fs/ModulePath.h"
#include "platform/process/CodePage.h"
#include "tests/support/TempDrives.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// Runs a test body in one code page and returns to single-byte afterwards.
class CodePageScope {
public:
    explicit CodePageScope(int codePage) { platform::SetCodePage(codePage); }
    ~CodePageScope() { platform::SetCodePage(1252); }
};

const std::string k255(255, 'a');
const std::string k256(256, 'a');

TEST(PathUtilsTest, SplitPath) {
    struct Case {
        int codePage;
        std::string path, drive, folder, title, extension;
    } cases[] = {
        {1252, "C:\\Data\\file.bin", "C:", "\\Data\\", "file", ".bin"},
        {1252, "C:\\a.b\\file", "C:", "\\a.b\\", "file", ""},
        {1252, "C:\\Data\\archive.tar.gz", "C:", "\\Data\\", "archive.tar", ".gz"},
        {1252, "C:file.txt", "C:", "", "file", ".txt"},
        {1252, "C:/x", "C:", "/", "x", ""},
        {1252, "C:\\Data\\", "C:", "\\Data\\", "", ""},
        {1252, "C:\\Data\\.ini", "C:", "\\Data\\", "", ".ini"},
        {1252, "C:\\file.", "C:", "\\", "file", "."},
        {1252, "\\\\server\\share\\file", "", "\\\\server\\share\\", "file", ""},
        {1252, "Data\\file.bin", "", "Data\\", "file", ".bin"},
        {1252, "", "", "", "", ""},
        {1252, "C:", "C:", "", "", ""},
        {1252, "C:\\" + k255, "C:", "\\", k255, ""},
        {1252, "C:\\" + k256, "", "", "", ""},         // title too long
        {1252, "C:\\" + k256 + "\\x", "", "", "", ""}, // folder too long
        {1252, "C:\\x." + k255, "", "", "", ""},       // extension too long
        {1252, "C:\\" + std::string(253, 'f') + "\\x", "C:", "\\" + std::string(253, 'f') + "\\",
         "x", ""}, // folder of exactly 255 bytes
        {1252, "C:\\" + std::string(254, 'f') + "\\x", "", "", "", ""}, // and of 256
        // 0x95 0x5C is one character in code page 932: its second byte ends no folder.
        {932, "C:\\\x95\\file.txt", "C:", "\\", "\x95\\file", ".txt"},
        {1252, "C:\\\x95\\file.txt", "C:", "\\\x95\\", "file", ".txt"},
        {932, "C:\\\x95\\\\file.txt", "C:", "\\\x95\\\\", "file", ".txt"},
        {936, "C:\\d\x81.x", "C:", "\\", "d\x81.x", ""}, // the dot is a second byte
        {932, "C:\\ab\x95", "C:", "\\", "ab\x95", ""},   // a lead byte before the end stands alone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.substr(0, 40) + " cp" + std::to_string(c.codePage));
        CodePageScope scope(c.codePage);
        std::string drive = "?", folder = "?", title = "?", extension = "?";
        SplitPath(c.path, &drive, &folder, &title, &extension);
        EXPECT_EQ(drive, c.drive);
        EXPECT_EQ(folder, c.folder);
        EXPECT_EQ(title, c.title);
        EXPECT_EQ(extension, c.extension);
    }
    std::string title;
    SplitPath("C:\\Data\\file.bin", nullptr, nullptr, &title, nullptr);
    EXPECT_EQ(title, "file");
}

TEST(PathUtilsTest, SinglePartsWriteTheOutputOnlyOnSuccess) {
    enum Op { Drive, Folder, Title, Extension };
    struct Case {
        Op op;
        std::string path;
        int flag;
        RESULT_CODE rc;
        std::string out; // "untouched" on failure
    } cases[] = {
        {Drive, "D:\\x", 0, RC_SUCCESS, "D:"},
        {Drive, "D:\\x", 1, RC_SUCCESS, "D:\\"},
        {Drive, "D:\\x", -7, RC_SUCCESS, "D:\\"}, // any non-zero flag counts
        {Drive, "Data\\x", 1, RC_PATH_PART_MISSING, "untouched"},
        {Drive, "C:\\" + k256, 0, RC_PATH_PART_MISSING, "untouched"},
        {Folder, "C:\\file.bin", 0, RC_SUCCESS, "C:\\"},
        {Folder, "C:\\file.bin", 1, RC_SUCCESS, "C:\\"},
        {Folder, "C:\\Data\\", 0, RC_SUCCESS, "C:\\Data"},
        {Folder, "C:\\Data\\", 1, RC_SUCCESS, "C:\\Data\\"},
        {Folder, "C:\\Data\\sub\\f.bin", 0, RC_SUCCESS, "C:\\Data\\sub"},
        {Folder, "C:/x", 0, RC_SUCCESS, "C:"}, // "/" is not spared
        {Folder, "C:/x", 1, RC_SUCCESS, "C:/"},
        {Folder, "C:file.bin", 0, RC_PATH_PART_MISSING, "untouched"},
        {Folder, "\\\\server\\share\\file", 1, RC_PATH_PART_MISSING, "untouched"},
        {Title, "C:\\Data\\file.bin", 0, RC_SUCCESS, "file"},
        {Title, "C:\\Data\\.ini", 0, RC_PATH_PART_MISSING, "untouched"},
        {Title, "C:\\Data\\", 0, RC_PATH_PART_MISSING, "untouched"},
        {Extension, "C:\\Data\\file.ini", 0, RC_SUCCESS, ".ini"},
        {Extension, "C:\\Data\\file", 0, RC_SUCCESS, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.op) + " " + c.path.substr(0, 40));
        std::string out = "untouched";
        RESULT_CODE rc = -1;
        switch (c.op) {
        case Drive:
            rc = GetDrivePart(c.path, out, c.flag);
            break;
        case Folder:
            rc = GetFolderPart(c.path, out, c.flag);
            break;
        case Title:
            rc = GetTitlePart(c.path, out);
            break;
        case Extension:
            rc = GetExtensionPart(c.path, out);
            break;
        }
        EXPECT_EQ(rc, c.rc);
        EXPECT_EQ(out, c.out);
    }
}

TEST(PathUtilsTest, ReverseFindMbcsAndAddTrailingBackslash) {
    struct Case {
        int codePage;
        const char* text;
        int found;          // ReverseFindMbcs(text, '\\')
        const char* withBs; // AddTrailingBackslash(text)
    } cases[] = {
        {1252, "a\\b\\c", 3, "a\\b\\c\\"},
        {1252, "abc", -1, "abc\\"},
        {1252, "", -1, "\\"},
        {1252, "C:\\Data\\", 7, "C:\\Data\\"},
        {1252, "C:\\Data", 2, "C:\\Data\\"},
        {1252, "C:/Data/", -1, "C:/Data/\\"},
        {1252, "C:\\\x95\\", 4, "C:\\\x95\\"},
        // In code page 932 the final 0x5C is the second byte of a character.
        {932, "C:\\\x95\\", 2, "C:\\\x95\\\\"},
        {950, "\xA4\\\xA4\\", -1, "\xA4\\\xA4\\\\"},
        {932, "x\x95", -1, "x\x95\\"}, // lone lead byte at the end
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " cp" + std::to_string(c.codePage));
        CodePageScope scope(c.codePage);
        EXPECT_EQ(ReverseFindMbcs(c.text, 0x5C), c.found);
        const std::string text = c.text;
        EXPECT_EQ(AddTrailingBackslash(text), c.withBs);
        EXPECT_EQ(text, c.text);
    }
    EXPECT_EQ(ReverseFindMbcs("a.b.c", '.'), 3);
    EXPECT_EQ(ReverseFindMbcs("a.b.c", 'x'), -1);
    CodePageScope scope(932);
    EXPECT_EQ(ReverseFindMbcs("\x95\x95", 0x95 - 256), 0); // a second byte never matches
}

class ModulePathTest : public ::testing::Test {
protected:
    void TearDown() override { platform::SetProgramNativePathForTest(""); }
    testsupport::CTempDrives m_drives;
};

TEST_F(ModulePathTest, ComposesBesideTheProgram) {
    m_drives.MapTo('C', "/opt/apps");
    platform::SetProgramNativePathForTest("/opt/apps/tool.exe");
    struct Case {
        const char* title;
        const char* extension;
        const char* out;
    } cases[] = {
        {"", "", "C:\\tool.exe"},       {"", ".ini", "C:\\tool.ini"},
        {"list", "", "C:\\list.exe"},   {"list", ".ini", "C:\\list.ini"},
        {"list", "ini", "C:\\listini"}, // joined as they stand
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.title) + "|" + c.extension);
        std::string out;
        EXPECT_EQ(MakeModuleRelativePath(out, c.title, c.extension), RC_SUCCESS);
        EXPECT_EQ(out, c.out);
    }
}

TEST_F(ModulePathTest, UsesTheRealProgramLocation) {
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
    m_drives.MapTo('P', exe.parent_path().string());
    std::string out;
    ASSERT_EQ(MakeModuleRelativePath(out, "", ""), RC_SUCCESS);
    EXPECT_EQ(out, "P:\\" + exe.filename().string());
    ASSERT_EQ(MakeModuleRelativePath(out, "list", ".ini"), RC_SUCCESS);
    EXPECT_EQ(out, "P:\\list.ini");
}

TEST_F(ModulePathTest, FailsWhenTheProgramFolderHasNoDrive) {
    m_drives.Map('C'); // a temporary folder that does not hold the program
    std::string out = "untouched";
    EXPECT_EQ(MakeModuleRelativePath(out, "list", ".ini"), RC_PATH_PART_MISSING);
    EXPECT_EQ(out, "untouched");
    // A program file without a title part.
    m_drives.MapTo('C', "/opt/apps");
    platform::SetProgramNativePathForTest("/opt/apps/.hidden");
    EXPECT_EQ(MakeModuleRelativePath(out, "list", ".ini"), RC_PATH_PART_MISSING);
    EXPECT_EQ(out, "untouched");
}

} // namespace
