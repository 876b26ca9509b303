#pragma once

#include "platform/dialogs/ConsoleDialogs.h"
#include "platform/registry/SqliteRegistry.h"
#include "store/RegistryPaths.h"
#include "store/modReg.h"

#include <QTemporaryDir>

// A fresh store in a temporary folder with the keys of the command list and the
// options, and the registry layer over it, as the program uses them.
struct BenchStore
{
    BenchStore()
    {
        for (const QString& k :
             {regpath::kList, regpath::kListList, regpath::kListCheck, regpath::kOptions}) {
            platform::HKey key = platform::kNullKey;
            registry.createKey(platform::HKEY_LOCAL_MACHINE, k.toStdString(), &key);
            registry.closeKey(key);
        }
    }

    QTemporaryDir dir;
    platform::SqliteRegistry registry{dir.filePath(QStringLiteral("registry.db"))};
    platform::ConsoleDialogs dialogs;
    modReg reg{registry, dialogs};
};
