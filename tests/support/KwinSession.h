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

    // Starts a window titled `title`; it stays until closed.
    QProcess* startWindow(const QString& title);

private:
    QTemporaryDir runtime_;
    QProcessEnvironment environment_;
    QProcess bus_;
    QProcess kwin_;
    QString busName_;
    QString problem_;
    std::vector<std::unique_ptr<QProcess>> windows_;
};
