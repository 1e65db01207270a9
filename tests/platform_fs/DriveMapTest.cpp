// The drive map: parsing, Windows -> native and native -> Windows translation.
#include "platform/fs/DriveMap.h"

#include "platform/process/CodePage.h"
#include "tests/support/TempDrives.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(DriveMapTest, ParsesEntriesAndIgnoresMalformedOnes) {
    const auto map =
        platform::CDriveMap::Parse("c=/home/ann;D=/media/usb/;bad;EE=/x;F=relative;G=;H = /h ;"
                                   "C=/second");
    struct Case {
        char letter;
        bool mapped;
        const char* dir;
    } cases[] = {
        {'C', true, "/home/ann"}, {'c', true, "/home/ann"}, {'D', true, "/media/usb"},
        {'E', false, ""},         {'F', false, ""},         {'G', false, ""},
        {'H', true, "/h"},        {'Z', false, ""},         {'1', false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.letter);
        std::string dir = "untouched";
        EXPECT_EQ(map.Lookup(c.letter, dir), c.mapped);
        EXPECT_EQ(dir, c.mapped ? c.dir : "untouched");
    }
}

TEST(DriveMapTest, DefaultMapsHomeAndRoot) {
    EXPECT_EQ(platform::DefaultDriveMapText("/home/ann"), "C=/home/ann;Z=/");
    EXPECT_EQ(platform::DefaultDriveMapText(""), "Z=/");
}

TEST(DriveMapTest, WindowsToNative) {
    const auto map = platform::CDriveMap::Parse("C=/home/ann;Z=/;M=/no/such/dir");
    struct Case {
        const char* windows;
        bool ok;
        const char* native;
    } cases[] = {
        {"C:\\Work\\file.bin", true, "/home/ann/Work/file.bin"},
        {"c:/Work/file.bin", true, "/home/ann/Work/file.bin"},
        {"C:/x", true, "/home/ann/x"},
        {"C:\\", true, "/home/ann"},
        {"C:", true, "/home/ann"},
        {"C:\\.", true, "/home/ann"},
        {"C:\\Work\\", true, "/home/ann/Work"},
        {"C:\\a\\\\b", true, "/home/ann/a/b"},
        {"C:\\a\\.\\b\\..\\c", true, "/home/ann/a/c"},
        {"C:\\..\\..\\etc", true, "/home/ann/etc"},
        {"C:\\a\\..\\..\\..\\etc\\passwd", true, "/home/ann/etc/passwd"},
        {"Z:\\etc\\hosts", true, "/etc/hosts"},
        {"Z:\\", true, "/"},
        {"Z:\\..", true, "/"},
        {"M:\\x", true, "/no/such/dir/x"}, // mapped, directory missing: still translated
        {"D:\\x", false, ""},              // not mapped
        {"Work\\file.bin", false, ""},
        {"\\\\server\\share\\f", false, ""},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.windows);
        std::string native = "untouched";
        EXPECT_EQ(map.ToNative(c.windows, native), c.ok);
        EXPECT_EQ(native, c.ok ? c.native : "untouched");
    }
    std::string native;
    EXPECT_FALSE(map.ToNative(std::string("C:\\a\0b", 7), native));
}

TEST(DriveMapTest, DoubleByteSecondByteIsNoSeparator) {
    const auto map = platform::CDriveMap::Parse("C=/d");
    platform::SetCodePage(932);
    std::string native;
    // 0x95 0x5C is one Shift_JIS character; its second byte must not split the name.
    EXPECT_TRUE(map.ToNative("C:\\\x95\\\\x.txt", native));
    EXPECT_EQ(native, "/d/\x95\\/x.txt");
    platform::SetCodePage(1252);
    EXPECT_TRUE(map.ToNative("C:\\\x95\\\\x.txt", native));
    EXPECT_EQ(native, "/d/\x95/x.txt");
}

TEST(DriveMapTest, NativeToWindows) {
    const auto map = platform::CDriveMap::Parse("C=/home/ann;D=/home/ann/data;Z=/;Q=/opt/q");
    struct Case {
        const char* native;
        const char* windows;
    } cases[] = {
        {"/home/ann/bin/tool", "C:\\bin\\tool"},
        {"/home/ann/data/x.bin", "D:\\x.bin"},       // the longest prefix wins
        {"/home/ann/database/x", "C:\\database\\x"}, // component boundary
        {"/home/ann", "C:\\"},
        {"/opt/q/tool", "Q:\\tool"},
        {"/usr/bin/env", "Z:\\usr\\bin\\env"},
        {"/", "Z:\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.native);
        EXPECT_EQ(map.FromNative(c.native), c.windows);
    }
    const auto noRoot = platform::CDriveMap::Parse("C=/home/ann");
    EXPECT_EQ(noRoot.FromNative("/usr/bin/env"), "/usr/bin/env"); // no mapped prefix
}

TEST(DriveMapTest, NativeToWindowsThroughASymbolicLink) {
    testsupport::CTempDrives drives;
    const std::string real = drives.Map('R');
    const std::string link = drives.Base() + "/link";
    std::filesystem::create_directory_symlink(real, link);
    drives.MapTo('C', link);
    // The program's own path names the real directory; the link's letter still matches,
    // unless a letter maps the real directory literally.
    const auto viaLink = platform::CDriveMap::Parse("C=" + link);
    EXPECT_EQ(viaLink.FromNative(std::filesystem::canonical(real).string() + "/bin/tool"),
              "C:\\bin\\tool");
    const auto both = platform::CDriveMap::Parse("C=" + link + ";R=" + real);
    EXPECT_EQ(both.FromNative(real + "/tool"), "R:\\tool");
}

TEST(DriveMapTest, ProcessMapFollowsEnvironment) {
    testsupport::CTempDrives drives;
    std::string native;
    EXPECT_FALSE(platform::WindowsToNativePath("C:\\x", native)); // nothing mapped
    const std::string c = drives.Map('C');
    ASSERT_TRUE(platform::WindowsToNativePath("C:\\x", native));
    EXPECT_EQ(native, c + "/x");
    EXPECT_EQ(platform::NativeToWindowsPath(c + "/a/b"), "C:\\a\\b");
    drives.MapTo('C', "/elsewhere");
    platform::ReloadDriveMap();
    ASSERT_TRUE(platform::WindowsToNativePath("C:\\x", native));
    EXPECT_EQ(native, "/elsewhere/x");
}

} // namespace
