#include "app/ChosenDesktop.h"

#include "platform/desktop/DesktopChoice.h"
#include "platform/gnome/GnomeDesktop.h"
#include "platform/input/UinputDesktop.h"
#include "platform/kde/KwinDesktop.h"
#include "platform/wlroots/WlrootsDesktop.h"
#include "platform/x11/X11Desktop.h"

#include <QProcessEnvironment>
#include <cstdio>

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
std::unique_ptr<platform::Desktop> nativeDesktop(platform::DesktopKind kind,
                                                 platform::X11Desktop& x11, Reasons& reasons)
{
    if (kind == platform::DesktopKind::Wlroots) {
        auto wlroots = std::make_unique<platform::WlrootsDesktop>(x11);
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
    if (kind == platform::DesktopKind::Kde) {
        auto kwin = std::make_unique<platform::KwinDesktop>(x11);
        if (!kwin->problem().isEmpty()) {
            reasons = {kwin->problem(), kwin->problem(), kwin->problem()};
            return nullptr;
        }
        reasons.keys = reasons.pointer = kwin->inputProblem();
        return kwin;
    }
    if (kind == platform::DesktopKind::Gnome) {
        auto gnome = std::make_unique<platform::GnomeDesktop>();
        if (!gnome->problem().isEmpty()) {
            reasons = {gnome->problem(), gnome->problem(), gnome->problem()};
            return nullptr;
        }
        return gnome;
    }
    return nullptr;
}

} // namespace

ChosenDesktop chooseDesktop(platform::X11Desktop& x11)
{
    const platform::DesktopChoice choice =
        platform::chooseDesktop(QProcessEnvironment::systemEnvironment());
    if (!choice.problem.isEmpty())
        std::fprintf(stderr, "zorv: %s\n", choice.problem.toLocal8Bit().constData());
    ChosenDesktop chosen;
    if (choice.kind == platform::DesktopKind::X11 && choice.overridden)
        return chosen;
    Reasons reasons;
    chosen.native = nativeDesktop(choice.kind, x11, reasons);
    // Keys and the pointer the compositor does not take go through the program's kernel
    // devices where the user may make them.
    if (chosen.native && (!reasons.keys.isEmpty() || !reasons.pointer.isEmpty())) {
        auto devices = std::make_unique<platform::UinputDesktop>(*chosen.native);
        if (devices->problem().isEmpty()) {
            reasons.keys.clear();
            reasons.pointer.clear();
            chosen.withDevices = std::move(devices);
        } else {
            for (QString* why : {&reasons.keys, &reasons.pointer})
                if (!why->isEmpty())
                    *why += QStringLiteral(", and the program cannot make input devices of its "
                                           "own: ") +
                            devices->problem();
        }
    }
    chosen.limits = {xwaylandOnly(QStringLiteral("Window commands"), reasons.windows),
                     xwaylandOnly(QStringLiteral("Key commands"), reasons.keys),
                     xwaylandOnly(QStringLiteral("Mouse commands"), reasons.pointer)};
    std::fprintf(stderr, "zorv: desktop: %s (%s)\n",
                 platform::desktopKindName(choice.kind).toLocal8Bit().constData(),
                 choice.reason.toLocal8Bit().constData());
    std::fflush(stderr);
    return chosen;
}
