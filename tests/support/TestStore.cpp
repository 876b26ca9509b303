#include "tests/support/TestStore.h"

#include "store/RegistryPaths.h"

#include <gtest/gtest.h>

using namespace platform;

TestStore::TestStore()
    : registry(dir.file(QStringLiteral("registry.db")), QStringLiteral("zorv"), diagnostics),
      reg(registry, dialogs)
{
}

void TestStore::createKey(const QString& path)
{
    HKey key = kNullKey;
    ASSERT_EQ(registry.createKey(HKEY_LOCAL_MACHINE, path.toStdString(), &key), ERROR_SUCCESS);
    registry.closeKey(key);
}

void TestStore::createProductKeys()
{
    for (const QString& path : {regpath::kProduct, regpath::kList, regpath::kListList,
                                regpath::kListCheck, regpath::kOptions, regpath::kRun})
        createKey(path);
}

void TestStore::setText(const QString& key, const QString& name, const QString& text)
{
    reg.WriteRegValue(HKEY_LOCAL_MACHINE, key, name, text, REG_SZ);
}

std::optional<std::pair<RegType, Bytes>> TestStore::raw(const QString& key, const QString& name)
{
    HKey handle = kNullKey;
    if (registry.openKey(HKEY_LOCAL_MACHINE, key.toStdString(), &handle) != ERROR_SUCCESS)
        return std::nullopt;
    RegType type = REG_NONE;
    Bytes data;
    const long status = registry.queryValue(handle, name.toStdString(), &type, &data);
    registry.closeKey(handle);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    return std::make_pair(type, data);
}

std::optional<QString> TestStore::text(const QString& key, const QString& name)
{
    const auto value = raw(key, name);
    if (!value)
        return std::nullopt;
    Bytes data = value->second;
    if (!data.empty() && data.back() == 0)
        data.pop_back();
    return QString::fromUtf8(reinterpret_cast<const char*>(data.data()),
                             static_cast<qsizetype>(data.size()));
}
