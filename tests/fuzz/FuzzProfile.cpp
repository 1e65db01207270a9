// Fuzz target: the profile-file parser, in a single-byte and in a double-byte code page. The
// first byte picks the code page; the rest is the file's text. Every section and key name
// that occurs in the text is looked up, in upper case, with surrounding blanks and as the
// download list's names. Checked: a value that is found is not empty, at most 4095 bytes, a
// piece of one line of the text, not cut inside a two-byte character, and the same whatever
// the case of the names; a miss leaves the output alone.
#include "platform/process/CodePage.h"
#include "platform/profile/ProfileParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

std::string UpperAscii(std::string text) {
    for (char& ch : text)
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 'a' + 'A');
    return text;
}

// True when the text ends with a lead byte that has no second byte in the text, walking in the
// current code page.
bool EndsInLoneLeadByte(const std::string& text) {
    bool lone = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        lone = false;
        if (platform::IsLeadByte(static_cast<unsigned char>(text[i]))) {
            if (i + 1 < text.size())
                ++i;
            else
                lone = true;
        }
    }
    return lone;
}

void CheckLookup(const platform::CProfileData& data, std::string_view text,
                 const std::string& section, const std::string& key) {
    std::string value = "\x01untouched";
    if (!data.Find(section, key, value)) {
        Require(value == "\x01untouched");
        return;
    }
    Require(!value.empty() && value.size() <= platform::PROFILE_VALUE_MAX);
    Require(value.find('\n') == std::string::npos && value.find('\0') == std::string::npos);
    Require(text.find(value) != std::string_view::npos);
    // A value that ends in a lead byte without its second byte was not cut at the limit: it
    // stands in the text with the end of its line (or a blank, or its closing quote) after it.
    if (EndsInLoneLeadByte(value)) {
        bool whole = false;
        for (std::size_t at = text.find(value); at != std::string_view::npos && !whole;
             at = text.find(value, at + 1)) {
            const std::size_t after = at + value.size();
            whole =
                after == text.size() ||
                std::string_view("\n\r\t\v\f \"'", 8).find(text[after]) != std::string_view::npos ||
                text[after] == '\0';
        }
        Require(whole);
    }

    std::string again = "\x01untouched";
    Require(data.Find(UpperAscii(section), UpperAscii(key), again) && again == value);
    again.clear();
    Require(data.Find(" " + section + "\t", "\t" + key + " ", again) && again == value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    platform::SetCodePage(data[0] % 2 == 0 ? 1252 : 932);
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const platform::CProfileData profile = platform::CProfileData::Parse(text);

    // Names as they occur in the text: "[name]" lines give sections, "name=" lines keys.
    std::vector<std::string> sections = {"Download"};
    std::vector<std::string> keys = {"File000", "File001", "WorkPath", "FileSize"};
    std::size_t start = 0;
    while (start < text.size() && sections.size() + keys.size() < 64) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(start, end - start);
        const std::size_t open = line.find('[');
        const std::size_t close = line.find(']');
        if (open != std::string_view::npos && close != std::string_view::npos && close > open)
            sections.emplace_back(line.substr(open + 1, close - open - 1));
        const std::size_t equals = line.find('=');
        if (equals != std::string_view::npos)
            keys.emplace_back(line.substr(0, equals));
        start = end + 1;
    }
    for (const std::string& section : sections)
        for (const std::string& key : keys)
            CheckLookup(profile, text, section, key);

    return 0;
}
