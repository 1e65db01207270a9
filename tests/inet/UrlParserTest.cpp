// The URL parser: which texts parse, into which service type, server, object path and port.
#include "platform/inet/UrlParser.h"

#include <gtest/gtest.h>

namespace {

struct UrlCase {
    const char* url;
    bool parses;
    std::uint32_t service;
    const char* server;
    const char* object;
    std::uint16_t port;
};

const UrlCase kCases[] = {
    {"http://host/dir/file.bin", true, INET_SERVICE_HTTP, "host", "/dir/file.bin", 80},
    {"HTTP://Host", true, INET_SERVICE_HTTP, "Host", "/", 80},
    {"http://host:8080/a", true, INET_SERVICE_HTTP, "host", "/a", 8080},
    {"http://127.0.0.1:65535", true, INET_SERVICE_HTTP, "127.0.0.1", "/", 65535},
    {"http://[::1]:81/x", true, INET_SERVICE_HTTP, "::1", "/x", 81},
    {"http://user:pw@host/a", true, INET_SERVICE_HTTP, "host", "/a", 80},
    {"http://host?q=1", true, INET_SERVICE_HTTP, "host", "/?q=1", 80},
    {"http:///a", true, INET_SERVICE_HTTP, "", "/a", 80},
    {"ftp://files.example/pub", true, INET_SERVICE_FTP, "files.example", "/pub", 21},
    {"https://host/", true, INET_SERVICE_HTTPS, "host", "/", 443},
    {"gopher://host", true, INET_SERVICE_GOPHER, "host", "/", 70},
    {"host/dir/file.bin", false, 0, "", "", 0},
    {"host:80", false, 0, "", "", 0},
    {"", false, 0, "", "", 0},
    {"://host", false, 0, "", "", 0},
    {"nntp://host", false, 0, "", "", 0},
    {"http://host:0/", false, 0, "", "", 0},
    {"http://host:65536/", false, 0, "", "", 0},
    {"http://host:8o/", false, 0, "", "", 0},
    {"http://host:/", false, 0, "", "", 0},
    {"http://[::1/", false, 0, "", "", 0},
};

TEST(UrlParserTest, CasesTable) {
    for (const UrlCase& c : kCases) {
        SCOPED_TRACE(c.url);
        CParsedUrl parsed;
        parsed.strServer = "untouched";
        ASSERT_EQ(ParseInternetUrl(c.url, parsed), c.parses);
        if (!c.parses) {
            EXPECT_EQ(parsed.strServer, "untouched"); // written only on success
            continue;
        }
        EXPECT_EQ(parsed.nServiceType, c.service);
        EXPECT_EQ(parsed.strServer, c.server);
        EXPECT_EQ(parsed.strObject, c.object);
        EXPECT_EQ(parsed.nPort, c.port);
    }
}

} // namespace
