#include "tests/support/X11Session.h"
#include "tests/support/WaitUntil.h"

#include <QElapsedTimer>
#include <QThread>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

// Windows of other clients come and go while the tests look at them; a request on a
// window that just vanished is not an error of the test.
int ignoreXErrors(Display*, XErrorEvent*)
{
    return 0;
}

} // namespace

X11Session::X11Session() : display_(XOpenDisplay(nullptr))
{
    XSetErrorHandler(ignoreXErrors);
}

X11Session::~X11Session()
{
    if (display_)
        XCloseDisplay(display_);
}

QString X11Session::text(Window window, const char* name) const
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    QString value;
    if (XGetWindowProperty(display_, window, XInternAtom(display_, name, False), 0, 1024, False,
                           XInternAtom(display_, "UTF8_STRING", False), &type, &format, &count,
                           &after, &data) == Success &&
        data) {
        value =
            QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count));
        XFree(data);
    }
    return value;
}

Window X11Session::findMappedWindow(const QString& title) const
{
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count))
        return 0;
    Window found = 0;
    // Top-level windows may sit inside the window manager's frames: look one level down.
    for (unsigned int i = 0; i < count && !found; ++i) {
        Window candidates[64];
        unsigned int n = 0;
        candidates[n++] = children[i];
        Window r = 0, p = 0;
        Window* inner = nullptr;
        unsigned int innerCount = 0;
        if (XQueryTree(display_, children[i], &r, &p, &inner, &innerCount)) {
            for (unsigned int k = 0; k < innerCount && n < 64; ++k)
                candidates[n++] = inner[k];
            if (inner)
                XFree(inner);
        }
        for (unsigned int k = 0; k < n && !found; ++k) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(display_, candidates[k], &attributes) &&
                attributes.map_state == IsViewable && text(candidates[k], "_NET_WM_NAME") == title)
                found = candidates[k];
        }
    }
    if (children)
        XFree(children);
    return found;
}

Window X11Session::waitForMappedWindow(const QString& title, int timeoutMs) const
{
    Window window = 0;
    waitUntil([&] { return (window = findMappedWindow(title)) != 0; }, timeoutMs);
    return window;
}

namespace {

void sendClientMessage(Display* display, Window window, Window destination, const char* type,
                       long first, long eventMask)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, type, False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = first;
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, destination, False, eventMask, &event);
    XFlush(display);
}

} // namespace

void X11Session::requestClose(Window window) const
{
    const Atom deleteWindow = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    sendClientMessage(display_, window, window, "WM_PROTOCOLS", static_cast<long>(deleteWindow),
                      NoEventMask);
}

void X11Session::activate(Window window) const
{
    // Source 2: a request from a pager or a tool acting for the user.
    sendClientMessage(display_, window, DefaultRootWindow(display_), "_NET_ACTIVE_WINDOW", 2,
                      SubstructureRedirectMask | SubstructureNotifyMask);
}

long X11Session::property32(Display* display, Window window, const char* name, const char* typeName,
                            long fallback)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long value = fallback;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1, False,
                           XInternAtom(display, typeName, False), &type, &format, &count, &after,
                           &data) == Success &&
        data) {
        if (format == 32 && count >= 1)
            value = *reinterpret_cast<long*>(data);
        XFree(data);
    }
    return value;
}

Window X11Session::activeWindow() const
{
    return static_cast<Window>(
        property32(display_, DefaultRootWindow(display_), "_NET_ACTIVE_WINDOW", "WINDOW"));
}

void X11Session::tapKey(unsigned long keysym, bool shift) const
{
    const KeyCode shiftCode = XKeysymToKeycode(display_, XK_Shift_L);
    const KeyCode code = XKeysymToKeycode(display_, keysym);
    if (shift)
        XTestFakeKeyEvent(display_, shiftCode, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
    if (shift)
        XTestFakeKeyEvent(display_, shiftCode, False, CurrentTime);
    XSync(display_, False);
}

bool X11Session::keyDown(unsigned long keysym) const
{
    char keys[32] = {};
    XQueryKeymap(display_, keys);
    const KeyCode code = XKeysymToKeycode(display_, keysym);
    return code != 0 && (keys[code / 8] & (1 << (code % 8))) != 0;
}

bool X11Session::keyboardFree() const
{
    const int grab = XGrabKeyboard(display_, DefaultRootWindow(display_), False, GrabModeAsync,
                                   GrabModeAsync, CurrentTime);
    if (grab == GrabSuccess)
        XUngrabKeyboard(display_, CurrentTime);
    XSync(display_, False);
    return grab == GrabSuccess;
}

bool X11Session::buttonDown(int button) const
{
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &rootX, &rootY, &x, &y,
                  &mask);
    return (mask & (Button1Mask << (button - 1))) != 0;
}

bool X11Session::keymapHas(unsigned long keysym) const
{
    int first = 0, last = 0, perKey = 0;
    XDisplayKeycodes(display_, &first, &last);
    KeySym* map =
        XGetKeyboardMapping(display_, static_cast<KeyCode>(first), last - first + 1, &perKey);
    bool found = false;
    for (int i = 0; map && i < (last - first + 1) * perKey; ++i)
        found = found || map[i] == keysym;
    XFree(map);
    return found;
}

bool X11Session::showingDesktop() const
{
    return property32(display_, DefaultRootWindow(display_), "_NET_SHOWING_DESKTOP", "CARDINAL") !=
           0;
}

void X11Session::setShowingDesktop(bool on) const
{
    sendClientMessage(display_, DefaultRootWindow(display_), DefaultRootWindow(display_),
                      "_NET_SHOWING_DESKTOP", on ? 1 : 0,
                      SubstructureRedirectMask | SubstructureNotifyMask);
}

int X11Session::popupCount() const
{
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count))
        return 0;
    int popups = 0;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display_, children[i], &attributes) &&
            attributes.override_redirect && attributes.map_state == IsViewable)
            ++popups;
    }
    if (children)
        XFree(children);
    return popups;
}
