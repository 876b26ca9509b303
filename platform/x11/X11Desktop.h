#pragma once

#include "platform/desktop/Desktop.h"

#include <QStringList>

// Xlib is kept out of this header: its macros clash with Qt and GoogleTest.
struct _XDisplay;

namespace platform {

class InputRecord;

// The desktop of an X11 session, over its own connection to the X server: window
// commands go to the window manager as EWMH/ICCCM requests, keys and pointer events are
// synthesised with XTest. Without an X server every call does nothing, the active
// window is 0 and the pointer is at (0, 0).
class X11Desktop : public Desktop
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

private:
    unsigned long rootWindow() const;
    unsigned long clientOf(unsigned long window) const;
    bool hasWmState(unsigned long window) const;
    void sendToWindowManager(WindowId window, int messageType, long l0, long l1 = 0, long l2 = 0,
                             long l3 = 0);

    static constexpr int kAtomCount = 7;
    _XDisplay* display_ = nullptr;
    InputRecord* record_ = nullptr;
    bool hasXTest_ = false;
    unsigned long atoms_[kAtomCount] = {};
};

} // namespace platform
