#include "platform/x11/X11TalkKey.h"

#include <QSocketNotifier>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace platform {

namespace {

// The lock keys a grab must not depend on: Caps Lock, Num Lock (Mod2), Scroll Lock (Mod5).
constexpr unsigned int kLockMasks[] = {0,
                                       LockMask,
                                       Mod2Mask,
                                       Mod5Mask,
                                       LockMask | Mod2Mask,
                                       LockMask | Mod5Mask,
                                       Mod2Mask | Mod5Mask,
                                       LockMask | Mod2Mask | Mod5Mask};

// A grab another client holds comes back as BadAccess, after the request; the handler
// is set only around the grab's round trip.
bool grabRefused = false;

int noteRefusal(Display*, XErrorEvent* error)
{
    if (error->error_code == BadAccess)
        grabRefused = true;
    return 0;
}

} // namespace

X11TalkKey::X11TalkKey(QObject* parent) : QObject(parent), display_(XOpenDisplay(nullptr))
{
    if (!display_)
        return;
    // Held down, the key repeats as presses alone, not as release-and-press pairs.
    Bool supported = False;
    XkbSetDetectableAutoRepeat(display_, True, &supported);
    notifier_ =
        std::make_unique<QSocketNotifier>(ConnectionNumber(display_), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &X11TalkKey::readEvents);
}

X11TalkKey::~X11TalkKey()
{
    notifier_.reset();
    if (display_) {
        release();
        XCloseDisplay(display_);
    }
}

bool X11TalkKey::grab(const QString& keysymName, QString* error)
{
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    release();
    if (!display_)
        return fail(QStringLiteral("there is no X display to watch a key on"));
    const KeySym keysym = XStringToKeysym(keysymName.toLatin1().constData());
    const KeyCode code = keysym == NoSymbol ? 0 : XKeysymToKeycode(display_, keysym);
    if (code == 0)
        return fail(QStringLiteral("\"%1\" is no key of this keyboard").arg(keysymName));
    const Window root = DefaultRootWindow(display_);
    XSync(display_, False);
    grabRefused = false;
    XErrorHandler previous = XSetErrorHandler(noteRefusal);
    for (const unsigned int mask : kLockMasks)
        XGrabKey(display_, code, mask, root, False, GrabModeAsync, GrabModeAsync);
    XSync(display_, False);
    XSetErrorHandler(previous);
    if (grabRefused) {
        for (const unsigned int mask : kLockMasks)
            XUngrabKey(display_, code, mask, root);
        XSync(display_, False);
        return fail(QStringLiteral("another program already uses %1 as a shortcut; "
                                   "pick another key")
                        .arg(keysymName));
    }
    code_ = code;
    return true;
}

void X11TalkKey::release()
{
    if (!display_ || code_ == 0)
        return;
    const Window root = DefaultRootWindow(display_);
    for (const unsigned int mask : kLockMasks)
        XUngrabKey(display_, code_, mask, root);
    // Done before the key is offered to anyone else.
    XSync(display_, False);
    code_ = 0;
    if (down_) {
        down_ = false;
        emit released();
    }
}

void X11TalkKey::readEvents()
{
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if ((event.type != KeyPress && event.type != KeyRelease) || event.xkey.keycode != code_)
            continue;
        const bool down = event.type == KeyPress;
        if (down == down_)
            continue;
        down_ = down;
        if (down)
            emit pressed();
        else
            emit released();
    }
}

} // namespace platform
