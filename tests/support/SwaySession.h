#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <vector>

// A headless sway compositor of the test's own, with native Wayland clients in it, seen
// through sway's own view of its windows (swaymsg). Sway refuses to run as root: under
// root it runs as the user "nobody", and the test still reaches its sockets.
class SwaySession
{
public:
    SwaySession();
    ~SwaySession();
    SwaySession(const SwaySession&) = delete;
    SwaySession& operator=(const SwaySession&) = delete;

    // Empty once the compositor is up; else why it is not.
    QString problem() const { return problem_; }
    // The compositor's socket, as a full path for wl_display_connect.
    QString socket() const { return socket_; }

    // Starts a foot terminal with the application id `appId`, running `command`; it
    // stays until closed or the command ends.
    QProcess* startTerminal(const QString& appId,
                            const QStringList& command = {QStringLiteral("sleep"),
                                                          QStringLiteral("60")});
    // The window of sway's tree with that application id; empty when there is none.
    QJsonObject window(const QString& appId) const;
    // A sway command, e.g. "[app_id=x] focus"; true when sway carried it out.
    bool command(const QString& text) const;

private:
    QByteArray swaymsg(const QStringList& arguments) const;

    QTemporaryDir runtime_;
    QProcessEnvironment environment_;
    QProcess sway_;
    QString socket_;
    QString problem_;
    std::vector<std::unique_ptr<QProcess>> clients_;
};
