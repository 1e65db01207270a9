// Linux: reads the locale's character set from the environment (LC_ALL, LC_CTYPE, LANG).
#include "platform/process/CodePage.h"

#include <clocale>
#include <langinfo.h>

namespace platform {

void SetCodePageFromLocale() {
    // Only LC_CTYPE: the rest of the C library keeps the "C" locale's formatting.
    if (std::setlocale(LC_CTYPE, "") == nullptr) {
        SetCodePage(1252);
        return;
    }
    SetCodePage(CodePageForCharset(nl_langinfo(CODESET)));
}

} // namespace platform
