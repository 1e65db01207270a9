// The split of a job URL into server part, object path and file name, and the refusal of file
// names that would place the download outside the work folder.
#include "pelidor/app/JobUrl.h"
#include "platform/process/CodePage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kScheme = "http://";

struct SplitCase {
    const char* url;
    const char* server;
    const char* objectPath;
    const char* fileName;
};

TEST(JobUrl, SplitsServerObjectPathAndFileName) {
    const SplitCase cases[] = {
        {"http://host/file.bin", "http://host", "/file.bin", "file.bin"},
        {"http://host/dir/sub/file.bin", "http://host", "/dir/sub/file.bin", "file.bin"},
        {"http://host:8080/a/b.bin", "http://host:8080", "/a/b.bin", "b.bin"},
        {"http://127.0.0.1:65535/x", "http://127.0.0.1:65535", "/x", "x"},
        // The scheme's case is kept; the split is by position only.
        {"HTTP://Host/Dir/F.BIN", "HTTP://Host", "/Dir/F.BIN", "F.BIN"},
        // Query text and escapes after the last separator are part of the file name.
        {"http://host/get.php?id=7&k=v", "http://host", "/get.php?id=7&k=v", "get.php?id=7&k=v"},
        {"http://host/dir/a%20b%2Fc.bin", "http://host", "/dir/a%20b%2Fc.bin", "a%20b%2Fc.bin"},
        // A separator inside the query is the last separator all the same.
        {"http://host/get?path=a/b.bin", "http://host", "/get?path=a/b.bin", "b.bin"},
        // A separator right at the scheme's end: an empty host, left for Connect to refuse.
        {"http:///file.bin", "http://", "/file.bin", "file.bin"},
        // Names with dots that are neither "." nor "..".
        {"http://host/d/...", "http://host", "/d/...", "..."},
        {"http://host/d/..x", "http://host", "/d/..x", "..x"},
        {"http://host/d/.hidden", "http://host", "/d/.hidden", ".hidden"},
        // Dot segments before the file name are the server's business, not a local path.
        {"http://host/a/../b.bin", "http://host", "/a/../b.bin", "b.bin"},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(c.url);
        JobUrlParts parts;
        ASSERT_EQ(SplitJobUrl(c.url, kScheme, '/', parts), RC_SUCCESS);
        EXPECT_EQ(parts.strServer, c.server);
        EXPECT_EQ(parts.strObjectPath, c.objectPath);
        EXPECT_EQ(parts.strFileName, c.fileName);
        EXPECT_EQ(parts.strServer + parts.strObjectPath, c.url) << "nothing lost or added";
    }
}

TEST(JobUrl, RefusesNamesThatLeaveTheWorkFolderAndLeavesThePartsAlone) {
    const char* const urls[] = {
        "http://host/a/..\\..\\x.bin", // backslashes climb out of the work folder
        "http://host/a/sub\\x.bin",    // a subfolder the job did not name
        "http://host/a/\\x.bin",       // a backslash in front: the drive's root
        "http://host/a/C:x.bin",       // a drive
        "http://host/a/x.bin:stream",  // a colon anywhere
        "http://host/a/..",            // the work folder's parent
        "http://host/a/.",             // the work folder itself
        "http://host/a/",              // no name at all
        "http://host",                 // no object path
        "http:/",                      // shorter than the scheme
        "",
    };
    for (const char* url : urls) {
        SCOPED_TRACE(url);
        JobUrlParts parts{"server", "/path", "name"};
        EXPECT_EQ(SplitJobUrl(url, kScheme, '/', parts), RC_BAD_OBJECT_PATH);
        EXPECT_EQ(parts.strServer, "server");
        EXPECT_EQ(parts.strObjectPath, "/path");
        EXPECT_EQ(parts.strFileName, "name");
    }
}

TEST(JobUrl, BackslashAsSecondByteOfATwoByteCharacterIsNoSeparator) {
    // 0x95 0x5C is one Shift_JIS character; as single bytes it holds a backslash.
    const std::string name = "\x95\x5C.bin";
    const std::string url = "http://host/d/" + name;
    const int saved = platform::GetCodePage();

    platform::SetCodePage(932);
    JobUrlParts parts;
    EXPECT_EQ(SplitJobUrl(url, kScheme, '/', parts), RC_SUCCESS);
    EXPECT_EQ(parts.strFileName, name);
    // A lead byte does not hide a backslash that stands alone, nor a colon.
    EXPECT_FALSE(IsSafeJobFileName("\x95\x5C\\x.bin"));
    EXPECT_FALSE(IsSafeJobFileName("\x95:x.bin"));
    EXPECT_FALSE(IsSafeJobFileName("x\\\x95"));

    platform::SetCodePage(1252);
    EXPECT_EQ(SplitJobUrl(url, kScheme, '/', parts), RC_BAD_OBJECT_PATH);

    platform::SetCodePage(saved);
}

} // namespace
