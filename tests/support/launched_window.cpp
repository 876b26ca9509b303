// A program for the tests of starting programs on X11: shows a window titled by its first
// argument and ends when the window manager closes it. With "no-input" the window takes no
// keyboard input, as a clock does, so a window manager never gives it the focus by itself.
// It puts its DESKTOP_STARTUP_ID on the window (_NET_STARTUP_ID), as the toolkits do.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

void setText(Display* display, Window window, const char* name, const std::string& text)
{
    XChangeProperty(display, window, XInternAtom(display, name, False),
                    XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text.c_str()),
                    static_cast<int>(text.size()));
}

} // namespace

int main(int argc, char** argv)
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr || argc < 2)
        return 2;
    const Window window =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 300, 200, 0, 0, 0xffffff);
    XStoreName(display, window, argv[1]);
    setText(display, window, "_NET_WM_NAME", argv[1]);
    XWMHints hints{};
    hints.flags = InputHint;
    hints.input = argc > 2 && std::strcmp(argv[2], "no-input") == 0 ? False : True;
    XSetWMHints(display, window, &hints);
    const long pid = getpid();
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
    const char* startupId = std::getenv("DESKTOP_STARTUP_ID");
    if (startupId != nullptr)
        setText(display, window, "_NET_STARTUP_ID", startupId);
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    XMapWindow(display, window);

    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ClientMessage &&
            static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow)
            break;
    }
    XCloseDisplay(display);
    return 0;
}
