#pragma once

#include "platform/registry/Registry.h"

#include <set>
#include <string>

// Passes everything to a real store but refuses to write the named values, as a store
// the user may read and not write would.
class WriteRefusingRegistry : public platform::Registry
{
public:
    explicit WriteRefusingRegistry(platform::Registry& inner) : inner_(inner) {}

    std::set<std::string> refused; // value names whose writes fail

    long openKey(platform::HKey hive, const std::string& path, platform::HKey* result) override
    {
        return inner_.openKey(hive, path, result);
    }
    long createKey(platform::HKey hive, const std::string& path, platform::HKey* result) override
    {
        return inner_.createKey(hive, path, result);
    }
    long closeKey(platform::HKey key) override { return inner_.closeKey(key); }
    long queryValue(platform::HKey key, const std::string& name, platform::RegType* type,
                    platform::Bytes* data) override
    {
        return inner_.queryValue(key, name, type, data);
    }
    long setValue(platform::HKey key, const std::string& name, platform::RegType type,
                  const platform::Bytes& data) override
    {
        if (refused.count(name))
            return platform::ERROR_ACCESS_DENIED;
        return inner_.setValue(key, name, type, data);
    }
    long deleteValue(platform::HKey key, const std::string& name) override
    {
        return inner_.deleteValue(key, name);
    }
    long enumValue(platform::HKey key, std::uint32_t index, std::string* name,
                   platform::RegType* type, platform::Bytes* data) override
    {
        return inner_.enumValue(key, index, name, type, data);
    }
    long enumKey(platform::HKey key, std::uint32_t index, std::string* name) override
    {
        return inner_.enumKey(key, index, name);
    }
    long deleteKey(platform::HKey hive, const std::string& path) override
    {
        return inner_.deleteKey(hive, path);
    }
    long beginChanges() override { return inner_.beginChanges(); }
    long endChanges(bool keep) override { return inner_.endChanges(keep); }

private:
    platform::Registry& inner_;
};
