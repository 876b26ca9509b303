#pragma once

#include "commands/CommandTable.h"
#include "common/MainWindowLink.h"
#include "launcher/Dispatcher.h"
#include "launcher/LauncherState.h"
#include "launcher/Listening.h"
#include "launcher/TalkGate.h"
#include "options/OptionsStore.h"
#include "platform/Platform.h"
#include "platform/desktop/Desktop.h"
#include "scripts/ScriptHost.h"
#include "store/modReg.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

class QTimer;
class Recognizer;
class ScriptInterpreter;
class SpokenAnswers;
class Synthesizer;
class WindowCommands;

// What the program does, apart from its windows: the run-time state, the options and
// the command table in memory, the grammar, the listening operations, what a heard
// phrase sets off, the scripts and the spoken answers. It owns the recogniser and the
// synthesiser for the life of the program. The windows are views over it: they show
// what its signals tell and hand it what the user does.
class Launcher : public QObject, public MainWindowLink, public ScriptHost, private MainWindowActions
{
    Q_OBJECT
public:
    Launcher(const platform::Platform& platform, Recognizer* recognizer, Synthesizer* synthesizer,
             QString executablePath, QObject* parent = nullptr);
    ~Launcher() override;

    // The load step: program folder, flags, options, voice, the commands and the
    // grammar, then recognition.
    void load();

    // Reloads the command table, lists its phrases and the built-in entries, and hands a
    // new grammar to the recogniser. The list of commands is not emptied first; callers
    // other than the load step do that.
    void setList();
    // Lists the built-in entries after the user's commands.
    void addCom();
    // Empties the list of commands and runs setList: the table, the list and the grammar
    // follow the store at once.
    void reloadCommands();
    const CommandTable& commandTable() const { return commands_; }
    // The phrases the grammar holds besides the user's commands: the built-in ones and
    // the start phrase.
    QStringList builtinPhrases() const;
    const QString& loadedGrammar() const { return grammarText_; }

    const Options& options() const { return options_.current(); }
    // New option values from the options dialog, kept and stored; the start-phrase timer,
    // the confirmation prompt's question and the grammar follow at once.
    void applyOptions(const Options& options);

    LauncherState& state() { return state_; }
    Dispatcher& dispatcher() { return *dispatcher_; }
    // The timer that closes the start-phrase window.
    QTimer* tcom() const { return tcom_; }
    // The confirmation prompt ran out of time: the launch waiting for it is dropped.
    void confirmationTimedOut() { state_.confirmPending = 0; }

    // Script targets run as scripts; the store's NUL is taken off the target.
    bool CheckScript(QString& path);
    void RunScript(const QString& path);

    // Spoken answers and the start sound.
    void Speak(const QString& words);
    QString getDate() const;
    void Sounding();
    SpokenAnswers& answers() { return *answers_; }
    WindowCommands& windowCommands() { return *windows_; }
    // Tells the program's own main window, which is never maximised.
    void setMainWindow(std::function<platform::WindowId()> mainWindow);

    bool isListening() const { return listening_.isListening(); }
    // Push-to-talk: the talk key went down or up, or "/talk" asked for one utterance.
    void talkKeyDown() { talk_.keyDown(); }
    void talkKeyUp() { talk_.keyUp(); }
    void talkOnce() { talk_.talkOnce(); }
    // "Hold <key> to speak" while push-to-talk is on; empty otherwise.
    QString talkPrompt() const;
    // How the desktop watches a talk key: `watch(key, error)` takes `key` (an X keysym
    // name; empty: none) in place of the one watched before, or says why it cannot.
    // Without it, push-to-talk has only "/talk".
    using TalkKeyWatch = std::function<bool(const QString& key, QString* error)>;
    void setTalkKeyWatch(TalkKeyWatch watch) { talkKeyWatch_ = std::move(watch); }
    // Watches `key` for push-to-talk now; false, with the reason, when the desktop cannot
    // (another program has it). True where the desktop watches no keys.
    bool watchTalkKey(const QString& key, QString* error);
    // The desktop tells, after the watch began, something of the talk key (`what`); with
    // `keyGone` the key is no longer watched (refused or taken back), so the next options
    // that name it ask again.
    void talkKeyTold(const QString& what, bool keyGone);
    void pauseRecognition() { listening_.pauseRecognition(); }
    void resumeRecognition() { listening_.resumeRecognition(); }

