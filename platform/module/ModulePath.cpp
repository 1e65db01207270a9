// Module paths: the portable part.
#include "platform/module/Module.h"

namespace platform {

std::string ToNativeModulePath(const std::string& strPath) {
    std::string strNative = strPath;
    for (char& ch : strNative) {
        if (ch == '\\')
            ch = '/';
    }
    return strNative;
}

} // namespace platform
