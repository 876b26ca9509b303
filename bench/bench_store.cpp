// Speed of the settings store as the program uses it: single writes and reads through
// the registry layer, loading the options at start-up, and enumerating a command list
// of 1000 entries. Prints a table and writes the figures as JSON.
#include "commands/RegistryPaths.h"
#include "commands/modReg.h"
#include "options/OptionsStore.h"
#include "platform/dialogs/ConsoleDialogs.h"
#include "platform/registry/SqliteRegistry.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace platform;

namespace {

struct Figure
{
    const char* name;
    int runs;
    double medianUs;
    double p95Us;
};

Figure measure(const char* name, int runs, const std::function<void(int)>& work)
{
    std::vector<double> us;
    us.reserve(static_cast<size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work(i);
        us.push_back(static_cast<double>(t.nsecsElapsed()) / 1000.0);
    }
    std::sort(us.begin(), us.end());
    return {name, runs, us[us.size() / 2], us[us.size() * 95 / 100]};
}

void createKey(Registry& r, const QString& path)
{
    HKey key = kNullKey;
    r.createKey(HKEY_LOCAL_MACHINE, path.toStdString(), &key);
    r.closeKey(key);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    SqliteRegistry registry(dir.filePath(QStringLiteral("registry.db")));
    ConsoleDialogs dialogs;
    modReg reg(registry, dialogs);
    for (const QString& k :
         {regpath::kList, regpath::kListList, regpath::kListCheck, regpath::kOptions})
        createKey(registry, k);

    std::vector<Figure> figures;
    figures.push_back(measure("write one option", 500, [&](int i) {
        reg.WriteRegValue(HKEY_LOCAL_MACHINE, regpath::kOptions, QStringLiteral("tcomt"),
                          QString::number(i), REG_SZ);
    }));
    figures.push_back(measure("read one option", 2000, [&](int) {
        reg.ReadRegValue(regpath::kOptions, QStringLiteral("tcomt"));
    }));
    figures.push_back(measure("load all options", 500, [&](int) { LoadOptions(reg); }));
    figures.push_back(measure("save all options", 100, [&](int) {
        const LoadedOptions o = LoadOptions(reg);
        SaveOptions(reg, o.options, o.comFirmExe, {});
    }));
    for (int i = 0; i < 1000; ++i)
        reg.WriteRegValue(HKEY_LOCAL_MACHINE, regpath::kListList,
                          QStringLiteral("Command %1").arg(i),
                          QStringLiteral("/usr/bin/program-%1").arg(i), REG_SZ);
    figures.push_back(measure("enumerate 1000 commands", 50, [&](int) {
        HKey key = kNullKey;
        registry.openKey(HKEY_LOCAL_MACHINE, regpath::kListList.toStdString(), &key);
        std::string name;
        RegType type;
        Bytes data;
        for (std::uint32_t i = 0; registry.enumValue(key, i, &name, &type, &data) == 0; ++i) {
        }
        registry.closeKey(key);
    }));

    std::printf("%-26s %8s %12s %12s\n", "operation", "runs", "median us", "p95 us");
    QJsonObject json;
    for (const Figure& f : figures) {
        std::printf("%-26s %8d %12.1f %12.1f\n", f.name, f.runs, f.medianUs, f.p95Us);
        json.insert(QString::fromLatin1(f.name),
                    QJsonObject{{"runs", f.runs}, {"median_us", f.medianUs}, {"p95_us", f.p95Us}});
    }
    if (argc > 1) {
        QFile out(QString::fromLocal8Bit(argv[1]));
        if (out.open(QIODevice::WriteOnly))
            out.write(QJsonDocument(json).toJson());
    }
    return 0;
}
