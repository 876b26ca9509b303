// Speed of the settings store as the program uses it: single writes and reads through
// the registry layer, loading the options at start-up, and enumerating a command list
// of 1000 entries. Prints a table and writes the figures as JSON.
#include "bench/BenchStore.h"
#include "bench/BenchTable.h"
#include "commands/RegistryPaths.h"
#include "commands/modReg.h"
#include "options/OptionsStore.h"
#include "platform/dialogs/ConsoleDialogs.h"
#include "platform/registry/SqliteRegistry.h"

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
    figures.push_back(measure("save all options", 100, 0, [&] {
        const LoadedOptions o = LoadOptions(reg);
        SaveOptions(reg, o.options, o.comFirmExe, {});
    }));
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

    return report(figures, argc > 1 ? argv[1] : nullptr) ? 0 : 1;
}
