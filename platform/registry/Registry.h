#pragma once

#include <cstddef>
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
constexpr long ERROR_DISK_FULL = 112;
constexpr long ERROR_BUSY = 170;
constexpr long ERROR_MORE_DATA = 234;
constexpr long ERROR_NO_MORE_ITEMS = 259;
constexpr long ERROR_BADKEY = 1010;
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

// The longest key path below a hive and the longest name of one key in it, in bytes
// of UTF-8. Every key
// row holds its whole path, so the bound on the path bounds what one key can cost.
constexpr std::size_t kMaxKeyPath = 1024;
constexpr std::size_t kMaxKeyName = 255;

// Whether a key path (components between backslashes; empty ones do not count) is
// within kMaxKeyPath and each of its names within kMaxKeyName.
inline bool keyPathFits(const std::string& path)
{
    std::size_t length = 0, name = 0;
    for (const char c : path + '\\') {
        if (c != '\\') {
            ++name;
            continue;
        }
        if (name > kMaxKeyName)
            return false;
        if (name > 0)
            length += name + (length > 0 ? 1 : 0);
        name = 0;
    }
    return length <= kMaxKeyPath;
}

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
    // ERROR_BADKEY for a path longer than kMaxKeyPath or a name longer than kMaxKeyName.
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

    // The changes made between beginChanges() and endChanges() are kept all together
    // (endChanges(true)) or not at all (endChanges(false), or a failure on the way).
    // A store without that keeps each change as it is made.
    virtual long beginChanges() { return ERROR_SUCCESS; }
    virtual long endChanges(bool keep)
    {
        (void)keep;
        return ERROR_SUCCESS;
    }
};

} // namespace platform
