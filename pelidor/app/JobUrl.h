// The split of one job URL into the parts the job run needs: the server part handed to the
// connection, the object path requested from it and the file name stored in the work folder.
#pragma once

#include "pelidor/app/ResultCodes.h"

#include <string>

struct JobUrlParts {
    std::string strServer;     // scheme and host, with the port when the URL names one
    std::string strObjectPath; // from the first separator after the scheme to the end
    std::string strFileName;   // everything after the last separator, unchanged
};

// Splits url. The server part ends at the first separator at or after the position equal to
// the scheme's length; the file name follows the last separator. The file name becomes part of
// a Windows path in the work folder, so one that is empty, is "." or "..", or holds a "\" or
// ":" (which would name another folder or a drive) is refused with RC_BAD_OBJECT_PATH, as is
// a URL without a separator after its scheme. parts is written only on success.
RESULT_CODE SplitJobUrl(const std::string& url, const std::string& scheme, char separator,
                        JobUrlParts& parts);

// True when name can stand as the last component of a Windows path without leaving its
// folder: not empty, not "." or "..", and no "\" or ":" outside a two-byte character.
bool IsSafeJobFileName(const std::string& name);
