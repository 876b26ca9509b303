#include "platform/autostart/Autostart.h"

#include "platform/files/SafeWrite.h"

#include <QDir>
#include <QFile>

namespace platform {

Autostart::Autostart(QString folder) : folder_(std::move(folder)) {}

QString Autostart::defaultFolder()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart");
}

QString Autostart::filePath(const QString& entryName) const
{
    return folder_ + QLatin1Char('/') + entryName + QStringLiteral(".desktop");
}

QString desktopExecArgument(const QString& argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString out;
    bool quote = argument.isEmpty();
    for (const QChar c : argument) {
        if (reserved.contains(c))
            quote = true;
    }
    for (const QChar c : argument) {
        if (c == u'%') {
            out += QStringLiteral("%%");
        } else if (quote && (c == u'"' || c == u'`' || c == u'$' || c == u'\\')) {
            // Inside quotes these take a backslash, and the string escaping of the
            // file doubles every backslash once more.
            out += QStringLiteral("\\\\");
            out += c == u'\\' ? QStringLiteral("\\\\") : QString(c);
        } else {
            out += c;
        }
    }
    return quote ? QLatin1Char('"') + out + QLatin1Char('"') : out;
}

bool Autostart::write(const QString& entryName, const QString& displayName, const QString& program,
                      const QStringList& arguments, const QString& iconPath, QString* error) const
{
    if (!QDir().mkpath(folder_)) {
        *error = QStringLiteral("cannot create the folder %1").arg(folder_);
        return false;
    }
    QString exec = desktopExecArgument(program);
    for (const QString& a : arguments)
        exec += QLatin1Char(' ') + desktopExecArgument(a);

    // TryExec: where the program is gone (its package removed), the session skips the
    // entry instead of failing at every log-in. Its value escapes only the backslash.
    QString tryExec = program;
    tryExec.replace(u'\\', QStringLiteral("\\\\"));
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Name=%1\n"
                                  "Comment=Voice-controlled program launcher\n"
                                  "Exec=%2\n"
                                  "TryExec=%3\n")
                       .arg(displayName, exec, tryExec);
    if (!iconPath.isEmpty())
        text += QStringLiteral("Icon=%1\n").arg(iconPath);
    text += QStringLiteral("Terminal=false\nX-GNOME-Autostart-enabled=true\n");

    return replaceFile(filePath(entryName), text.toUtf8(), error);
}

bool Autostart::remove(const QString& entryName, QString* error) const
{
    QFile file(filePath(entryName));
    if (!file.exists() || file.remove())
        return true;
    *error = file.errorString();
    return false;
}

} // namespace platform
