// A companion module for the registration tests: records its loading, its entry point calls
// and its unloading. Its entry points report a failure, which the caller must ignore.
#include "tests/corvale/CompanionRecord.h"

#include <cstdint>

extern "C" __attribute__((visibility("default"))) std::int32_t DllRegisterServer() {
    RecordCompanionEvent("register");
    return static_cast<std::int32_t>(0x80004005u);
}

extern "C" __attribute__((visibility("default"))) std::int32_t DllUnregisterServer() {
    RecordCompanionEvent("unregister");
    return static_cast<std::int32_t>(0x80004005u);
}
