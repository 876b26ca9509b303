#include "platform/x11/X11Desktop.h"

#include "platform/x11/X11Atoms.h"

#include <QSysInfo>
#include <QTimer>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <algorithm>
#include <cstring>
#include <unistd.h>

namespace platform {

namespace {

// How long a started program has to show its window: long enough for a large program to
// load, short enough that a window shown much later does not take the focus from what
// the user has turned to.
constexpr int kWatchMs = 15000;
constexpr int kLookEveryMs = 100;
// How long the window manager has to act on the activation request before the focus is
// given to the window directly.
constexpr int kWindowManagerMs = 500;

// A value of a startup message, quoted as the messages quote values.
QByteArray quoted(const QString& value)
{
    QByteArray text = value.toUtf8();
    text.replace('\\', "\\\\").replace('"', "\\\"");
    return '"' + text + '"';
}

// `text` as a part of a startup id: letters, digits, '.', '-' and '_' only.
QString idPart(QString text)
{
    for (QChar& c : text)
        if (!c.isLetterOrNumber() && c != u'.' && c != u'-' && c != u'_')
            c = u'_';
    return text;
}

// The 32-bit items of a property of `type`; empty when it has none.
std::vector<unsigned long> items(Display* display, Window window, Atom name, Atom type)
{
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    if (XGetWindowProperty(display, window, name, 0, 4096, False, type, &actual, &format, &count,
                           &after, &data) == Success &&
        data) {
        if (actual == type && format == 32) {
            const auto* first = reinterpret_cast<const unsigned long*>(data);
            values.assign(first, first + count);
        }
        XFree(data);
    }
    return values;
}

// A text property, as bytes; empty when it has none.
QByteArray text(Display* display, Window window, Atom name)
{
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    QByteArray value;
    if (XGetWindowProperty(display, window, name, 0, 1024, False, AnyPropertyType, &actual, &format,
                           &count, &after, &data) == Success &&
        data) {
        if (format == 8)
            value = QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count));
        XFree(data);
    }
    return value;
}

bool viewable(Display* display, Window window)
{
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

} // namespace

unsigned long X11Desktop::serverTime()
{
    // A property change on the desktop's own window comes back stamped with the time.
    XChangeProperty(display_, ownWindow_, atoms_[kNetStartupId], atoms_[kUtf8String], 8,
                    PropModeAppend, nullptr, 0);
    XEvent event;
    XIfEvent(
        display_, &event,
        [](Display*, XEvent* e, XPointer own) -> Bool {
            return e->type == PropertyNotify &&
                   e->xproperty.window == *reinterpret_cast<Window*>(own);
        },
        reinterpret_cast<XPointer>(&ownWindow_));
    return event.xproperty.time;
}

// The message goes to the root window in pieces of 20 bytes, its closing NUL included:
// the first as _NET_STARTUP_INFO_BEGIN, the others as _NET_STARTUP_INFO.
void X11Desktop::sendStartupMessage(const QByteArray& message)
{
    QByteArray bytes = message;
    bytes.append('\0');
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = ownWindow_;
    event.xclient.format = 8;
    event.xclient.message_type = atoms_[kNetStartupInfoBegin];
    for (qsizetype at = 0; at < bytes.size(); at += 20) {
        std::memset(event.xclient.data.b, 0, sizeof event.xclient.data.b);
        std::memcpy(event.xclient.data.b, bytes.constData() + at,
                    static_cast<std::size_t>(std::min<qsizetype>(20, bytes.size() - at)));
        XSendEvent(display_, rootWindow(), False, PropertyChangeMask, &event);
        event.xclient.message_type = atoms_[kNetStartupInfo];
    }
    XFlush(display_);
}

void X11Desktop::endStartup(const QByteArray& id)
{
    sendStartupMessage("remove: ID=" + quoted(QString::fromUtf8(id)));
}

