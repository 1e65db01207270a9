// Ids of the library's string table.
#pragma once

namespace corvale {

// Path of the class-ID key, relative to the class root.
constexpr unsigned int IDS_CLASS_KEY = 1000;
// Value rows: "TYPE<TAB>NAME<TAB>VALUE".
constexpr unsigned int IDS_VALUE_FIRST = 1001;
constexpr unsigned int IDS_VALUE_LAST = 1003;
// Module rows: companion module paths relative to the library folder; ids without a string
// are skipped.
constexpr unsigned int IDS_MODULE_FIRST = 1100;
constexpr unsigned int IDS_MODULE_LAST = 1109;

} // namespace corvale
