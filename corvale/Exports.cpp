// The library's exports. No exception may cross into the caller, which is not C++ code.
#include "corvale/Corvale.h"
#include "corvale/Registration.h"

extern "C" CORVALE_EXPORT HRESULT DllRegisterServer() {
    try {
        return corvale::RegisterProduct();
    } catch (...) {
        return E_UNEXPECTED;
    }
}

extern "C" CORVALE_EXPORT HRESULT DllUnregisterServer() {
    try {
        return corvale::UnregisterProduct();
    } catch (...) {
        return S_OK;
    }
}
