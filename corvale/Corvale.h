// Corvale's self-registration entry points, the only functions the library exports.
#pragma once

#include <cstdint>

// A 32-bit status: 0 is success, a set top bit a failure.
using HRESULT = std::int32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);

#define CORVALE_EXPORT __attribute__((visibility("default")))

extern "C" {
// Records the product's values under its class-ID key, then lets each companion module register
// itself. S_OK, or E_UNEXPECTED when the key could not be created or opened.
CORVALE_EXPORT HRESULT DllRegisterServer();
// Lets the companion modules unregister themselves in the opposite order, then deletes the key.
// Always S_OK.
CORVALE_EXPORT HRESULT DllUnregisterServer();
}
