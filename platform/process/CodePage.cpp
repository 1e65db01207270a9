// Code page: the portable part (charset names, lead-byte ranges).
#include "platform/process/CodePage.h"

#include <atomic>
#include <cctype>
#include <string>

namespace platform {
namespace {

std::atomic<int> g_codePage{1252};

std::string Normalised(const char* charset) {
    std::string out;
    for (const char* p = charset; p && *p; ++p) {
        if (std::isalnum(static_cast<unsigned char>(*p)))
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
    }
    return out;
}

} // namespace

int GetCodePage() { return g_codePage.load(std::memory_order_relaxed); }

void SetCodePage(int codePage) {
    switch (codePage) {
    case 932:
    case 936:
    case 949:
    case 950:
        g_codePage.store(codePage, std::memory_order_relaxed);
        break;
    default:
        g_codePage.store(1252, std::memory_order_relaxed);
        break;
    }
}

int CodePageForCharset(const char* charset) {
    const std::string name = Normalised(charset);
    if (name == "SJIS" || name == "SHIFTJIS" || name == "CP932" || name == "WINDOWS31J" ||
        name == "MSKANJI")
        return 932;
    if (name == "GBK" || name == "GB2312" || name == "CP936" || name == "EUCCN" ||
        name == "GB18030")
        return 936;
    if (name == "EUCKR" || name == "UHC" || name == "CP949")
        return 949;
    if (name == "BIG5" || name == "BIG5HKSCS" || name == "CP950")
        return 950;
    return 1252;
}

bool IsLeadByte(unsigned char byte) {
    switch (GetCodePage()) {
    case 932:
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950:
        return byte >= 0x81 && byte <= 0xFE;
    default:
        return false;
    }
}

} // namespace platform
