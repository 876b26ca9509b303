// Speed of the settings store as the program uses it: single writes and reads through
// the registry layer, loading the options at start-up, and enumerating a command list
// of 1000 entries, importing .reg files (re-importing exports of one large binary value,
// and a file of 12,000 values applied as one change). Prints a table and writes the
// figures as JSON.
#include "bench/BenchStore.h"
#include "bench/BenchTable.h"
#include "options/OptionsStore.h"
#include "platform/dialogs/ConsoleDialogs.h"
#include "platform/registry/RegFile.h"
#include "platform/registry/SqliteRegistry.h"
#include "store/RegistryPaths.h"
#include "store/modReg.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <vector>

using namespace platform;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    BenchStore store;
    SqliteRegistry& registry = store.registry;
    modReg& reg = store.reg;

    std::vector<Figure> figures;
    figures.push_back(measure("write one option", 500, 0, [&, i = 0]() mutable {
        reg.WriteRegValue(HKEY_LOCAL_MACHINE, regpath::kOptions, QStringLiteral("tcomt"),
                          QString::number(i++), REG_SZ);
    }));
    figures.push_back(measure("read one option", 2000, 0, [&] {
        reg.ReadRegValue(regpath::kOptions, QStringLiteral("tcomt"));
    }));
    figures.push_back(measure("load all options", 500, 0, [&] { LoadOptions(reg); }));
    figures.push_back(
        measure("save all options", 100, 0, [&] { SaveOptions(reg, LoadOptions(reg)); }));
    for (int i = 0; i < 1000; ++i)
        reg.WriteRegValue(HKEY_LOCAL_MACHINE, regpath::kListList,
                          QStringLiteral("Command %1").arg(i),
                          QStringLiteral("/usr/bin/program-%1").arg(i), REG_SZ);
    figures.push_back(measure("enumerate 1000 values", 50, 0, [&] {
        HKey key = kNullKey;
        registry.openKey(HKEY_LOCAL_MACHINE, regpath::kListList.toStdString(), &key);
        std::string name;
        RegType type;
        Bytes data;
        for (std::uint32_t i = 0; registry.enumValue(key, i, &name, &type, &data) == 0; ++i) {
        }
        registry.closeKey(key);
    }));

    // Re-importing what export wrote: a binary value runs over many continued lines.
    static const char* const kImportNames[] = {"re-import 0.4 MB binary value",
                                               "re-import 0.8 MB binary value",
                                               "re-import 1.6 MB binary value"};
    for (int i = 0; i < 3; ++i) {
        const std::string path = "Software\\Bench\\Binary" + std::to_string(i);
        HKey key = kNullKey;
        registry.createKey(HKEY_LOCAL_MACHINE, path, &key);
        Bytes blob(static_cast<std::size_t>(400 * 1024) << i);
        for (std::size_t b = 0; b < blob.size(); ++b)
            blob[b] = static_cast<std::uint8_t>(b * 7);
        registry.setValue(key, "blob", REG_BINARY, blob);
        registry.closeKey(key);
        QByteArray text;
        RegFile::write(registry, HKEY_LOCAL_MACHINE, path, &text);
        figures.push_back(measure(kImportNames[i], 5, 2e6 * (1 << i),
                                  [&] { RegFile::parse(text).apply(registry); }));
    }
    QByteArray many = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Bench\\Many]\n";
    for (int i = 0; i < 12000; ++i)
        many += "\"Value " + QByteArray::number(i) + "\"=\"" + QByteArray::number(i * 3) + "\"\n";
    figures.push_back(
        measure("import 12,000 values", 5, 0, [&] { RegFile::parse(many).apply(registry); }));

    return report(figures, argc > 1 ? argv[1] : nullptr) ? 0 : 1;
}
