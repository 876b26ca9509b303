#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Key handles, hives and result codes follow the registry conventions the program
// was designed around, so that the store answers with the codes callers expect.
using HKey = std::uintptr_t;

constexpr HKey kNullKey = 0;
constexpr HKey HKEY_CURRENT_USER = 0x80000001;
constexpr HKey HKEY_LOCAL_MACHINE = 0x80000002;

constexpr long ERROR_SUCCESS = 0;
constexpr long ERROR_FILE_NOT_FOUND = 2;
constexpr long ERROR_ACCESS_DENIED = 5;
constexpr long ERROR_INVALID_HANDLE = 6;
constexpr long ERROR_MORE_DATA = 234;
constexpr long ERROR_NO_MORE_ITEMS = 259;
constexpr long ERROR_REGISTRY_CORRUPT = 1015;
constexpr long ERROR_REGISTRY_IO_FAILED = 1016;
constexpr long ERROR_KEY_DELETED = 1018;

enum RegType : std::uint32_t
{
    REG_NONE = 0,
    REG_SZ = 1,
    REG_EXPAND_SZ = 2,
    REG_BINARY = 3,
    REG_DWORD = 4,
};

using Bytes = std::vector<std::uint8_t>;

// The persistent hierarchical key/value store. Key paths are relative to a hive and
// use backslashes; key paths and value names compare without regard to case. Values
// keep the order in which they were first written; overwriting keeps the place.
class Registry
{
public:
    virtual ~Registry() = default;

    // Opens an existing key. ERROR_FILE_NOT_FOUND when it does not exist.
    virtual long openKey(HKey hive, const std::string& path, HKey* result) = 0;
    // Opens a key, creating it and its missing parents. Only installation tools use it.
    virtual long createKey(HKey hive, const std::string& path, HKey* result) = 0;
    virtual long closeKey(HKey key) = 0;

    virtual long queryValue(HKey key, const std::string& name, RegType* type, Bytes* data) = 0;
    virtual long setValue(HKey key, const std::string& name, RegType type, const Bytes& data) = 0;
    virtual long deleteValue(HKey key, const std::string& name) = 0;
    // Value number `index` in store order; ERROR_NO_MORE_ITEMS past the last one.
    virtual long enumValue(HKey key, std::uint32_t index, std::string* name, RegType* type,
                           Bytes* data) = 0;
    // Direct subkey number `index` (its last path component), in creation order.
    virtual long enumKey(HKey key, std::uint32_t index, std::string* name) = 0;
    // Removes a key with its values and subkeys. Only installation tools use it.
    virtual long deleteKey(HKey hive, const std::string& path) = 0;
};

} // namespace platform
