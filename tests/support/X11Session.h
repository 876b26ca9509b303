#pragma once

#include <QString>

// Xlib is kept out of this header: its macros clash with Qt and GoogleTest.
struct _XDisplay;

// A client connection to the test's X server, to find the program's windows and act
// on them as a user or a window manager would.
class X11Session
{
public:
    using Window = unsigned long;
    static constexpr unsigned long kTab = 0xff09;
    static constexpr unsigned long kSpace = 0x0020;
    static constexpr unsigned long kAltL = 0xffe9;

    X11Session();
    ~X11Session();
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;

    bool connected() const { return display_ != nullptr; }
    _XDisplay* display() const { return display_; }

    // A viewable top-level window whose title is `title`, or 0.
    Window findMappedWindow(const QString& title) const;
    // Waits (processing nothing else) until such a window exists, up to `timeoutMs`.
    Window waitForMappedWindow(const QString& title, int timeoutMs) const;
    // The close box: the window manager's close request to the window.
    void requestClose(Window window) const;
    // Asks the window manager to activate the window.
    void activate(Window window) const;
    // The window that has the input focus, climbed up to its top-level window.
    Window activeWindow() const;
    // Presses and releases a key (with Shift held when `shift`) through XTest.
    void tapKey(unsigned long keysym, bool shift = false) const;
    // Whether the key of `keysym` is down, as the server has it.
    bool keyDown(unsigned long keysym) const;
    // Whether no other client holds the keyboard (a window switcher that is open does).
    bool keyboardFree() const;
    // Whether pointer button `button` (1 left, 2 middle, 3 right) is down.
    bool buttonDown(int button) const;
    // Whether a key of the server's keymap, as it is now, carries `keysym`.
    bool keymapHas(unsigned long keysym) const;
    // The window manager's "show the desktop" mode (_NET_SHOWING_DESKTOP).
    bool showingDesktop() const;
    void setShowingDesktop(bool on) const;
    // How many pop-ups (viewable override-redirect top-level windows) are shown, such as
    // the window manager's window switcher.
    int popupCount() const;

    // A text property of a window (UTF-8), empty when it has none.
    QString text(Window window, const char* name) const;
    // The first 32-bit item of a window property of type `typeName`, or `fallback`.
    static long property32(_XDisplay* display, Window window, const char* name,
                           const char* typeName, long fallback = 0);

private:
    _XDisplay* display_;
};
