// Registration and unregistration of the product: the class-ID key with its values and the
// companion modules found relative to the library folder.
#pragma once

#include "corvale/Corvale.h"

#include <string>

namespace corvale {

// The body of DllRegisterServer.
HRESULT RegisterProduct();
// The body of DllUnregisterServer.
HRESULT UnregisterProduct();

// One companion module: the module row with that id, relative to strLibraryFolder (which ends
// with its separator), becomes the current directory's folder, is loaded, its entry point of
// that name called, and unloaded. A row without text, a module that does not load and one
// without the entry point are passed over.
void RunCompanionStep(const std::string& strLibraryFolder, unsigned int nId,
                      const char* pszEntryName);

} // namespace corvale
