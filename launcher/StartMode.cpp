#include "launcher/StartMode.h"

QString commandLineText(const QStringList& arguments)
{
    return arguments.mid(1).join(QLatin1Char(' '));
}

StartMode startModeFor(const QString& commandLine)
{
    const QString line = commandLine.trimmed();
    if (line == QLatin1String("/m"))
        return StartMode::Minimised;
    if (line == QLatin1String("/h"))
        return StartMode::Hidden;
    return StartMode::Normal;
}

bool asksToTalk(const QString& commandLine)
{
    return commandLine.trimmed() == QLatin1String("/talk");
}
