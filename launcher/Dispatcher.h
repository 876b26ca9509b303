#pragma once

#include <QString>
#include <functional>

class QTimer;
class Listening;
class SpokenAnswers;
class WindowCommands;
struct CommandTable;
struct LauncherState;
struct Options;
namespace platform {
class Dialogs;
class Shell;
} // namespace platform

// What the dispatcher asks of the main window and its other windows.
class MainWindowActions
{
public:
    virtual ~MainWindowActions() = default;

    virtual void endProgram() = 0;
    // Window state minimised or normal, then visible.
    virtual void showMainWindow(bool minimised) = 0;
    virtual void hideMainWindow() = 0;
    virtual void openAbout() = 0;
    // Shows a fresh confirmation prompt for `phrase`, which asks its question aloud.
    virtual void showConfirmation(const QString& phrase) = 0;
    virtual void closeConfirmation() = 0;
};

// Everything the dispatcher reads and acts on.
struct DispatchContext
{
    LauncherState& state;
    const Options& options;
    const CommandTable& commands;
    QTimer& tcom; // closes the start-phrase window
    Listening& listening;
    SpokenAnswers& answers;
    WindowCommands& windows;
    // Runs a script target and says true, or says false for anything else. Takes the
    // store's NUL off the target.
    std::function<bool(QString& target)> checkScript;
    platform::Shell& shell;
    platform::Dialogs& dialogs;
    MainWindowActions& actions;
};

// Decides what a heard phrase does: the start-phrase gate, answers to a confirmation
// and window cycling, the user's commands and the built-in ones.
class Dispatcher
{
public:
    explicit Dispatcher(DispatchContext context);

    void PhraseHeard(const QString& phrase);
    // True when `phrase` would be let go unheard because the start phrase has not been
    // said.
    bool waitsForStartPhrase(const QString& phrase) const;
    // The start-phrase window closes, unless windows are being cycled.
    void tcomTick();

private:
    // The start phrase is asked for: only it passes.
    bool gateClosedFor(const QString& phrase) const;
    bool answer(const QString& phrase);
    bool runBuiltin(const QString& phrase);
    void runUserCommand(int row);
    void runTarget(QString target);
    void stopListeningFor(int flag);

    DispatchContext c_;
};
