#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

class modReg;
struct CommandTable;
struct Options;
namespace platform {
struct Platform;
}

// What the command editor and the options dialog may do to the main window: reload the
// list of commands and the grammar, pause and resume recognition around themselves, and
// take over new option values.
class MainWindowLink
{
public:
    virtual ~MainWindowLink() = default;

    // Empties the list of commands and runs setList: the table, the list and the grammar
    // follow the store at once.
    virtual void reloadCommands() = 0;
    virtual const CommandTable& commandTable() const = 0;
    // The phrases the recogniser's grammar holds besides the user's commands: the
    // built-in ones and the start phrase.
    virtual QStringList builtinPhrases() const = 0;

    // The program listens while the Stop Listening button is shown.
    virtual bool isListening() const = 0;
    virtual void pauseRecognition() = 0;
    virtual void resumeRecognition() = 0;
    // The main window ignores the user while a dialog opened from it is up.
    virtual void setMainWindowEnabled(bool enabled) = 0;

    virtual const Options& currentOptions() const = 0;
    // New option values from the options dialog: the start-phrase timer, the
    // confirmation prompt's question and the rest follow at once.
    virtual void applyOptions(const Options& options) = 0;
    virtual std::int16_t comFirmExe() const = 0;
    virtual void setComFirmExe(std::int16_t value) = 0;

    virtual QString programFolder() const = 0; // appPath, ending in "/"
    virtual QString executablePath() const = 0;
    virtual modReg& registry() = 0;
    // The recogniser's grammar as loaded, and taking up the user's voice training as it
    // is now stored (after training, or when it is turned off or forgotten).
    virtual QString loadedGrammar() const = 0;
    virtual void useVoiceTraining() = 0;
    virtual const platform::Platform& services() const = 0;
};
