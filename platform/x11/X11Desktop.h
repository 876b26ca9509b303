#pragma once

#include "platform/desktop/Desktop.h"
#include "platform/desktop/LaunchFeedback.h"

#include <QElapsedTimer>
#include <QStringList>
#include <memory>
#include <vector>

class QTimer;

// Xlib is kept out of this header: its macros clash with Qt and GoogleTest.
struct _XDisplay;

namespace platform {

class InputRecord;

// The desktop of an X11 session, over its own connection to the X server: window
// commands go to the window manager as EWMH/ICCCM requests, keys and pointer events are
// synthesised with XTest. A program started for the user is announced with a startup
// id, and its first window is activated when the window manager holds it back. Without
// an X server every call does nothing, the active window is 0 and the pointer is at
// (0, 0).
class X11Desktop : public Desktop, public LaunchFeedback
{
public:
    // Connects to `displayName`, or to the display named by DISPLAY when null.
    explicit X11Desktop(const char* displayName = nullptr);
    ~X11Desktop() override;
    X11Desktop(const X11Desktop&) = delete;
    X11Desktop& operator=(const X11Desktop&) = delete;

    bool connected() const { return display_ != nullptr; }
    // Where the spare keys bound to characters are noted while they are bound; after a
    // killed run, restoreSpareKeys undoes the bindings the record's entries name when the
    // keymap still holds them.
    void setInputRecord(InputRecord* record) { record_ = record; }
    void restoreSpareKeys(const QStringList& entries);

    WindowId activeWindow() override;
    void minimizeWindow(WindowId window) override;
    void maximizeWindow(WindowId window) override;
    void closeWindow(WindowId window) override;
    void restoreWindow(WindowId window) override;

    void keyEvent(int virtualKey, bool down) override;
    bool typeCharacter(char32_t character) override;
    void syncInput() override;

    void mouseButton(MouseButton button, bool down) override;
    void moveMouse(int dx, int dy) override;
    void setMousePosition(int x, int y) override;
    QPoint mousePosition() override;

    // A new startup id ("..._TIME<server time>"), announced to the window manager
    // ("new:") and handed over as DESKTOP_STARTUP_ID.
    LaunchTicket beginLaunch(const QString& name) override;
    // Watches for the program's first window (its _NET_STARTUP_ID, or its _NET_WM_PID)
    // for a few seconds. Shown but not active while the window the user had at the start
    // is still active, it is activated; when the window manager will not (a window that
    // takes no keyboard input), the focus is given to it directly. Then, or when the user
    // has turned to another window, or the time is up, the startup ends ("remove:").
    void launched(const LaunchTicket& ticket, qint64 pid) override;
    void launchFailed(const LaunchTicket& ticket) override;

private:
    // A program started for the user, from its announcement until its startup ends.
    struct Launch
    {
        QByteArray id;
        unsigned long timestamp = 0; // the server's time of the start
        WindowId activeBefore = 0;   // the user's window at the start
        qint64 pid = 0;              // 0 until it started
        QElapsedTimer since;         // from the start
        unsigned long window = 0;    // its first window, once found
        QElapsedTimer asked;         // from the activation request to the window manager
        bool focusGiven = false;
    };
    unsigned long serverTime();
    void sendStartupMessage(const QByteArray& message);
    void endStartup(const QByteArray& id);
    void watchLaunches();
    bool watchLaunch(Launch& launch);
    unsigned long launchedWindow(const Launch& launch) const;

    unsigned long rootWindow() const;
    unsigned long clientOf(unsigned long window) const;
    bool hasWmState(unsigned long window) const;
    void sendToWindowManager(WindowId window, int messageType, long l0, long l1 = 0, long l2 = 0,
                             long l3 = 0);

    static constexpr int kAtomCount = 13;
    _XDisplay* display_ = nullptr;
    unsigned long ownWindow_ = 0; // for startup messages and the server's time
    std::vector<Launch> launches_;
    std::unique_ptr<QTimer> launchWatch_;
    int launchCount_ = 0;
    InputRecord* record_ = nullptr;
    bool hasXTest_ = false;
    unsigned long atoms_[kAtomCount] = {};
};

} // namespace platform
