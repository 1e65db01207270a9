// The internet exception: a transport failure of the HTTP client (refused, reset, name not
// found, time-out, a body shorter than announced or a broken chunked body). Thrown by the
// connection and request classes; caught by the operation that made the call.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

class CInternetException : public std::runtime_error {
public:
    CInternetException(std::uint32_t errorCode, const std::string& what)
        : std::runtime_error(what), m_nErrorCode(errorCode) {}

    // The client's own error number (a transport error code); 0 when none applies.
    std::uint32_t GetErrorCode() const { return m_nErrorCode; }

private:
    std::uint32_t m_nErrorCode;
};
