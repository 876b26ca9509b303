#pragma once

#include <QString>
#include <cstdint>

class modReg;
namespace platform {
class Autostart;
class Dialogs;
} // namespace platform

// The command that starts the program with the desktop session: the executable's full
// path followed by " /m" (start mode 2) or " /h" (start mode 3). Nothing is quoted.
// Empty for a start mode other than 1, 2 or 3.
QString RunEntryCommand(const QString& executablePath, std::int16_t progStat);

// Adds, rewrites or removes the start-up entry ("OmbrelLauncher" under the Run key,
// and the session's autostart file of the same name) and returns the new regCheck.
class RunEntryUpdater
{
public:
    RunEntryUpdater(modReg& reg, platform::Autostart& autostart, platform::Dialogs& dialogs,
                    QString executablePath, QString iconPath);

    std::int16_t UpdateRunEntry(std::int16_t winStart, std::int16_t progStat,
                                std::int16_t regCheck);

private:
    void writeAutostart(std::int16_t progStat);
    void removeAutostart();

    modReg& reg_;
    platform::Autostart& autostart_;
    platform::Dialogs& dialogs_;
    QString executablePath_;
    QString iconPath_;
};
