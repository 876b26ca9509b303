#include "platform/choice/DesktopChoice.h"

#include "platform/choice/SessionDesktop.h"
#include "platform/gnome/GnomeDesktop.h"
#include "platform/input/RoutedDesktop.h"
#include "platform/kde/KwinDesktop.h"
#include "platform/portal/RemoteDesktopPortal.h"
#include "platform/uinput/UinputInput.h"
#include "platform/wayland/WaylandActivation.h"
#include "platform/wlroots/WlrootsDesktop.h"
#include "platform/x11/X11Desktop.h"

#include <QDir>
#include <QProcessEnvironment>
#include <cstdio>

namespace platform {
namespace {

// Why each kind of command reaches only XWayland programs; empty where it reaches all.
struct Reasons
{
    QString windows;
    QString keys;
    QString pointer;
};

QString xwaylandOnly(const QString& commands, const QString& why)
{
    if (why.isEmpty())
        return QString();
    return QStringLiteral("%1 reach only XWayland programs here: %2. An X11 session reaches "
                          "every window.")
        .arg(commands, why);
}

// The compositor's own interfaces, and why each kind of command cannot use them.
std::unique_ptr<Desktop> nativeDesktop(DesktopKind kind, X11Desktop& x11, Reasons& reasons)
{
    if (kind == DesktopKind::Wlroots) {
        auto wlroots = std::make_unique<WlrootsDesktop>(x11);
        if (!wlroots->problem().isEmpty()) {
            reasons = {wlroots->problem(), wlroots->problem(), wlroots->problem()};
            return nullptr;
        }
        if (!wlroots->typesEverywhere())
            reasons.keys = QStringLiteral("the compositor offers no virtual keyboard");
        if (!wlroots->pointsEverywhere())
            reasons.pointer = QStringLiteral("the compositor offers no virtual pointer");
        return wlroots;
    }
    if (kind == DesktopKind::Kde) {
        auto kwin = std::make_unique<KwinDesktop>(x11);
        if (!kwin->problem().isEmpty()) {
            reasons = {kwin->problem(), kwin->problem(), kwin->problem()};
            return nullptr;
        }
        reasons.keys = reasons.pointer = kwin->inputProblem();
        return kwin;
    }
    if (kind == DesktopKind::Gnome) {
        auto gnome = std::make_unique<GnomeDesktop>();
        if (!gnome->problem().isEmpty()) {
            reasons = {gnome->problem(), gnome->problem(), gnome->problem()};
            return nullptr;
        }
        return gnome;
    }
    return nullptr;
}

// Where the desktop portal's token for typing and pointing without asking is kept.
QString portalTokenFile()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty())
        state = QDir::home().filePath(QStringLiteral(".local/state"));
    return QDir(state).filePath(QStringLiteral("ombrel-sarquen/remote-desktop-token"));
}

// Keys and the pointer through the program's kernel devices where the user may make
// them, else through the desktop portal; null, with why added to `reasons`, when
// neither works.
std::unique_ptr<KeysAndPointer> otherInput(Reasons& reasons,
                                           std::function<void(const QString&)> tell)
{
    auto devices = std::make_unique<UinputInput>();
    if (devices->problem().isEmpty())
        return devices;
    auto portal = std::make_unique<RemoteDesktopPortal>(QDBusConnection::sessionBus(),
                                                        portalTokenFile(), std::move(tell));
    if (portal->problem().isEmpty())
        return portal;
    for (QString* why : {&reasons.keys, &reasons.pointer})
        if (!why->isEmpty())
            *why += QStringLiteral(", the program cannot make input devices of its own: %1, and "
                                   "%2")
                        .arg(devices->problem(), portal->problem());
    return nullptr;
}

} // namespace

DesktopChoice chooseDesktop(X11Desktop& x11, std::function<void(const QString&)> tell)
{
    const SessionDesktop session = sessionDesktop(QProcessEnvironment::systemEnvironment());
    if (!session.problem.isEmpty())
        std::fprintf(stderr, "zorv: %s\n", session.problem.toLocal8Bit().constData());
    DesktopChoice chosen;
    if (session.kind == DesktopKind::X11 && session.overridden)
        return chosen;
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        auto activation = std::make_unique<WaylandActivation>();
        if (activation->offered())
            chosen.activation = std::move(activation);
    }
    Reasons reasons;
    chosen.native = nativeDesktop(session.kind, x11, reasons);
    // Keys and the pointer the compositor does not take (or all of them, where the
    // program cannot speak to it) go another way where there is one.
    if (session.kind != DesktopKind::X11 &&
        (!reasons.keys.isEmpty() || !reasons.pointer.isEmpty())) {
        chosen.input = otherInput(reasons, std::move(tell));
        if (chosen.input) {
            reasons.keys.clear();
            reasons.pointer.clear();
            chosen.routed = std::make_unique<RoutedDesktop>(
                chosen.native ? *chosen.native : static_cast<Desktop&>(x11), *chosen.input);
        }
    }
    chosen.limits = {xwaylandOnly(QStringLiteral("Window commands"), reasons.windows),
                     xwaylandOnly(QStringLiteral("Key commands"), reasons.keys),
                     xwaylandOnly(QStringLiteral("Mouse commands"), reasons.pointer)};
    std::fprintf(stderr, "zorv: desktop: %s (%s)\n",
                 desktopKindName(session.kind).toLocal8Bit().constData(),
                 session.reason.toLocal8Bit().constData());
    std::fflush(stderr);
    return chosen;
}

} // namespace platform
