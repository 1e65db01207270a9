// The file exception: thrown by the file class and the file-status services when a write,
// flush, close, status write or removal fails.
#pragma once

#include <stdexcept>
#include <string>

namespace platform {

class CFileException : public std::runtime_error {
public:
    // what: the failing step; osError: the system's error number (0 for a simulated fault).
    CFileException(const std::string& what, int osError)
        : std::runtime_error(what), m_nOsError(osError) {}

    int OsError() const { return m_nOsError; }

private:
    int m_nOsError;
};

} // namespace platform
