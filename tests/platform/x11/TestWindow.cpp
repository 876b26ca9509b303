#include "tests/platform/x11/TestWindow.h"

#include "tests/support/X11Session.h"

#include <QElapsedTimer>
#include <QThread>
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <utility>

TestWindow::TestWindow(const char* title) : display_(XOpenDisplay(nullptr))
{
    if (!display_)
        return;
    const Window root = DefaultRootWindow(display_);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = WhitePixel(display_, DefaultScreen(display_));
    attributes.event_mask =
        KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
    window_ = XCreateWindow(display_, root, 100, 100, 320, 240, 0, CopyFromParent, InputOutput,
                            CopyFromParent, CWBackPixel | CWEventMask, &attributes);
    XStoreName(display_, window_, title);
    Atom deleteWindow = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display_, window_, &deleteWindow, 1);
    XWMHints hints{};
    hints.flags = InputHint;
    hints.input = True;
    XSetWMHints(display_, window_, &hints);
    XMapWindow(display_, window_);
    XFlush(display_);
    ready_ = waitUntil([this] { return wmState() == NormalState; });
}

TestWindow::~TestWindow()
{
    if (display_)
        XCloseDisplay(display_);
}

void TestWindow::pump()
{
    const Atom protocols = XInternAtom(display_, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    while (XPending(display_)) {
        XEvent event;
        XNextEvent(display_, &event);
        switch (event.type) {
        case KeyPress:
        case KeyRelease: {
            const char* name = XKeysymToString(XLookupKeysym(&event.xkey, 0));
            events_ << QStringLiteral("%1 %2").arg(
                event.type == KeyPress ? QStringLiteral("KeyPress") : QStringLiteral("KeyRelease"),
                QString::fromLatin1(name ? name : "?"));
            break;
        }
        case ButtonPress:
        case ButtonRelease:
            events_ << QStringLiteral("%1 %2")
                           .arg(event.type == ButtonPress ? QStringLiteral("ButtonPress")
                                                          : QStringLiteral("ButtonRelease"))
                           .arg(event.xbutton.button);
            break;
        case MotionNotify:
            events_ << QStringLiteral("MotionNotify %1 %2")
                           .arg(event.xmotion.x_root)
                           .arg(event.xmotion.y_root);
            break;
        case ClientMessage:
            if (event.xclient.message_type == protocols &&
                static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow)
                events_ << QStringLiteral("WM_DELETE_WINDOW");
            break;
        default:
            break;
        }
    }
}

QStringList TestWindow::takeEvents()
{
    pump();
    return std::exchange(events_, {});
}

bool TestWindow::waitForEvent(const QString& event)
{
    return waitUntil([&] {
        pump();
        return events_.contains(event);
    });
}

int TestWindow::wmState() const
{
    return static_cast<int>(X11Session::property32(display_, window_, "WM_STATE", "WM_STATE"));
}

QStringList TestWindow::netWmState() const
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    QStringList names;
    if (XGetWindowProperty(display_, window_, XInternAtom(display_, "_NET_WM_STATE", False), 0, 64,
                           False, XA_ATOM, &type, &format, &count, &after, &data) == Success &&
        data) {
        const Atom* atoms = reinterpret_cast<Atom*>(data);
        for (unsigned long i = 0; i < count; ++i) {
            char* name = XGetAtomName(display_, atoms[i]);
            names << QString::fromLatin1(name);
            XFree(name);
        }
        XFree(data);
    }
    return names;
}

bool TestWindow::hasFocus() const
{
    Window focus = None;
    int revertTo = 0;
    XGetInputFocus(display_, &focus, &revertTo);
    return focus == window_;
}

QPoint TestWindow::centre() const
{
    int x = 0, y = 0;
    Window child = None;
    XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), 160, 120, &x, &y, &child);
    return {x, y};
}

QStringList TestWindow::keysDown() const
{
    char keys[32] = {};
    XQueryKeymap(display_, keys);
    QStringList names;
    for (int code = 8; code < 256; ++code) {
        if (keys[code / 8] & (1 << (code % 8))) {
            const char* name =
                XKeysymToString(XkbKeycodeToKeysym(display_, static_cast<KeyCode>(code), 0, 0));
            names << QString::fromLatin1(name ? name : "?");
        }
    }
    return names;
}

QList<int> TestWindow::buttonsDown() const
{
    Window root = None, child = None;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    XQueryPointer(display_, window_, &root, &child, &rootX, &rootY, &x, &y, &mask);
    QList<int> buttons;
    for (int b = 1; b <= 5; ++b) {
        if (mask & (Button1Mask << (b - 1)))
            buttons << b;
    }
    return buttons;
}
