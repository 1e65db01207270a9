// The library's string table, compiled into it.
#pragma once

#include <string>

namespace corvale {

// The string with that id; an id without a string gives the empty text.
std::string LoadResourceString(unsigned int nId);

} // namespace corvale
