#include "platform/x11/X11Desktop.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

// The pointer of the X11 desktop: buttons and motion through XTest.

namespace platform {

void X11Desktop::mouseButton(MouseButton button, bool down)
{
    if (!display_ || !hasXTest_)
        return;
    unsigned int number = Button1;
    if (button == MouseButton::Middle)
        number = Button2;
    else if (button == MouseButton::Right)
        number = Button3;
    XTestFakeButtonEvent(display_, number, down ? True : False, CurrentTime);
    XFlush(display_);
}

void X11Desktop::moveMouse(int dx, int dy)
{
    if (!display_ || !hasXTest_)
        return;
    XTestFakeRelativeMotionEvent(display_, dx, dy, CurrentTime);
    XFlush(display_);
}

void X11Desktop::setMousePosition(int x, int y)
{
    if (!display_)
        return;
    XWarpPointer(display_, None, rootWindow(), 0, 0, 0, 0, x, y);
    XFlush(display_);
}

QPoint X11Desktop::mousePosition()
{
    if (!display_)
        return {};
    Window root = None, child = None;
    int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    unsigned int mask = 0;
    // The position on the pointer's screen, also when that is not the default one.
    XQueryPointer(display_, rootWindow(), &root, &child, &rootX, &rootY, &windowX, &windowY, &mask);
    return {rootX, rootY};
}

} // namespace platform
