#pragma once

#include "platform/desktop/Desktop.h"
#include "platform/kde/KwinScripts.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <vector>

namespace platform {

class KwinFakeInput;

// Takes the calls of the program's scripts in KWin; only KWin itself is listened to.
class KwinCallBacks : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.ombrel.Sarquen.KWinWindows")

public:
    KwinCallBacks(QDBusConnection connection, QObject* parent);

signals:
    void windowsReported(const QString& report);
    void scriptDone(const QString& name);

public slots:
    Q_SCRIPTABLE void windows(const QString& report);
    Q_SCRIPTABLE void done(const QString& name);

private:
    bool fromKwin() const;

    QDBusConnection connection_;
};

// The desktop of KDE Plasma on Wayland: the window commands act on KWin's own list of
// windows, native Wayland programs and XWayland ones alike, through scripts the program
// loads into KWin over D-Bus. One script stays and reports the windows whenever they
// change; each command is a small script of its own, unloaded once it has run. Keys and
// the pointer go through KWin's fake input where KWin allows it, else to
// `keysAndPointer` (the X11 desktop of XWayland). A character the layout in use has no
// key for is typed on another of the user's layouts that has one, switched to for it.
class KwinDesktop : public QObject, public Desktop
{
    Q_OBJECT

public:
    // `display` names KWin's Wayland socket; empty for WAYLAND_DISPLAY's.
    explicit KwinDesktop(Desktop& keysAndPointer,
                         QDBusConnection connection = QDBusConnection::sessionBus(),
                         const QString& display = QString());
    ~KwinDesktop() override;
    KwinDesktop(const KwinDesktop&) = delete;
    KwinDesktop& operator=(const KwinDesktop&) = delete;

    // Empty when the window commands work; else why not, in words.
    QString problem() const { return problem_; }
    // Empty when keys and the pointer reach every window; else why not, in words.
    QString inputProblem() const { return inputProblem_; }

    struct Window
    {
        WindowId id = 0;
        QString kwinId;
        int stacking = 0;
        bool minimized = false;
        qint64 pid = 0;
        QString caption;
    };
    // The windows as KWin last reported them; they arrive through the event loop.
    const std::vector<Window>& windows() const { return windows_; }

    WindowId activeWindow() override { return active_; }
    void minimizeWindow(WindowId window) override;
    void maximizeWindow(WindowId window) override;
    void closeWindow(WindowId window) override;
    void restoreWindow(WindowId window) override;
    std::vector<WindowId> windowsByRecentUse() override;
    void activateWindow(WindowId window) override;
    bool showDesktop() override;

    void keyEvent(int virtualKey, bool down) override;
    bool typeCharacter(char32_t character) override;
    void syncInput() override;
    void mouseButton(MouseButton button, bool down) override;
    void moveMouse(int dx, int dy) override;
    void setMousePosition(int x, int y) override;
    QPoint mousePosition() override;

private slots:
    void layoutChanged(uint layout);

private:
    void takeReport(const QString& report);
    // Switches KWin to the user's layout `layout`; false when KWin would not.
    bool switchLayout(std::uint32_t layout);
    // Loads the script `text` as `name` and runs it; empty when it runs, else why not.
    QString runScript(const QString& name, const QString& text);
    void unloadScript(const QString& name);
    void act(KwinAction action, WindowId window);
    WindowId idOf(const QString& kwinId);

    Desktop& keysAndPointer_;
    std::unique_ptr<KwinFakeInput> input_;
    QString inputProblem_;
    // The layout the user has switched to, as KWin last said.
    std::uint32_t layout_ = 0;
    QDBusConnection connection_;
    QTemporaryDir scriptDir_;
    KwinCallBack callBack_;
    QString watchName_;
    std::vector<QString> running_; // command scripts not yet done
    std::vector<Window> windows_;
    std::map<QString, WindowId> ids_;
    WindowId nextId_ = 1;
    WindowId active_ = 0;
    int scripts_ = 0;
    QString problem_;
};

} // namespace platform
