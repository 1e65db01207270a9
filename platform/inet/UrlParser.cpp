// The URL parser: portable string logic, no system calls.
#include "platform/inet/UrlParser.h"

#include <cstddef>

namespace {

struct SchemeInfo {
    const char* name;
    std::uint32_t serviceType;
    std::uint16_t defaultPort;
};

constexpr SchemeInfo g_schemes[] = {
    {"http", INET_SERVICE_HTTP, 80}, {"https", INET_SERVICE_HTTPS, 443},
    {"ftp", INET_SERVICE_FTP, 21},   {"gopher", INET_SERVICE_GOPHER, 70},
    {"file", INET_SERVICE_FILE, 0},
};

bool EqualsNoCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (x != y)
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

bool ParsePort(const std::string& text, std::uint16_t& port) {
    if (text.empty() || text.size() > 5)
        return false;
    std::uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    if (value == 0 || value > 65535)
        return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

} // namespace

bool ParseInternetUrl(const std::string& url, CParsedUrl& out) {
    const std::size_t schemeEnd = url.find("://");
    if (schemeEnd == std::string::npos || schemeEnd == 0)
        return false;
    const std::string scheme = url.substr(0, schemeEnd);
    const SchemeInfo* info = nullptr;
    for (const SchemeInfo& s : g_schemes)
        if (EqualsNoCase(scheme, s.name))
            info = &s;
    if (info == nullptr)
        return false;

    const std::size_t authorityStart = schemeEnd + 3;
    std::size_t authorityEnd = url.find_first_of("/?#", authorityStart);
    if (authorityEnd == std::string::npos)
        authorityEnd = url.size();
    std::string authority = url.substr(authorityStart, authorityEnd - authorityStart);
    const std::size_t at = authority.rfind('@');
    if (at != std::string::npos)
        authority.erase(0, at + 1);

    CParsedUrl parsed;
    parsed.nServiceType = info->serviceType;
    parsed.nPort = info->defaultPort;
    std::string portText;
    bool bHasPort = false;
    if (!authority.empty() && authority.front() == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string::npos)
            return false;
        parsed.strServer = authority.substr(1, close - 1);
        const std::string rest = authority.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':')
                return false;
            portText = rest.substr(1);
            bHasPort = true;
        }
    } else {
        const std::size_t colon = authority.rfind(':');
        if (colon != std::string::npos) {
            portText = authority.substr(colon + 1);
            bHasPort = true;
            authority.erase(colon);
        }
        parsed.strServer = authority;
    }
    if (bHasPort && !ParsePort(portText, parsed.nPort))
        return false;

    parsed.strObject = url.substr(authorityEnd);
    if (parsed.strObject.empty() || parsed.strObject.front() != '/')
        parsed.strObject = std::string("/") + parsed.strObject;
    out = parsed;
    return true;
}
