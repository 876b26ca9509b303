#include "platform/x11/X11Desktop.h"

#include "platform/x11/SpareKeys.h"
#include "platform/x11/X11Atoms.h"

#include <QTimer>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <algorithm>
#include <mutex>
#include <vector>

namespace platform {

namespace {

const char* atomNames[kAtomTotal] = {"_NET_ACTIVE_WINDOW",
                                     "_NET_WM_STATE",
                                     "_NET_WM_STATE_MAXIMIZED_VERT",
                                     "_NET_WM_STATE_MAXIMIZED_HORZ",
                                     "_NET_CLOSE_WINDOW",
                                     "WM_CHANGE_STATE",
                                     "WM_STATE",
                                     "_NET_STARTUP_INFO_BEGIN",
                                     "_NET_STARTUP_INFO",
                                     "_NET_STARTUP_ID",
                                     "_NET_WM_PID",
                                     "_NET_CLIENT_LIST",
                                     "UTF8_STRING"};

// The windows the desktop names may be gone by the time the server reads a request about
// them. The X errors that follow on the desktop's own connections are expected and
// dropped; errors on other connections of the process go to the handler that was there.
std::mutex handlerMutex;
std::vector<Display*> quietDisplays;
XErrorHandler previousHandler = nullptr;

int dropOwnErrors(Display* display, XErrorEvent* error)
{
    XErrorHandler previous = nullptr;
    {
        const std::lock_guard lock(handlerMutex);
        if (std::find(quietDisplays.begin(), quietDisplays.end(), display) != quietDisplays.end())
            return 0;
        previous = previousHandler;
    }
    return previous ? previous(display, error) : 0;
}

void quietErrorsOn(Display* display)
{
    const std::lock_guard lock(handlerMutex);
    quietDisplays.push_back(display);
    const XErrorHandler before = XSetErrorHandler(dropOwnErrors);
    if (before != dropOwnErrors)
        previousHandler = before;
}

void forgetDisplay(Display* display)
{
    const std::lock_guard lock(handlerMutex);
    std::erase(quietDisplays, display);
}

} // namespace

X11Desktop::X11Desktop(const char* displayName) : display_(XOpenDisplay(displayName))
{
    static_assert(kAtomTotal == kAtomCount);
    if (!display_)
        return;
    quietErrorsOn(display_);
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    hasXTest_ = XTestQueryExtension(display_, &eventBase, &errorBase, &major, &minor);
    Atom atoms[kAtomTotal] = {};
    XInternAtoms(display_, const_cast<char**>(atomNames), kAtomTotal, False, atoms);
    std::copy(std::begin(atoms), std::end(atoms), atoms_);
}

X11Desktop::~X11Desktop()
{
    launchWatch_.reset();
    if (!display_)
        return;
    for (const Launch& launch : launches_)
        endStartup(launch.id);
    releaseSpareKeys(display_, record_);
    XCloseDisplay(display_);
    forgetDisplay(display_);
}

unsigned long X11Desktop::rootWindow() const
{
    return DefaultRootWindow(display_);
}

bool X11Desktop::hasWmState(unsigned long window) const
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_, window, atoms_[kWmState], 0, 0, False, AnyPropertyType, &type,
                           &format, &count, &after, &data) != Success)
        return false;
    if (data)
        XFree(data);
    return type != None;
}

namespace {

// The parent of `window`, or None when the window is gone.
Window parentOf(Display* display, Window window)
{
    Window root = None, parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count))
        return None;
    if (children)
        XFree(children);
    return parent;
}

} // namespace

// The application window that holds `window`: the first window up the tree that the
// window manager manages (it carries WM_STATE), or one inside the window manager's frame
// when the focus sits on the frame itself; without a window manager, the top-level window.
unsigned long X11Desktop::clientOf(unsigned long window) const
{
    const Window root = rootWindow();
    if (window == None || window == PointerRoot || window == root)
        return 0;
    Window top = window;
    for (;;) {
        if (hasWmState(top))
            return top;
        const Window parent = parentOf(display_, top);
        if (parent == None)
            return 0;
        if (parent == root)
            break;
        top = parent;
    }
    // A frame: its client lies a few levels below.
    std::vector<Window> level{top};
    for (int depth = 0; depth < 3 && !level.empty(); ++depth) {
        std::vector<Window> next;
        for (const Window w : level) {
            Window r = None, p = None;
            Window* children = nullptr;
            unsigned int count = 0;
            if (!XQueryTree(display_, w, &r, &p, &children, &count))
                continue;
            next.insert(next.end(), children, children + count);
            if (children)
                XFree(children);
        }
        for (const Window w : next) {
            if (hasWmState(w))
                return w;
        }
        level = std::move(next);
    }
    // The window manager's own windows are no application's; without a window manager
    // an application's top-level window is mapped and not override-redirect.
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, top, &attributes) || attributes.override_redirect ||
        attributes.map_state != IsViewable)
        return 0;
    return top;
}

WindowId X11Desktop::activeWindow()
{
    if (!display_)
        return 0;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Window active = None;
    if (XGetWindowProperty(display_, rootWindow(), atoms_[kNetActiveWindow], 0, 1, False, XA_WINDOW,
                           &type, &format, &count, &after, &data) == Success &&
        data) {
        if (type == XA_WINDOW && format == 32 && count == 1)
            active = *reinterpret_cast<Window*>(data);
        XFree(data);
    }
    if (active != None)
        return active;
    Window focus = None;
    int revertTo = 0;
    XGetInputFocus(display_, &focus, &revertTo);
    return clientOf(focus);
}

void X11Desktop::sendToWindowManager(WindowId window, int messageType, long l0, long l1, long l2,
                                     long l3)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = static_cast<Window>(window);
    event.xclient.message_type = atoms_[messageType];
    event.xclient.format = 32;
    event.xclient.data.l[0] = l0;
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    XSendEvent(display_, rootWindow(), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &event);
}

void X11Desktop::minimizeWindow(WindowId window)
{
    if (!display_ || window == 0)
        return;
    // ICCCM iconify, as XIconifyWindow sends it.
    sendToWindowManager(window, kWmChangeState, IconicState);
    XFlush(display_);
}

void X11Desktop::maximizeWindow(WindowId window)
{
    if (!display_ || window == 0)
        return;
    sendToWindowManager(window, kNetWmState, kStateAdd,
                        static_cast<long>(atoms_[kNetWmStateMaximizedVert]),
                        static_cast<long>(atoms_[kNetWmStateMaximizedHorz]), kSourceTool);
    XFlush(display_);
}

void X11Desktop::closeWindow(WindowId window)
{
    if (!display_ || window == 0)
        return;
    // The window manager asks the window to close, as its close box does.
    sendToWindowManager(window, kNetCloseWindow, CurrentTime, kSourceTool);
    XFlush(display_);
}

void X11Desktop::restoreWindow(WindowId window)
{
    if (!display_ || window == 0)
        return;
    sendToWindowManager(window, kNetWmState, kStateRemove,
                        static_cast<long>(atoms_[kNetWmStateMaximizedVert]),
                        static_cast<long>(atoms_[kNetWmStateMaximizedHorz]), kSourceTool);
    // Activation also brings a minimised window back.
    sendToWindowManager(window, kNetActiveWindow, kSourceTool, CurrentTime, None);
    XFlush(display_);
}

} // namespace platform
