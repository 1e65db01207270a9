// The download job preparation. So far only the choice of mode is made: a valid mode still
// ends with 5, since the work folder cannot be readied yet, so no run reports success for work
// that was not done.
#include "pelidor/app/AppGlobals.h"
#include "pelidor/app/PelidorApp.h"

RESULT_CODE CPelidorApp::PrepareJob() {
    m_arrUrls.clear();
    m_strWorkFolder.clear();
    m_strFileSize.clear();

    const bool commandLineMode =
        !g_strParamUrl.empty() && !g_strParamWork.empty() && g_strParamList.empty();
    const bool listMode =
        !g_strParamList.empty() && g_strParamUrl.empty() && g_strParamWork.empty();
    if (!commandLineMode && !listMode)
        return RC_BAD_PARAMETERS;
    return RC_WORK_FOLDER_UNUSABLE;
}

bool CPelidorApp::ReadListValue(const std::string& /*listFile*/, const std::string& /*section*/,
                                const std::string& /*key*/, std::string& value) {
    value.clear();
    return false;
}
