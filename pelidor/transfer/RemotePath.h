// The folder part and the file name of a remote object path ("/" separated).
#pragma once

#include <cstdint>
#include <string>

// Up to the last "/": with it when keepSeparator is non-zero; without it otherwise ("/" when
// that is the first character). Empty when the path has no "/".
std::string GetRemoteFolder(const std::string& path, std::int32_t keepSeparator);
// After the last "/"; empty when there is none or the path ends in "/".
std::string GetRemoteFileName(const std::string& path);
