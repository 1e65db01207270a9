// Loadable modules: a shared object loaded by its path whatever its file name (".dll", ".fil"),
// its exported functions looked up by name, and the file of the module that holds a function.
#pragma once

#include <string>

namespace platform {

// An exported function as looked up; the caller casts it to the function's real type.
using ModuleProc = void (*)();

// A module path as callers write it (with `\` or `/` separators) as a native path.
std::string ToNativeModulePath(const std::string& strPath);

// The absolute path of the module (program or shared object) that contains the function;
// empty when it cannot be found.
std::string GetModuleFileOf(ModuleProc pAnyFunction);

// One loaded module; unloaded by Unload or the destructor.
class CModule {
public:
    CModule() = default;
    ~CModule();
    CModule(const CModule&) = delete;
    CModule& operator=(const CModule&) = delete;

    // Loads the module at the path, resolving all of its symbols now and keeping them local
    // to it. False when the file is missing or not a loadable module (see GetLoadError).
    bool Load(const std::string& strPath);
    bool IsLoaded() const { return m_hModule != nullptr; }
    // The export of that name, or nullptr when the module has none.
    ModuleProc FindExport(const std::string& strName) const;
    void Unload();
    // Why the last Load failed, for messages.
    const std::string& GetLoadError() const { return m_strError; }

private:
    void* m_hModule = nullptr;
    std::string m_strError;
};

} // namespace platform
