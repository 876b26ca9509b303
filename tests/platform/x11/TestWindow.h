#pragma once

#include "tests/support/WaitUntil.h"

#include <QPoint>
#include <QStringList>
#include <functional>

// Xlib is kept out of this header: its macros clash with Qt and GoogleTest.
struct _XDisplay;

// A plain top-level window on its own X connection that records the key and button
// events it receives and the window manager's close request, and reads back the state
// the window manager gives it.
class TestWindow
{
public:
    // Creates and maps the window and waits until the window manager manages it.
    explicit TestWindow(const char* title);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    // Mapped and managed by the window manager.
    bool ready() const { return ready_; }
    unsigned long id() const { return window_; }

    // What arrived since the last call, in order: "KeyPress r", "KeyRelease Super_L",
    // "ButtonPress 1", "MotionNotify 310 195" (screen coordinates), "WM_DELETE_WINDOW".
    QStringList takeEvents();
    // Waits until `event` has arrived; it stays among the events taken next.
    bool waitForEvent(const QString& event);

    // WM_STATE: 1 normal, 3 iconic, 0 when the window manager set none.
    int wmState() const;
    // The atom names of _NET_WM_STATE.
    QStringList netWmState() const;
    bool hasFocus() const;
    // The middle of the window, in screen coordinates.
    QPoint centre() const;

    // Keysym names of the keys that are down on the server, e.g. {"Alt_L"}.
    QStringList keysDown() const;
    // Pointer buttons held down on the server, e.g. {1}.
    QList<int> buttonsDown() const;

private:
    void pump();

    _XDisplay* display_ = nullptr;
    unsigned long window_ = 0;
    bool ready_ = false;
    QStringList events_;
};
