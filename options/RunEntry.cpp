#include "options/RunEntry.h"

#include "common/AppTitle.h"
#include "platform/autostart/Autostart.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/registry/Registry.h"
#include "store/RegistryPaths.h"
#include "store/modReg.h"

namespace {

QString startSwitch(std::int16_t progStat)
{
    switch (progStat) {
    case 2:
        return QStringLiteral("/m");
    case 3:
        return QStringLiteral("/h");
    default:
        return {};
    }
}

} // namespace

QString RunEntryCommand(const QString& executablePath, std::int16_t progStat)
{
    if (progStat < 1 || progStat > 3)
        return {};
    const QString flag = startSwitch(progStat);
    return flag.isEmpty() ? executablePath : executablePath + QLatin1Char(' ') + flag;
}

RunEntryUpdater::RunEntryUpdater(modReg& reg, platform::Autostart& autostart,
                                 platform::Dialogs& dialogs, QString executablePath,
                                 QString iconPath)
    : reg_(reg), autostart_(autostart), dialogs_(dialogs),
      executablePath_(std::move(executablePath)), iconPath_(std::move(iconPath))
{
}

std::int16_t RunEntryUpdater::UpdateRunEntry(std::int16_t winStart, std::int16_t progStat,
                                             std::int16_t regCheck)
{
    if (winStart == 0) {
        if (regCheck == 1) {
            reg_.DeleteRegValue(platform::HKEY_LOCAL_MACHINE, regpath::kRun, regpath::kRunValue);
            removeAutostart();
            return 0;
        }
        return regCheck;
    }
    if (winStart != 1)
        return regCheck;

    // Rewritten on every confirmation while starting with the session is on.
    const QString command = RunEntryCommand(executablePath_, progStat);
    if (!command.isEmpty()) {
        reg_.WriteRegValue(platform::HKEY_LOCAL_MACHINE, regpath::kRun, regpath::kRunValue, command,
                           platform::REG_SZ);
        writeAutostart(progStat);
    }
    return 1;
}

void RunEntryUpdater::writeAutostart(std::int16_t progStat)
{
    const QString flag = startSwitch(progStat);
    QString error;
    if (!autostart_.write(regpath::kRunValue, appTitle(), executablePath_,
                          flag.isEmpty() ? QStringList{} : QStringList{flag}, iconPath_, &error))
        dialogs_.messageBox(QStringLiteral("The program could not be set to start with the "
                                           "desktop session: %1 (%2)")
                                .arg(error, autostart_.filePath(regpath::kRunValue)),
                            appTitle(), platform::MsgButtons::Ok, platform::MsgIcon::Warning);
}

void RunEntryUpdater::removeAutostart()
{
    QString error;
    if (!autostart_.remove(regpath::kRunValue, &error))
        dialogs_.messageBox(QStringLiteral("The program could not be kept from starting with "
                                           "the desktop session: %1 (%2)")
                                .arg(error, autostart_.filePath(regpath::kRunValue)),
                            appTitle(), platform::MsgButtons::Ok, platform::MsgIcon::Warning);
}
