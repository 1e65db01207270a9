// Fuzz target: the split of a job URL into server part, object path and file name, with the
// scheme "http://" and the separator "/" of the job run, in a single-byte and in a double-byte
// code page (the first byte picks it). Checked: on failure the parts stay as they were; on
// success the server part and the object path join to the URL, the object path begins at the
// first separator after the scheme, the file name is the URL after its last separator, and the
// destination in the work folder, translated through the drive map, is exactly one entry of
// that folder.
#include "pelidor/app/JobUrl.h"
#include "platform/fs/DriveMap.h"
#include "platform/process/CodePage.h"

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
    if (size < 1)
        return 0;
    platform::SetCodePage(data[0] % 2 == 0 ? 1252 : 932);
    const std::string url(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string scheme = "http://";

    JobUrlParts parts;
    parts.strServer = "untouched";
    parts.strObjectPath = "untouched";
    parts.strFileName = "untouched";
    const RESULT_CODE rc = SplitJobUrl(url, scheme, '/', parts);
    if (rc != RC_SUCCESS) {
        Require(rc == RC_BAD_OBJECT_PATH);
        Require(parts.strServer == "untouched" && parts.strObjectPath == "untouched" &&
                parts.strFileName == "untouched");
        return 0;
    }

    Require(parts.strServer + parts.strObjectPath == url);
    Require(parts.strServer.size() >= scheme.size() || url.size() < scheme.size());
    Require(parts.strServer.find('/', scheme.size()) == std::string::npos);
    Require(!parts.strObjectPath.empty() && parts.strObjectPath[0] == '/');
    Require(parts.strFileName == url.substr(url.rfind('/') + 1));
    Require(IsSafeJobFileName(parts.strFileName));

    // The destination never names another folder or drive.
    if (parts.strFileName.find('\0') == std::string::npos) {
        static const platform::CDriveMap map = platform::CDriveMap::Parse("C=/w;D=/d");
        std::string native;
        Require(map.ToNative("C:\\Work\\" + parts.strFileName, native));
        const std::string folder = "/w/Work/";
        Require(native.size() > folder.size() && native.compare(0, folder.size(), folder) == 0);
        const std::string entry = native.substr(folder.size());
        Require(entry.find('/') == std::string::npos && entry != "." && entry != "..");
    }
    return 0;
}
