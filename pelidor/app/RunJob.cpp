// The job run. There is no transfer engine yet, so no URL can be fetched: the run reports that
// no connection could be made.
#include "pelidor/app/PelidorApp.h"

RESULT_CODE CPelidorApp::RunJob() {
    return RC_NO_CONNECTION;
}
