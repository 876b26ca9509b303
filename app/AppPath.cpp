#include "app/AppPath.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

QString withSlash(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

} // namespace

QString runningExecutablePath()
{
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    const QString resolved = exe.canonicalFilePath();
    return resolved.isEmpty() ? exe.absoluteFilePath() : resolved;
}

QString computeAppPath(const QString& executablePath)
{
    const QString home = qEnvironmentVariable("SARQUEN_HOME");
    if (!home.isEmpty())
        return withSlash(QFileInfo(home).absoluteFilePath());
    const QFileInfo exe(executablePath);
    const QString resolved = exe.canonicalPath();
    return withSlash(resolved.isEmpty() ? exe.absolutePath() : resolved);
}
