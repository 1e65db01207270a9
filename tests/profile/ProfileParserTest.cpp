// The profile format's rules on texts: letter case, first match, trimming, quotes, comments,
// line ends, NUL bytes, the value limit.
#include "platform/profile/ProfileParser.h"
#include "platform/process/CodePage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::CProfileData;
using platform::PROFILE_VALUE_MAX;

struct LookupCase {
    const char* what;
    std::string text;
    const char* section;
    const char* key;
    bool found;
    std::string value;
};

TEST(ProfileParser, Lookups) {
    using namespace std::string_literals;
    const LookupCase cases[] = {
        {"plain", "[Download]\nFile000=http://h/a\n", "Download", "File000", true, "http://h/a"},
        {"names without regard to case", "[dOWNLOAD]\nfile000=x\n", "Download", "FILE000", true,
         "x"},
        {"names trimmed", "  [  Download  ]  \n  File000   =  x  \n", "Download", "File000", true,
         "x"},
        {"CRLF line ends", "[Download]\r\nFile000=x\r\nFile001=y\r\n", "Download", "File001", true,
         "y"},
        {"last line without line end", "[Download]\nWorkPath=C:\\W", "Download", "WorkPath", true,
         "C:\\W"},
        {"first key wins", "[Download]\nk=1\nK=2\n", "Download", "k", true, "1"},
        {"first section wins", "[Download]\na=1\n[download]\na=2\nb=3\n", "Download", "b", false,
         ""},
        {"other sections apart", "[Other]\nk=1\n[Download]\nk=2\n", "Download", "k", true, "2"},
        {"keys before any section", "k=1\n[Download]\n", "Download", "k", false, ""},
        {"double quotes removed", "[S]\nk=\"  a b  \"\n", "S", "k", true, "  a b  "},
        {"single quotes removed", "[S]\nk='a'\n", "S", "k", true, "a"},
        {"unmatched quotes stay", "[S]\nk=\"a'\n", "S", "k", true, "\"a'"},
        {"a lone quote stays", "[S]\nk=\"\n", "S", "k", true, "\""},
        {"quoted empty is empty", "[S]\nk=\"\"\n", "S", "k", false, ""},
        {"empty value", "[S]\nk=\n", "S", "k", false, ""},
        {"blank value", "[S]\nk=  \t \n", "S", "k", false, ""},
        {"value keeps further equals signs", "[S]\nk=a=b\n", "S", "k", true, "a=b"},
        {"comment line", "[S]\n;k=1\n  ; k=2\nk=3\n", "S", "k", true, "3"},
        {"a semicolon inside a value stays", "[S]\nk=a;b\n", "S", "k", true, "a;b"},
        {"line without equals sign", "[S]\nk\n", "S", "k", false, ""},
        {"empty key name", "[S]\n=v\n", "S", "", false, ""},
        {"missing section", "[S]\nk=1\n", "T", "k", false, ""},
        {"missing key", "[S]\nk=1\n", "S", "j", false, ""},
        {"section without closing bracket", "[S\nk=1\n", "S", "k", true, "1"},
        {"NUL byte ends its line", "[S]\nk=ab\0cd\nj=2\n"s, "S", "k", true, "ab"},
        {"NUL byte in a later line", "[S]\nk=1\n\0\0\0\nj=2\n"s, "S", "j", true, "2"},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF[S]\nk=1\n", "S", "k", true, "1"},
        {"bytes from 0x80 up are no letters", "[\xC4]\nk=1\n", "\xE4", "k", false, ""},
        {"empty text", "", "S", "k", false, ""},
    };
    for (const LookupCase& c : cases) {
        SCOPED_TRACE(c.what);
        const CProfileData data = CProfileData::Parse(c.text);
        std::string value = "untouched";
        EXPECT_EQ(data.Find(c.section, c.key, value), c.found);
        EXPECT_EQ(value, c.found ? c.value : "untouched");
    }
}

TEST(ProfileParser, ValuesAreCutAtTheLimit) {
    platform::SetCodePage(1252);
    for (const std::size_t length :
         {PROFILE_VALUE_MAX - 1, PROFILE_VALUE_MAX, PROFILE_VALUE_MAX + 1, std::size_t{3} << 20}) {
        SCOPED_TRACE(length);
        const std::string value(length, 'v');
        const CProfileData data = CProfileData::Parse("[S]\nk=" + value + "\nj=after\n");
        std::string out;
        ASSERT_TRUE(data.Find("S", "k", out));
        EXPECT_EQ(out, value.substr(0, PROFILE_VALUE_MAX));
        ASSERT_TRUE(data.Find("S", "j", out)) << "the next line still parses";
        EXPECT_EQ(out, "after");
    }
}

TEST(ProfileParser, CutDoesNotSplitATwoByteCharacter) {
    platform::SetCodePage(932);
    // 4094 single bytes, then a two-byte character that would end at byte 4096.
    const std::string value = std::string(PROFILE_VALUE_MAX - 1, 'a') + "\x95\x5C" + "zz";
    const CProfileData data = CProfileData::Parse("[S]\nk=" + value + "\n");
    std::string out;
    ASSERT_TRUE(data.Find("S", "k", out));
    EXPECT_EQ(out, std::string(PROFILE_VALUE_MAX - 1, 'a'));
    platform::SetCodePage(1252);
    const CProfileData single = CProfileData::Parse("[S]\nk=" + value + "\n");
    ASSERT_TRUE(single.Find("S", "k", out));
    EXPECT_EQ(out.size(), PROFILE_VALUE_MAX) << "single-byte: every byte is a character";
}

TEST(ProfileParser, AnyBytesParseWithoutHarm) {
    // Every byte value, in lines and out of them, brackets and equals signs among them.
    std::string text;
    unsigned state = 12345;
    for (int i = 0; i < 200000; ++i) {
        state = state * 1103515245u + 12345u;
        text += static_cast<char>(state >> 16);
    }
    text += "\n[Download]\nFile000=http://h/a\n";
    const CProfileData data = CProfileData::Parse(text);
    std::string out;
    ASSERT_TRUE(data.Find("Download", "File000", out));
    EXPECT_EQ(out, "http://h/a");
}

} // namespace
