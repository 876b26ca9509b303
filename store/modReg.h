#pragma once

#include "platform/registry/Registry.h"
#include "store/RegValue.h"

#include <QString>

namespace platform {
class Dialogs;
}

// The one way the program reads, writes and deletes its persisted values. Each
// operation opens its key, works on one value and closes the key again. Only writes
// tell the user anything, through two message boxes titled with the application title.
class modReg
{
public:
    modReg(platform::Registry& registry, platform::Dialogs& dialogs);

    void WriteRegValue(platform::HKey hive, const QString& path, const QString& name,
                       const RegValue& value, int type);
    // Fixed to HKEY_LOCAL_MACHINE; empty when nothing could be read.
    RegValue ReadRegValue(const QString& path, const QString& name);
    void DeleteRegValue(platform::HKey hive, const QString& path, const QString& name);

    // The inner steps on an open key.
    long SetValueOnKey(platform::HKey key, const QString& name, int type, const RegValue& value);
    // 0 on success, the store's error code, or -1 for a type that is not handled.
    long QueryValueOnKey(platform::HKey key, const QString& name, RegValue& value);

    platform::Registry& registry() { return registry_; }
    platform::Dialogs& dialogs() { return dialogs_; }

private:
    platform::Registry& registry_;
    platform::Dialogs& dialogs_;
};
