// Fault seams of the internet layer for tests: make the creation of a session fail, or the
// read or set of one numeric option. Everything works normally unless a test turns a fault on.
#pragma once

#include <cstdint>

namespace platform {

void SetSessionOpenFailure(bool fail);
// Makes QueryOption (read) and/or SetOption (set) of option id fail; false, false clears it.
void SetOptionFailure(std::uint32_t id, bool failRead, bool failSet);
// Turns every internet fault off.
void ClearInternetFaults();

// Queried by the session.
bool IsSessionOpenFailing();
bool IsOptionReadFailing(std::uint32_t id);
bool IsOptionSetFailing(std::uint32_t id);

} // namespace platform
