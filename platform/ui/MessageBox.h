// The message box: a short message to whoever runs the program, answered with OK.
#pragma once

#include <string>

namespace platform {

enum class MessageBoxResult { Ok };

// Shows "TITLE: TEXT" on standard error; there is nobody to press a button, so it returns
// as if OK was pressed.
MessageBoxResult ShowMessageBox(const std::string& strTitle, const std::string& strText);

} // namespace platform
