#include "app/ChosenDesktop.h"

#include "platform/desktop/DesktopChoice.h"
#include "platform/gnome/GnomeDesktop.h"
#include "platform/kde/KwinDesktop.h"
#include "platform/wlroots/WlrootsDesktop.h"
#include "platform/x11/X11Desktop.h"

#include <QProcessEnvironment>
#include <cstdio>

namespace {

QString xwaylandOnly(const QString& commands, const QString& why)
{
    return QStringLiteral("%1 reach only XWayland programs here: %2. An X11 session reaches "
                          "every window.")
        .arg(commands, why);
}

} // namespace

ChosenDesktop chooseDesktop(platform::X11Desktop& x11)
{
    const platform::DesktopChoice choice =
        platform::chooseDesktop(QProcessEnvironment::systemEnvironment());
    if (!choice.problem.isEmpty())
        std::fprintf(stderr, "zorv: %s\n", choice.problem.toLocal8Bit().constData());
    ChosenDesktop chosen;
    const QString windowCommands = QStringLiteral("Window commands");
    const QString keyCommands = QStringLiteral("Key commands");
    const QString mouseCommands = QStringLiteral("Mouse commands");
    if (choice.kind == platform::DesktopKind::Wlroots) {
        auto wlroots = std::make_unique<platform::WlrootsDesktop>(x11);
        if (!wlroots->problem().isEmpty()) {
            chosen.limits.windows = xwaylandOnly(windowCommands, wlroots->problem());
        } else {
            if (!wlroots->typesEverywhere())
                chosen.limits.keys = xwaylandOnly(
                    keyCommands, QStringLiteral("the compositor offers no virtual keyboard"));
            if (!wlroots->pointsEverywhere())
                chosen.limits.pointer = xwaylandOnly(
                    mouseCommands, QStringLiteral("the compositor offers no virtual pointer"));
            chosen.native = std::move(wlroots);
        }
    } else if (choice.kind == platform::DesktopKind::Kde) {
        auto kwin = std::make_unique<platform::KwinDesktop>(x11);
        const QString inputProblem =
            kwin->problem().isEmpty() ? kwin->inputProblem() : kwin->problem();
        if (!inputProblem.isEmpty()) {
            chosen.limits.keys = xwaylandOnly(keyCommands, inputProblem);
            chosen.limits.pointer = xwaylandOnly(mouseCommands, inputProblem);
        }
        if (kwin->problem().isEmpty())
            chosen.native = std::move(kwin);
        else
            chosen.limits.windows = xwaylandOnly(windowCommands, kwin->problem());
    } else if (choice.kind == platform::DesktopKind::Gnome) {
        auto gnome = std::make_unique<platform::GnomeDesktop>();
        if (const QString why = gnome->problem(); !why.isEmpty())
            chosen.limits = {xwaylandOnly(windowCommands, why), xwaylandOnly(keyCommands, why),
                             xwaylandOnly(mouseCommands, why)};
        else
            chosen.native = std::move(gnome);
    } else if (choice.overridden) {
        return chosen;
    }
    std::fprintf(stderr, "zorv: desktop: %s (%s)\n",
                 platform::desktopKindName(choice.kind).toLocal8Bit().constData(),
                 choice.reason.toLocal8Bit().constData());
    std::fflush(stderr);
    return chosen;
}
