// Registration and unregistration of the product.
#include "corvale/Registration.h"

#include "corvale/LibraryFolder.h"
#include "corvale/RegistryRow.h"
#include "corvale/Resource.h"
#include "corvale/StringTable.h"
#include "platform/module/Module.h"
#include "platform/process/CurrentDirectory.h"
#include "platform/registry/Registry.h"
#include "platform/ui/MessageBox.h"

namespace corvale {
namespace {

using EntryPoint = HRESULT (*)();

} // namespace

void RunCompanionStep(const std::string& strLibraryFolder, unsigned int nId,
                      const char* pszEntryName) {
    const std::string strRow = LoadResourceString(nId);
    if (strRow.empty())
        return;
    const std::string strModulePath = strLibraryFolder + strRow;
    // The module runs with its own folder as the current directory, which stays set afterwards.
    platform::SetCurrentNativeDirectory(
        platform::ToNativeModulePath(ModuleFolderOf(strModulePath)));
    platform::CModule module;
    if (!module.Load(strModulePath))
        return;
    if (platform::ModuleProc pProc = module.FindExport(pszEntryName)) {
        try {
            reinterpret_cast<EntryPoint>(pProc)();
        } catch (...) {
            // What a companion does is its own affair; the next one still runs.
        }
    }
    // The module is unloaded here, before the next one is loaded.
}

HRESULT RegisterProduct() {
    const std::string strKeyPath = LoadResourceString(IDS_CLASS_KEY);
    platform::CRegistryKey key;
    if (!key.Create(platform::RegistryRoot::ClassesRoot, strKeyPath)) {
        platform::ShowMessageBox(FileTitleOf(GetLibraryFile()), "Fail Regist");
        return E_UNEXPECTED;
    }
    for (unsigned int nId = IDS_VALUE_FIRST; nId <= IDS_VALUE_LAST; ++nId)
        WriteRegistryRow(key, nId);
    key.Close();

    const std::string strFolder = GetLibraryFolder(true);
    for (unsigned int nId = IDS_MODULE_FIRST; nId <= IDS_MODULE_LAST; ++nId)
        RunCompanionStep(strFolder, nId, "DllRegisterServer");
    return S_OK;
}

HRESULT UnregisterProduct() {
    const std::string strFolder = GetLibraryFolder(true);
    for (unsigned int nId = IDS_MODULE_LAST; nId >= IDS_MODULE_FIRST; --nId)
        RunCompanionStep(strFolder, nId, "DllUnregisterServer");
    platform::DeleteRegistryKey(platform::RegistryRoot::ClassesRoot,
                                LoadResourceString(IDS_CLASS_KEY));
    return S_OK;
}

} // namespace corvale
