// The completion notice: one integer broadcast to every listener of the desktop session,
// keyed by a registered name, posted without waiting for anyone to receive it.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Posts the notice `name` carrying `code`. A missing session bus or any failure is ignored.
void PostNotice(const std::string& name, std::int32_t code);

} // namespace platform
