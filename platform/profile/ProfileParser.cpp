// Parsing of profile files: the portable half of the profile reader.
#include "platform/profile/ProfileParser.h"

#include "platform/process/CodePage.h"

namespace platform {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// ASCII letters only: bytes from 0x80 up belong to the code page and keep their value.
std::string LowerAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return result;
}

// The value without matching surrounding quotes, cut to PROFILE_VALUE_MAX bytes without
// splitting a two-byte character of the code page.
std::string_view CleanValue(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    if (value.size() <= PROFILE_VALUE_MAX)
        return value;
    std::size_t end = 0;
    while (end < PROFILE_VALUE_MAX) {
        const std::size_t width =
            IsLeadByte(static_cast<unsigned char>(value[end])) && end + 1 < value.size() ? 2 : 1;
        if (end + width > PROFILE_VALUE_MAX)
            break;
        end += width;
    }
    return value.substr(0, end);
}

} // namespace

CProfileData CProfileData::Parse(std::string_view text) {
    CProfileData data;
    // A list saved by an editor that writes a UTF-8 byte-order mark still parses.
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);

    KeyMap* current = nullptr; // null: before the first section, or in a repeated one
    while (!text.empty()) {
        const std::size_t lineEnd = text.find('\n');
        std::string_view line = text.substr(0, lineEnd);
        text.remove_prefix(lineEnd == std::string_view::npos ? text.size() : lineEnd + 1);

        const std::size_t nul = line.find('\0');
        if (nul != std::string_view::npos)
            line = line.substr(0, nul);
        line = Trim(line);
        if (line.empty() || line.front() == ';')
            continue;

        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            const std::string name = LowerAscii(Trim(line.substr(
                1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
            const auto [it, added] =
                data.m_mapSections.try_emplace(name, data.m_arrSections.size());
            if (added) {
                data.m_arrSections.emplace_back();
                current = &data.m_arrSections.back();
            } else {
                current = nullptr; // the first section of this name wins
            }
            continue;
        }

        const std::size_t equals = line.find('=');
        if (current == nullptr || equals == std::string_view::npos)
            continue;
        const std::string_view name = Trim(line.substr(0, equals));
        if (name.empty())
            continue;
        current->try_emplace(LowerAscii(name), CleanValue(Trim(line.substr(equals + 1))));
    }
    return data;
}

bool CProfileData::Find(std::string_view section, std::string_view key, std::string& value) const {
    const auto sectionIt = m_mapSections.find(LowerAscii(Trim(section)));
    if (sectionIt == m_mapSections.end())
        return false;
    const KeyMap& keys = m_arrSections[sectionIt->second];
    const auto keyIt = keys.find(LowerAscii(Trim(key)));
    if (keyIt == keys.end() || keyIt->second.empty())
        return false;
    value = keyIt->second;
    return true;
}

} // namespace platform
