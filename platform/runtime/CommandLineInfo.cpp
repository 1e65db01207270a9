// The framework's command-line class. The framework's own switches (print, DDE, ...) have no
// counterpart here, so the base hook keeps nothing.
#include "platform/runtime/CommandLineInfo.h"

CCommandLineInfo::CCommandLineInfo() = default;

CCommandLineInfo::~CCommandLineInfo() = default;

void CCommandLineInfo::HandleParameter(const char* /*text*/, bool /*isSwitch*/, bool /*isLast*/) {}