LaunchTicket X11Desktop::beginLaunch(const QString& name)
{
    if (!display_)
        return {};
    if (ownWindow_ == 0) {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.event_mask = PropertyChangeMask;
        ownWindow_ =
            XCreateWindow(display_, rootWindow(), -1, -1, 1, 1, 0, CopyFromParent, InputOnly,
                          CopyFromParent, CWOverrideRedirect | CWEventMask, &attributes);
    }
    Launch launch;
    // The voice command is the user's request: its time is now, which lets the window
    // manager give the new window the focus over what the user did before.
    launch.timestamp = serverTime();
    launch.activeBefore = activeWindow();
    const QString id = QStringLiteral("zorv/%1/%2-%3-%4_TIME%5")
                           .arg(idPart(name))
                           .arg(getpid())
                           .arg(++launchCount_)
                           .arg(idPart(QSysInfo::machineHostName()))
                           .arg(launch.timestamp);
    launch.id = id.toUtf8();
    sendStartupMessage("new: ID=" + quoted(id) + " NAME=" + quoted(name) + " BIN=" + quoted(name) +
                       " SCREEN=" + QByteArray::number(DefaultScreen(display_)));
    launches_.push_back(std::move(launch));
    return {id, {{QStringLiteral("DESKTOP_STARTUP_ID"), id}}};
}

void X11Desktop::launched(const LaunchTicket& ticket, qint64 pid)
{
    const auto launch = std::find_if(launches_.begin(), launches_.end(),
                                     [&](const Launch& l) { return l.id == ticket.id.toUtf8(); });
    if (launch == launches_.end())
        return;
    launch->pid = pid;
    launch->since.start();
    if (!launchWatch_) {
        launchWatch_ = std::make_unique<QTimer>();
        launchWatch_->setInterval(kLookEveryMs);
        QObject::connect(launchWatch_.get(), &QTimer::timeout, [this] { watchLaunches(); });
    }
    launchWatch_->start();
}

void X11Desktop::launchFailed(const LaunchTicket& ticket)
{
    const QByteArray id = ticket.id.toUtf8();
    if (std::erase_if(launches_, [&](const Launch& l) { return l.id == id; }) > 0)
        endStartup(id);
}

void X11Desktop::watchLaunches()
{
    std::erase_if(launches_, [this](Launch& launch) {
        if (!launch.since.isValid() || !watchLaunch(launch))
            return false;
        endStartup(launch.id);
        return true;
    });
    if (std::none_of(launches_.begin(), launches_.end(),
                     [](const Launch& l) { return l.since.isValid(); }))
        launchWatch_->stop();
}

// One look at a started program; true when its startup is over.
bool X11Desktop::watchLaunch(Launch& launch)
{
    if (launch.since.hasExpired(kWatchMs))
        return true;
    if (launch.window == 0)
        launch.window = launchedWindow(launch);
    if (launch.window == 0 || !viewable(display_, launch.window))
        return false;
    const WindowId active = activeWindow();
    // Active already, or the user has turned to another window, which keeps the focus.
    if (active == launch.window || active != launch.activeBefore)
        return true;
    if (!launch.asked.isValid()) {
        sendToWindowManager(launch.window, kNetActiveWindow, kSourceTool,
                            static_cast<long>(launch.timestamp), None);
        XFlush(display_);
        launch.asked.start();
    } else if (!launch.focusGiven && launch.asked.hasExpired(kWindowManagerMs)) {
        // The window manager does not activate a window that takes no keyboard input (a
        // clock); the focus goes to it as the window manager would give it, and the
        // window manager takes it as the active window.
        XSetInputFocus(display_, launch.window, RevertToParent, CurrentTime);
        XFlush(display_);
        launch.focusGiven = true;
    }
    return false;
}

// The program's first window among the window manager's: the one with its startup id,
// or one of its process.
unsigned long X11Desktop::launchedWindow(const Launch& launch) const
{
    for (const unsigned long window :
         items(display_, rootWindow(), atoms_[kNetClientList], XA_WINDOW)) {
        if (text(display_, window, atoms_[kNetStartupId]) == launch.id)
            return window;
        const std::vector<unsigned long> pid =
            items(display_, window, atoms_[kNetWmPid], XA_CARDINAL);
        if (!pid.empty() && static_cast<qint64>(pid.front()) == launch.pid)
            return window;
    }
    return 0;
}

} // namespace platform
