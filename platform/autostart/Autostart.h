#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// The desktop session's autostart folder: a `.desktop` file there starts a program
// when the user logs in.
class Autostart
{
public:
    explicit Autostart(QString folder = defaultFolder());

    // $XDG_CONFIG_HOME/autostart, or ~/.config/autostart.
    static QString defaultFolder();
    QString filePath(const QString& entryName) const;

    // Writes `<entryName>.desktop` that runs `program` with `arguments`. On failure
    // returns false and says why in `error`.
    bool write(const QString& entryName, const QString& displayName, const QString& program,
               const QStringList& arguments, const QString& iconPath, QString* error) const;
    // Removes the entry; a missing entry is not an error.
    bool remove(const QString& entryName, QString* error) const;

private:
    QString folder_;
};

// Quotes one argument for the Exec key of a desktop entry, so that paths with spaces
// or shell characters reach the program unchanged.
QString desktopExecArgument(const QString& argument);

} // namespace platform
