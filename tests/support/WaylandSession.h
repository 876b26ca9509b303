#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <vector>

// What the tests' own Wayland compositors (KWin, GNOME Shell) share: a runtime and home
// folder of their own, a private D-Bus session bus, and small native Wayland windows
// (Qt's wayland platform) started in them.
class WaylandSession
{
public:
    virtual ~WaylandSession();
    WaylandSession(const WaylandSession&) = delete;
    WaylandSession& operator=(const WaylandSession&) = delete;

    // Empty once the compositor is up; else why it is not.
    QString problem() const { return problem_; }
    // The session bus the compositor is on.
    QDBusConnection bus() const { return QDBusConnection(busName_); }
    QString busAddress() const { return busAddress_; }
    // The compositor's Wayland socket, as a full path for wl_display_connect.
    QString socket() const { return runtime_.filePath(display()); }

    // Starts a window titled `title`, filling the screen (maximised), with a line to type
    // into; it prints "focus" when the line takes the keyboard focus, the line's text
    // whenever it changes, and "press N" when mouse button N goes down. It stays until
    // closed.
    QProcess* startWindow(const QString& title);
    // Waits until what `window` has printed, gathered in `printed`, holds `text`.
    static bool waitForOutput(QProcess* window, const QByteArray& text, QByteArray& printed);

protected:
    // Prepares the environment of the session's processes: the runtime folder as home
    // and XDG_RUNTIME_DIR, no display of the test's own.
    WaylandSession();
    // The name of the compositor's Wayland socket.
    static QString display() { return QStringLiteral("sarquen-test"); }
    // Starts a D-Bus daemon on the socket `name` in the runtime folder, and returns its
    // address; empty when it did not start. It stops after the compositor. The services
    // it starts (dconf, ...) run in the session's environment, so that they keep their
    // files in the session's folder.
    QString startBus(const QString& name);
    // Starts the compositor of the desktop `desktop` (as XDG_CURRENT_DESKTOP names it) as
    // `program` with `arguments`, and waits until `up` holds; false when it does not.
    bool startCompositor(const QString& desktop, const QString& program,
                         const QStringList& arguments, const std::function<bool()>& up);
    // Writes `text` to the file `name` under the session's home folder.
    bool writeFile(const QString& name, const QString& text);

    QTemporaryDir runtime_;
    QProcessEnvironment environment_;
    QString problem_;

private:
    QProcess compositor_;
    std::vector<std::unique_ptr<QProcess>> buses_;
    QString busName_;
    QString busAddress_;
    std::vector<std::unique_ptr<QProcess>> windows_;
};
