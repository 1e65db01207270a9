// The registry store: keys addressed by a `\`-separated path under a named root, each holding
// named values of a type with their bytes. Key and value names match without regard to ASCII
// case and keep the case they were first given. Every write is one transaction of the store,
// and writers in other processes wait for each other instead of failing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

// Value types, numbered as the Windows registry numbers them.
constexpr std::uint32_t REG_NONE = 0;
constexpr std::uint32_t REG_SZ = 1;
constexpr std::uint32_t REG_EXPAND_SZ = 2;
constexpr std::uint32_t REG_BINARY = 3;
constexpr std::uint32_t REG_DWORD = 4;
constexpr std::uint32_t REG_MULTI_SZ = 7;
constexpr std::uint32_t REG_QWORD = 11;

struct RegistryValue {
    std::string strName;
    std::uint32_t nType = REG_NONE;
    std::vector<unsigned char> arrData;
};

enum class RegistryAccess { Read, ReadWrite };

// "HKEY_CLASSES_ROOT" or its short form "HKCR" (any ASCII case), and the other roots alike.
bool ParseRegistryRoot(const std::string& strName, RegistryRoot& root);
// The long name of a root, "HKEY_CLASSES_ROOT".
const char* RegistryRootName(RegistryRoot root);
// The name of a value type ("REG_SZ"); empty for a type without a name.
const char* RegistryTypeName(std::uint32_t nType);

// Bytes of a REG_SZ value: the text and one zero byte.
std::vector<unsigned char> EncodeRegistryString(const std::string& strText);
// Bytes of a REG_DWORD value: 4 bytes, least significant first.
std::vector<unsigned char> EncodeRegistryDword(std::uint32_t nValue);

// Splits a key path at `\` into its names. An empty path names the root itself; an empty name
// inside the path (a leading, trailing or doubled `\`) makes the path invalid.
bool SplitRegistryPath(const std::string& strPath, std::vector<std::string>& arrNames);

// The store's file: CORVALE_REGISTRY, else $XDG_DATA_HOME/norvane/registry.db with
// XDG_DATA_HOME defaulting to ~/.local/share. Read afresh at each call.
std::string RegistryStorePath();

// An open key. Each open key holds its own connection to the store; closing the key (or
// destroying it) releases it.
class CRegistryKey {
public:
    CRegistryKey();
    ~CRegistryKey();
    CRegistryKey(CRegistryKey&& other) noexcept;
    CRegistryKey& operator=(CRegistryKey&& other) noexcept;
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;

    // Opens the key for writing, creating it and its missing parents first. Fails when the
    // path is invalid or the store cannot be written.
    bool Create(RegistryRoot root, const std::string& strPath);
    // Opens an existing key. ReadWrite fails when the store cannot be written.
    bool Open(RegistryRoot root, const std::string& strPath, RegistryAccess access);
    void Close();
    bool IsOpen() const;

    // Writes (or replaces) one value; false when the key is closed, read-only, deleted in the
    // meantime, or the store refuses the write.
    bool SetValue(const std::string& strName, std::uint32_t nType,
                  const std::vector<unsigned char>& arrData);
    // All values in the order they were first written.
    bool QueryValues(std::vector<RegistryValue>& arrValues) const;
    // The names of the direct subkeys, in the order they were created.
    bool QuerySubkeys(std::vector<std::string>& arrNames) const;

private:
    struct CImpl;
    std::unique_ptr<CImpl> m_pImpl;
};

// Deletes a key with its values. Refused (false) for a root, a key that does not exist, a key
// that still has subkeys, and a store that cannot be written.
bool DeleteRegistryKey(RegistryRoot root, const std::string& strPath);

} // namespace platform
