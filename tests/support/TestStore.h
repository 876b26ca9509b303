#pragma once

#include "platform/registry/SqliteRegistry.h"
#include "store/modReg.h"
#include "tests/support/RecordingDialogs.h"
#include "tests/support/TempDir.h"

#include <optional>
#include <sstream>

// A real store in a temporary folder, with the program's registry layer over it and
// dialogs that record every message.
class TestStore
{
public:
    TestStore();

    // The keys a new installation has.
    void createProductKeys();
    void createKey(const QString& path);
    // Writes `text` under HKEY_LOCAL_MACHINE as the program writes text.
    void setText(const QString& key, const QString& name, const QString& text);
    // The stored type and bytes, or nothing when the value is missing.
    std::optional<std::pair<platform::RegType, platform::Bytes>> raw(const QString& key,
                                                                     const QString& name);
    // The stored text without its NUL, or nothing when missing.
    std::optional<QString> text(const QString& key, const QString& name);

    TempDir dir;
    std::ostringstream diagnostics;
    platform::SqliteRegistry registry;
    RecordingDialogs dialogs;
    modReg reg;
};