    // Ends the program at once; nothing is saved.
    void endProgram() override;

    QString programFolder() const { return appPath_; } // ending in "/"
    const QString& executablePath() const { return executablePath_; }
    modReg& registry() { return *reg_; }
    const platform::Platform& services() const { return platform_; }
    Recognizer& recognizer() { return *recognizer_; }
    Synthesizer& synthesizer() { return *synthesizer_; }
    // Takes up the user's voice training as it is now stored.
    void useVoiceTraining();

    // MainWindowLink
    void holdMainWindow() override;
    void releaseMainWindow() override;

    // ScriptHost
    void say(const QString& text) override;
    std::int16_t& speaking() override { return state_.speaking; }
    void stopListening() override { listening_.stopListening(); }
    void startListening() override { listening_.startListening(); }
    void minwin() override;
    void maxwin() override;
    void closewin() override;
    void restorewin() override;
    void exitProgram() override { endProgram(); }
    bool hasEnded() const override { return ended_; }

signals:
    void listeningChanged(bool listening);
    // A window over the main window holds it (true) or handed it back (false).
    void mainWindowHeld(bool held);
    // Entries to append to the list of commands.
    void commandsListed(const QStringList& entries);
    void commandListCleared();
    // A phrase was heard; it is shown before it is acted on, since a script may take a
    // while. One let go for want of the start phrase comes with a word on saying it.
    void heard(const QString& phrase);
    // Sound that is none of the phrases, said while it counts; `reason` as the recogniser
    // gives it.
    void notUnderstood(const QString& reason);
    // What the desktop says of the talk key, in words for the user: it cannot be
    // watched, or was taken back, or has another key than the options name.
    void talkKeyNotice(const QString& notice);
    void showRequested(bool minimised);
    void hideRequested();
    void aboutRequested();
    // A fresh confirmation prompt for `phrase`, which asks its question aloud.
    void confirmationRequested(const QString& phrase);
    void confirmationClosed();
    void optionsChanged();
    // The program has ended; the application's event loop stops.
    void programEnded();

private:
    // What the dispatcher asks of the windows.
    void showMainWindow(bool minimised) override { emit showRequested(minimised); }
    void hideMainWindow() override { emit hideRequested(); }
    void openAbout() override { emit aboutRequested(); }
    void showConfirmation(const QString& phrase) override { emit confirmationRequested(phrase); }
    void closeConfirmation() override { emit confirmationClosed(); }

    void selectVoice();
    // The gate and the watched key as the options say.
    void applyTalkOptions();

    platform::Platform platform_;
    QString executablePath_;
    QString appPath_;
    std::unique_ptr<modReg> reg_;
    OptionsStore options_;
    CommandTable commands_;
    QString grammarText_;
    LauncherState state_;
    Recognizer* recognizer_;
    Synthesizer* synthesizer_;
    Listening listening_;
    TalkGate talk_;
    TalkKeyWatch talkKeyWatch_;
    QString watchedKey_; // empty: none
    QTimer* tcom_;
    std::function<platform::WindowId()> mainWindow_;
    std::unique_ptr<SpokenAnswers> answers_;
    std::unique_ptr<WindowCommands> windows_;
    std::unique_ptr<ScriptInterpreter> interpreter_;
    std::unique_ptr<Dispatcher> dispatcher_;
    bool ended_ = false;
    bool commandLimitReported_ = false;
};
