// Linux: the message box as one line on standard error.
#include "platform/ui/MessageBox.h"

#include <cerrno>
#include <unistd.h>

namespace platform {

MessageBoxResult ShowMessageBox(const std::string& strTitle, const std::string& strText) {
    // One write of the whole line, unbuffered, so that it is not interleaved with other output
    // and is not lost when the host process ends abruptly.
    const std::string strLine = strTitle + ": " + strText + "\n";
    std::size_t nDone = 0;
    while (nDone < strLine.size()) {
        const ssize_t nWritten =
            ::write(STDERR_FILENO, strLine.data() + nDone, strLine.size() - nDone);
        if (nWritten < 0 && errno == EINTR)
            continue;
        if (nWritten <= 0)
            break;
        nDone += static_cast<std::size_t>(nWritten);
    }
    return MessageBoxResult::Ok;
}

} // namespace platform
