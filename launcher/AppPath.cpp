#include "launcher/AppPath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

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
    const QString folder = withSlash(resolved.isEmpty() ? exe.absolutePath() : resolved);
    if (::access(QFile::encodeName(folder).constData(), W_OK) == 0)
        return folder;
    const QString user = userProgramFolder(
        folder, QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    return user.isEmpty() ? folder : user;
}

QString userProgramFolder(const QString& shared, const QString& dataHome)
{
    if (dataHome.isEmpty())
        return {};
    const QString folder = withSlash(QDir(dataHome).filePath(QStringLiteral("ombrel-sarquen")));
    if (!QDir().mkpath(folder + QStringLiteral("Scripts")))
        return {};
    // Links left by a program since removed or moved lead nowhere: they go, and the
    // files of this folder are linked again below.
    for (const QFileInfo& link : QDir(folder).entryInfoList(QDir::System | QDir::Files)) {
        if (link.isSymLink() && !link.exists())
            QFile::remove(link.absoluteFilePath());
    }
    const QDir from(shared);
    for (const QFileInfo& file : from.entryInfoList(QDir::Files)) {
        const QString mine = folder + file.fileName();
        // A file of the user's own (or a link made before) stays as it is.
        if (!QFileInfo(mine).isSymLink() && !QFileInfo::exists(mine))
            QFile::link(file.absoluteFilePath(), mine);
    }
    return folder;
}
