// Posts the completion notice through the platform's session-wide broadcast.
#include "pelidor/app/CompletionNotice.h"

#include "platform/notice/Notice.h"

void PostCompletionNotice(RESULT_CODE code) {
    platform::PostNotice("Pelidor", code);
}
