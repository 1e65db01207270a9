// The completion notice: one broadcast of the run's result code under the name "Pelidor".
#pragma once

#include "pelidor/app/ResultCodes.h"

// Posts the notice without waiting for any receiver; a failure to post is ignored.
void PostCompletionNotice(RESULT_CODE code);
