// Temporary drives for tests (see TempDrives.h).
#include "tests/support/TempDrives.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace testsupport {

CTempDrives::CTempDrives() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/pelidor-drives-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr)
        throw std::runtime_error("CTempDrives: mkdtemp failed");
    m_strBase = buffer.data();

    std::error_code ec;
    m_strSavedCwd = std::filesystem::current_path(ec).string();
    if (const char* drives = std::getenv("PELIDOR_DRIVES")) {
        m_bHadDrives = true;
        m_strSavedDrives = drives;
    }
    Apply();
}

CTempDrives::~CTempDrives() {
    std::error_code ec;
    if (!m_strSavedCwd.empty())
        std::filesystem::current_path(m_strSavedCwd, ec);
    if (m_bHadDrives)
        ::setenv("PELIDOR_DRIVES", m_strSavedDrives.c_str(), 1);
    else
        ::unsetenv("PELIDOR_DRIVES");
    // Folders made read-only by a test do not stop root, but may stop another user.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_strBase, ec))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_strBase, ec);
}

std::string CTempDrives::Map(char letter) {
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    const std::string dir = m_strBase + "/" + upper;
    std::filesystem::create_directories(dir);
    m_mapDrives[upper] = dir;
    Apply();
    return dir;
}

void CTempDrives::MapTo(char letter, const std::string& nativeDirectory) {
    m_mapDrives[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] =
        nativeDirectory;
    Apply();
}

void CTempDrives::MapMissing(char letter) {
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    m_mapDrives[upper] = m_strBase + "/missing-" + upper;
    Apply();
}

std::string CTempDrives::Native(const std::string& windowsPath) const {
    if (windowsPath.size() < 2 || windowsPath[1] != ':')
        return {};
    const auto it = m_mapDrives.find(
        static_cast<char>(std::toupper(static_cast<unsigned char>(windowsPath[0]))));
    if (it == m_mapDrives.end())
        return {};
    std::string out = it->second;
    for (std::size_t i = 2; i < windowsPath.size(); ++i) {
        const char c = windowsPath[i] == '\\' ? '/' : windowsPath[i];
        if (c == '/' && !out.empty() && out.back() == '/')
            continue;
        if (c == '/' && i == windowsPath.size() - 1)
            continue;
        out += c;
    }
    return out;
}

std::string CTempDrives::DrivesVariable() const {
    std::string text;
    for (const auto& [letter, dir] : m_mapDrives) {
        if (!text.empty())
            text += ';';
        text += letter;
        text += '=';
        text += dir;
    }
    return text;
}

void CTempDrives::Apply() const {
    ::setenv("PELIDOR_DRIVES", DrivesVariable().c_str(), 1);
}

} // namespace testsupport
