// Splits a URL into its service type, server name, object path and port. Only texts that
// begin with a known scheme ("http://", "ftp://", ...) parse.
#pragma once

#include <cstdint>
#include <string>

// Service types of the known schemes.
constexpr std::uint32_t INET_SERVICE_FTP = 1;
constexpr std::uint32_t INET_SERVICE_GOPHER = 2;
constexpr std::uint32_t INET_SERVICE_HTTP = 3;
constexpr std::uint32_t INET_SERVICE_HTTPS = 0x1008;
constexpr std::uint32_t INET_SERVICE_FILE = 0x1005;

struct CParsedUrl {
    std::uint32_t nServiceType = 0;
    std::string strServer;   // host name or address, without brackets and port
    std::string strObject;   // path and query from the first "/" on; "/" when the URL has none
    std::uint16_t nPort = 0; // the URL's explicit port, else the scheme's default port
};

// True when the text parses; out is written only then. The scheme is matched without regard
// to ASCII case. A user name and password before "@" are skipped. A port that is not a number
// from 1 to 65535 makes the text not parse. An empty server name parses (callers decide).
bool ParseInternetUrl(const std::string& url, CParsedUrl& out);
