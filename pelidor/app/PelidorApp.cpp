// The start routine of Pelidor and the application object's construction.
#include "pelidor/app/PelidorApp.h"

#include "pelidor/app/CmdLineInfo.h"
#include "pelidor/app/CompletionNotice.h"

CPelidorApp::CPelidorApp()
    : CGenericAppBase(), m_strSection("Download"), m_strFileKey("File"),
      m_strWorkPathKey("WorkPath"), m_strFileSizeKey("FileSize"), m_strScheme("http://"),
      m_chSeparator('/') {
    m_strMutexName = "PelidorMutex";
}

CPelidorApp::~CPelidorApp() = default;

bool CPelidorApp::Startup() {
    // A second instance reports 1 without looking at its command line.
    if (!CGenericAppBase::Startup()) {
        PostCompletionNotice(RC_ALREADY_RUNNING);
        return false;
    }

    CCmdLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);

    RESULT_CODE code = PrepareJob();
    if (code != RC_SUCCESS) {
        PostCompletionNotice(code);
        return false;
    }
    code = RunJob();
    if (code != RC_SUCCESS) {
        PostCompletionNotice(code);
        return false;
    }
    PostCompletionNotice(RC_SUCCESS);
    return true;
}

int CPelidorApp::Shutdown() {
    return CGenericAppBase::Shutdown();
}
