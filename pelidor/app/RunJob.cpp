// The job run: every URL of the job fetched in turn into the work folder, each by a transfer
// object of its own; the first failure is the run's result and the other URLs are still tried.
#include "pelidor/app/JobUrl.h"
#include "pelidor/app/PelidorApp.h"
#include "pelidor/transfer/HttpOperation.h"

namespace {

const char* const kAgent = "NORVANE/1.0/Pelidor";

} // namespace

RESULT_CODE CPelidorApp::RunJob() {
    RESULT_CODE result = RC_SUCCESS;
    for (const std::string& url : m_arrUrls) {
        JobUrlParts parts;
        RESULT_CODE code = SplitJobUrl(url, m_strScheme, m_chSeparator, parts);
        if (code == RC_SUCCESS) {
            const std::string destination = m_strWorkFolder + parts.strFileName;
            // One transfer object per URL: nothing of one transfer survives into the next.
            CHttpOperation operation(kAgent);
            code = operation.Connect(parts.strServer, "", "");
            if (code == RC_SUCCESS)
                code = operation.QueryRemoteFile(parts.strObjectPath, nullptr);
            if (code == RC_SUCCESS)
                code = operation.StartDownload(parts.strObjectPath, destination, 1);
            if (code == RC_SUCCESS)
                code = operation.WaitDownload();
        }
        if (code != RC_SUCCESS && result == RC_SUCCESS)
            result = code;
    }
    return result;
}
