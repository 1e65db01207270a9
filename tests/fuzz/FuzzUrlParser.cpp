// Fuzz target: the URL parser. On failure the output must stay as it was; on success the
// service type is that of a known scheme, the object path begins with "/" and is the URL's
// tail (with a "/" put in front when the tail lacks it), the server name is the host text
// without user name, brackets and port, and the port is explicit (1 to 65535) or the scheme's
// default.
#include "platform/inet/UrlParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string url(reinterpret_cast<const char*>(data), size);
    CParsedUrl parsed;
    parsed.nServiceType = 0xDEAD;
    parsed.strServer = "untouched";
    parsed.strObject = "untouched";
    parsed.nPort = 7;
    if (!ParseInternetUrl(url, parsed)) {
        Require(parsed.nServiceType == 0xDEAD && parsed.strServer == "untouched" &&
                parsed.strObject == "untouched" && parsed.nPort == 7);
        return 0;
    }

    const std::size_t schemeEnd = url.find("://");
    Require(schemeEnd != std::string::npos && schemeEnd > 0);
    std::string scheme = url.substr(0, schemeEnd);
    for (char& ch : scheme)
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
    std::uint16_t defaultPort = 0;
    std::uint32_t serviceType = 0;
    if (scheme == "http") {
        serviceType = INET_SERVICE_HTTP;
        defaultPort = 80;
    } else if (scheme == "https") {
        serviceType = INET_SERVICE_HTTPS;
        defaultPort = 443;
    } else if (scheme == "ftp") {
        serviceType = INET_SERVICE_FTP;
        defaultPort = 21;
    } else if (scheme == "gopher") {
        serviceType = INET_SERVICE_GOPHER;
        defaultPort = 70;
    } else if (scheme == "file") {
        serviceType = INET_SERVICE_FILE;
    } else {
        Require(false);
    }
    Require(parsed.nServiceType == serviceType);

    // The authority ends at the first "/", "?" or "#" after the scheme.
    const std::size_t authorityStart = schemeEnd + 3;
    std::size_t authorityEnd = url.find_first_of("/?#", authorityStart);
    if (authorityEnd == std::string::npos)
        authorityEnd = url.size();
    const std::string tail = url.substr(authorityEnd);
    Require(!parsed.strObject.empty() && parsed.strObject[0] == '/');
    Require(parsed.strObject == (!tail.empty() && tail[0] == '/' ? tail : "/" + tail));

    std::string authority = url.substr(authorityStart, authorityEnd - authorityStart);
    const std::size_t at = authority.rfind('@');
    if (at != std::string::npos)
        authority.erase(0, at + 1);
    Require(parsed.strServer.find_first_of("/?#@") == std::string::npos);
    Require(authority.find(parsed.strServer) != std::string::npos);
    const bool bracketed = !authority.empty() && authority[0] == '[';
    if (bracketed) {
        Require(authority.compare(0, parsed.strServer.size() + 2, "[" + parsed.strServer + "]") ==
                0);
    } else {
        Require(authority.compare(0, parsed.strServer.size(), parsed.strServer) == 0);
    }
    const std::string afterServer = authority.substr(parsed.strServer.size() + (bracketed ? 2 : 0));
    if (afterServer.empty()) {
        Require(parsed.nPort == defaultPort);
    } else {
        Require(afterServer[0] == ':');
        const std::string portText = afterServer.substr(1);
        Require(!portText.empty() && portText.size() <= 5 &&
                portText.find_first_not_of("0123456789") == std::string::npos);
        const long port = std::strtol(portText.c_str(), nullptr, 10);
        Require(port >= 1 && port <= 65535 && parsed.nPort == port);
    }
    return 0;
}
