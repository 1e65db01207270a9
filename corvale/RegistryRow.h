// Value rows: "TYPE<TAB>NAME<TAB>VALUE" texts of the string table, written as registry values.
#pragma once

#include "platform/registry/Registry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace corvale {

// A row is cut to this many characters before it is split (the work buffer holds one more).
constexpr std::size_t kMaxRowChars = 4095;

// Writes the value row with that id of the string table into the open key. Always 1; a value
// that cannot be written, and a row of fewer than three fields, write nothing.
int WriteRegistryRow(platform::CRegistryKey& key, unsigned int nId);

// The same for a row given as text; strInstallDir replaces a value "%InstallDir%".
int WriteRegistryRowText(platform::CRegistryKey& key, const std::string& strRow,
                         const std::string& strInstallDir);

// The fields of a row as strtok finds them with the delimiter TAB: a run of TABs separates
// once, TABs at either end give no field, so no field is empty.
std::vector<std::string> SplitRowFields(const std::string& strRow);

// A number as atoi reads it: leading white space, one sign, then digits up to the first other
// character; no digits give 0. A number beyond the 32-bit range gives the nearest limit.
std::int32_t ParseRowNumber(const std::string& strText);

} // namespace corvale
