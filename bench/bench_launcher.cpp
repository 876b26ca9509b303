// Speed of the launcher with 1000 stored commands: loading the command table alone,
// setList (table, a list of commands filled as the main window fills it, grammar handed
// to the recogniser), and the dispatch of the phrase in the last row. Runs the real
// launcher off screen with the console speech engines. Prints a table and writes the figures as
// JSON.
#include "bench/BenchStore.h"
#include "bench/BenchTable.h"
#include "commands/CommandStore.h"
#include "launcher/Dispatcher.h"
#include "launcher/Launcher.h"
#include "platform/audio/PulseAudio.h"
#include "platform/clock/Clock.h"
#include "platform/dialogs/ConsoleDialogs.h"
#include "platform/registry/SqliteRegistry.h"
#include "platform/session/LogindSession.h"
#include "platform/shell/ProcessShell.h"
#include "platform/x11/X11Desktop.h"
#include "speech/ConsoleRecognizer.h"
#include "speech/ConsoleSynthesizer.h"
#include "store/RegistryPaths.h"
#include "store/modReg.h"

#include <QApplication>
#include <QListWidget>
#include <QTemporaryDir>
#include <cstdio>

using namespace platform;

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchStore store;
    SqliteRegistry& registry = store.registry;
    ConsoleDialogs& dialogs = store.dialogs;
    modReg& reg = store.reg;
    QTemporaryDir& dir = store.dir;
    for (int i = 1; i <= CommandTable::kRows; ++i) {
        const QString phrase = QStringLiteral("Command number %1").arg(i);
        reg.WriteRegValue(HKEY_LOCAL_MACHINE, regpath::kListList, phrase,
                          QStringLiteral("/usr/bin/program-%1").arg(i), REG_SZ);
        reg.WriteRegValue(HKEY_LOCAL_MACHINE, regpath::kListCheck, phrase, i % 2, REG_SZ);
    }
    reg.WriteRegValue(HKEY_LOCAL_MACHINE, regpath::kList, QStringLiteral("numItems"),
                      CommandTable::kRows, REG_SZ);
    // Found, but "do nothing" as the confirmation setting: the dispatch is measured, not a
    // program start.
    reg.WriteRegValue(HKEY_LOCAL_MACHINE, regpath::kOptions, QStringLiteral("comFirmExe"), 2,
                      REG_SZ);

    SystemClock clock;
    X11Desktop desktop(":no-display");
    ProcessShell shell;
    PulseAudio audio(dir.filePath(QStringLiteral("no-sound-server")));
    LogindSession session;
    const Platform services{&registry, &dialogs, &clock, &desktop, &shell, &audio, &session};
    std::FILE* quiet = std::fopen("/dev/null", "w");
    Launcher launcher(services, new ConsoleRecognizer(-1), new ConsoleSynthesizer(quiet),
                      QStringLiteral("/usr/bin/zorv"));
    QListWidget list;
    QObject::connect(&launcher, &Launcher::commandsListed, &list, &QListWidget::addItems);
    QObject::connect(&launcher, &Launcher::commandListCleared, &list, &QListWidget::clear);
    launcher.load();

    std::vector<Figure> figures;
    CommandTable table;
    QStringList phrases;
    figures.push_back(measure("load 1000 commands", 30, 0, [&] {
        phrases.clear();
        LoadCommandTable(reg, table, [&](const QString& p) { phrases << p; });
    }));
    figures.push_back(
        measure("setList with 1000 commands", 30, 50000.0, [&] { launcher.reloadCommands(); }));
    const QString last = QStringLiteral("Command number %1").arg(CommandTable::kRows);
    if (list.count() != CommandTable::kRows + 19 ||
        list.item(CommandTable::kRows - 1)->text() != last) {
        std::fprintf(stderr, "bench_launcher: the list of commands is not as stored\n");
        return 1;
    }
    figures.push_back(measure("dispatch the last of 1000 phrases", 1000, 1000.0,
                              [&] { launcher.dispatcher().PhraseHeard(last); }));

    const bool met = report(figures, argc > 1 ? argv[1] : nullptr);
    launcher.endProgram();
    return met ? 0 : 1;
}
