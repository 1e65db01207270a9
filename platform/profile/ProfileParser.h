// The parsed contents of a profile file (sections of key=value lines), and the rules of the
// format: section and key names match without regard to ASCII letter case, the first matching
// section and the first matching key in it win, names and values are trimmed, a value in
// matching double or single quotes loses them, lines beginning with ';' are comments, lines end
// in LF or CRLF, a NUL byte ends its line's text, and values are cut at PROFILE_VALUE_MAX bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

// The longest value handed out, in bytes (a reader's buffer of 4096 with its terminating zero).
constexpr std::size_t PROFILE_VALUE_MAX = 4095;

class CProfileData {
public:
    // Parses the whole text of a profile file; any byte sequence is accepted.
    static CProfileData Parse(std::string_view text);

    // True with the value when section and key exist and the value is not empty; false with
    // value untouched otherwise.
    bool Find(std::string_view section, std::string_view key, std::string& value) const;

private:
    using KeyMap = std::unordered_map<std::string, std::string>; // lower-case key -> value

    std::unordered_map<std::string, std::size_t> m_mapSections; // lower-case name -> index
    std::vector<KeyMap> m_arrSections;
};

} // namespace platform
