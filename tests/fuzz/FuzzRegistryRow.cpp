// Fuzz target: the value-row split and the number conversion of Corvale, checked against the
// C library functions they stand for: the fields must be those strtok finds with the
// delimiter TAB, and the number must be what strtol reads, brought into the 32-bit range.
#include "corvale/RegistryRow.h"

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

std::vector<std::string> StrtokFields(const std::string& row) {
    std::vector<char> buffer(row.begin(), row.end());
    buffer.push_back('\0');
    std::vector<std::string> fields;
    char* saved = nullptr;
    for (char* token = strtok_r(buffer.data(), "\t", &saved); token != nullptr;
         token = strtok_r(nullptr, "\t", &saved))
        fields.emplace_back(token);
    return fields;
}

std::int32_t StrtolNumber(const std::string& text) {
    errno = 0;
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    // Rows come from a string table as zero-terminated text.
    const std::string row = input.substr(0, std::strlen(input.c_str()));

    const std::vector<std::string> fields = corvale::SplitRowFields(row);
    Require(fields == StrtokFields(row));
    for (const std::string& field : fields)
        Require(!field.empty() && field.find('\t') == std::string::npos);

    Require(corvale::ParseRowNumber(row) == StrtolNumber(row));
    if (fields.size() >= 3)
        Require(corvale::ParseRowNumber(fields[2]) == StrtolNumber(fields[2]));
    // Text after a zero byte is not read.
    Require(corvale::ParseRowNumber(input) == StrtolNumber(input));
    return 0;
}
