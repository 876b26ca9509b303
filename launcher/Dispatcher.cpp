#include "launcher/Dispatcher.h"

#include "commands/CommandTable.h"
#include "launcher/LauncherState.h"
#include "launcher/Listening.h"
#include "launcher/SpokenAnswers.h"
#include "launcher/WindowCommands.h"
#include "launching/LaunchFailure.h"
#include "launching/sheller.h"
#include "options/Options.h"
#include "platform/dialogs/Dialogs.h"

#include <QTimer>

Dispatcher::Dispatcher(DispatchContext context) : c_(std::move(context)) {}

bool Dispatcher::gateClosedFor(const QString& phrase) const
{
    const LauncherState& s = c_.state;
    // A prompt on screen, or the window switcher, takes its answer until it closes, even
    // when the start phrase's time ran out while the user was reading it.
    const bool answering = s.confirmPending != 0 || s.cyclingWindows != 0;
    // While push-to-talk is on, holding the key is the start phrase.
    return c_.options.startPhraseOn() && !c_.options.pushToTalkOn() && s.startHeard == 0 &&
           !(answering && phrase != c_.options.startCommand);
}

bool Dispatcher::waitsForStartPhrase(const QString& phrase) const
{
    return gateClosedFor(phrase) && phrase != c_.options.startCommand;
}

void Dispatcher::PhraseHeard(const QString& phrase)
{
    LauncherState& s = c_.state;
    const bool answering = s.confirmPending != 0 || s.cyclingWindows != 0;
    if (gateClosedFor(phrase)) {
        if (phrase != c_.options.startCommand)
            return;
        s.startHeard = 1;
        // A zero time never closes the window by itself: the timer is not started.
        if (c_.tcom.interval() > 0)
            c_.tcom.start();
        c_.answers.Sounding();
        return;
    }
    if (answering) {
        answer(phrase);
        return;
    }
    // The built-in phrases are looked at inside the scan, for each row that does not
    // match: a user's phrase in row 1 beats a built-in one, a built-in one beats a user's
    // phrase in a later row.
    const int rows = c_.commands.count();
    for (int i = 1; i <= rows; ++i) {
        if (c_.commands.phrases[i].text() == phrase) {
            runUserCommand(i);
            return;
        }
        if (runBuiltin(phrase))
            return;
    }
    // Without a command of the user's, the built-in ones act all the same.
    if (rows == 0)
        runBuiltin(phrase);
}

bool Dispatcher::answer(const QString& phrase)
{
    LauncherState& s = c_.state;
    if (s.confirmPending == -1) {
        if (phrase == QLatin1String("Yes")) {
            c_.actions.closeConfirmation();
            s.confirmPending = 0;
            s.startHeard = 0;
            stopListeningFor(s.pendingCheck);
            runTarget(s.pendingTarget);
        } else if (phrase == QLatin1String("No")) {
            c_.actions.closeConfirmation();
            s.startHeard = 0;
            s.confirmPending = 0;
        }
        return true;
    }
    if (s.cyclingWindows == -1) {
        if (phrase == QLatin1String("Next")) {
            c_.windows.nextKeys();
        } else if (phrase == QLatin1String("Last")) {
            c_.windows.lastKeys();
        } else if (phrase == QLatin1String("Go")) {
            s.cyclingWindows = 0;
            c_.windows.goKeys();
            s.startHeard = 0;
        }
    }
    return true;
}

bool Dispatcher::runBuiltin(const QString& phrase)
{
    LauncherState& s = c_.state;
    MainWindowActions& a = c_.actions;
    WindowCommands& w = c_.windows;

    // Commands that close the start-phrase window before acting.
    const std::pair<const char*, std::function<void()>> closingFirst[] = {
        {"What Time Is It", [this] { c_.answers.speakTime(); }},
        {"Whats The Date", [this] { c_.answers.speakDate(); }},
        {"About Sarquen", [&a] { a.openAbout(); }},
        {"Close Window", [&w] { w.closewin(); }},
        {"Show Desktop", [&w] { w.showDesktop(); }},
        {"Run Program", [&w] { w.runProgram(); }},
        {"System Properties", [&w] { w.systemProperties(); }},
    };

    if (phrase == QLatin1String("Exit Sarquen")) {
        a.endProgram();
    } else if (phrase == QLatin1String("Minimize Sarquen")) {
        a.showMainWindow(true);
        s.startHeard = 0;
    } else if (phrase == QLatin1String("Maximize Sarquen") ||
               phrase == QLatin1String("Show Sarquen")) {
        a.showMainWindow(false);
        s.startHeard = 0;
    } else if (phrase == QLatin1String("Hide Sarquen")) {
        a.hideMainWindow();
        s.startHeard = 0;
    } else if (phrase == QLatin1String("Next Window")) {
        s.cyclingWindows = -1;
        w.nextWindowKeys();
    } else if (phrase == QLatin1String("Maximize Window")) {
        w.maxwin();
    } else if (phrase == QLatin1String("Minimize Window")) {
        w.minwin();
    } else if (phrase == QLatin1String("Restore Window")) {
        w.restorewin();
    } else {
        for (const auto& [name, act] : closingFirst) {
            if (phrase == QLatin1String(name)) {
                s.startHeard = 0;
                act();
                return true;
            }
        }
        return false;
    }
    return true;
}

void Dispatcher::runUserCommand(int row)
{
    LauncherState& s = c_.state;
    if (c_.options.comFirmExe == 1) {
        c_.actions.showConfirmation(c_.commands.phrases[row].text());
        s.pendingTarget = c_.commands.targets[row].text();
        s.confirmPending = -1;
        s.startHeard = 1;
        s.pendingCheck = c_.commands.checks[row].toInt16();
    } else if (c_.options.comFirmExe == 0) {
        const QString target = c_.commands.targets[row].text();
        s.startHeard = 0;
        stopListeningFor(c_.commands.checks[row].toInt16());
        runTarget(target);
    }
}

void Dispatcher::stopListeningFor(int flag)
{
    if (flag == 1 && c_.listening.isListening())
        c_.listening.stopListening();
}

void Dispatcher::runTarget(QString target)
{
    if (c_.checkScript(target))
        return;
    try {
        ShellLaunch(c_.shell, target, 1);
    } catch (const LaunchError& e) {
        tellLaunchFailed(c_.dialogs, e);
    }
}

void Dispatcher::tcomTick()
{
    if (c_.state.cyclingWindows == -1)
        return;
    c_.tcom.stop();
    c_.state.startHeard = 0;
}
