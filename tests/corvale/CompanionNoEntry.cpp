// A companion module without entry points: it only records being loaded and unloaded.
#include "tests/corvale/CompanionRecord.h"
