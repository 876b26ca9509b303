#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <vector>

// A headless KWin (kwin_wayland --virtual) of the test's own, on a D-Bus session bus of
// its own, with small native Wayland windows (Qt's wayland platform) in it.
class KwinSession
{
public:
    KwinSession();
    ~KwinSession();
    KwinSession(const KwinSession&) = delete;
    KwinSession& operator=(const KwinSession&) = delete;

    // Empty once KWin is up; else why it is not.
    QString problem() const { return problem_; }
    // The session bus KWin is on.
    QDBusConnection bus() const { return QDBusConnection(busName_); }

    // The name of KWin's Wayland socket.
    static QString display() { return QStringLiteral("kwin-test"); }
    // The same as a full path, for wl_display_connect.
    QString socket() const { return runtime_.filePath(display()); }
    // Starts a window titled `title`, filling the screen, with a line to type into; it
    // prints the line's text whenever it changes, and "press" when a mouse button
    // goes down. It stays until closed.
    QProcess* startWindow(const QString& title);

private:
    // Writes `text` to the file `name` under the session's home folder.
    bool writeFile(const QString& name, const QString& text);

    QTemporaryDir runtime_;
    QProcessEnvironment environment_;
    QProcess bus_;
    QProcess kwin_;
    QString busName_;
    QString problem_;
    std::vector<std::unique_ptr<QProcess>> windows_;
};
