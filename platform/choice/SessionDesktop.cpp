#include "platform/choice/SessionDesktop.h"

#include <QProcessEnvironment>
#include <QStringList>
#include <array>
#include <utility>

namespace platform {
namespace {

constexpr std::array<std::pair<DesktopKind, const char*>, 4> kNames{{
    {DesktopKind::X11, "x11"},
    {DesktopKind::Wlroots, "wlroots"},
    {DesktopKind::Kde, "kde"},
    {DesktopKind::Gnome, "gnome"},
}};

// XDG_CURRENT_DESKTOP names, as the desktops set them, of the compositors each kind
// covers. A Wayland desktop not named here is taken for a wlroots one: the protocols
// it offers decide at run time what works.
DesktopKind waylandKindOf(const QStringList& desktops)
{
    for (const QString& name : desktops) {
        const QString n = name.trimmed().toLower();
        if (n == QLatin1String("kde"))
            return DesktopKind::Kde;
        if (n == QLatin1String("gnome") || n == QLatin1String("gnome-classic"))
            return DesktopKind::Gnome;
    }
    return DesktopKind::Wlroots;
}

} // namespace

QString desktopKindName(DesktopKind kind)
{
    for (const auto& [k, name] : kNames)
        if (k == kind)
            return QString::fromLatin1(name);
    return QString();
}

SessionDesktop sessionDesktop(const QProcessEnvironment& env)
{
    SessionDesktop choice;
    const QString wanted = env.value(QStringLiteral("SARQUEN_DESKTOP")).trimmed().toLower();
    if (!wanted.isEmpty()) {
        for (const auto& [kind, name] : kNames) {
            if (wanted == QLatin1String(name)) {
                choice.kind = kind;
                choice.overridden = true;
                choice.reason = QStringLiteral("SARQUEN_DESKTOP=") + wanted;
                return choice;
            }
        }
        choice.problem = QStringLiteral("SARQUEN_DESKTOP has the unknown value \"%1\" (known "
                                        "values: x11, wlroots, kde, gnome)")
                             .arg(env.value(QStringLiteral("SARQUEN_DESKTOP")));
    }

    const QString type = env.value(QStringLiteral("XDG_SESSION_TYPE")).trimmed().toLower();
    const bool wayland =
        type == QLatin1String("wayland") ||
        (type.isEmpty() && !env.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty());
    if (!wayland) {
        choice.kind = DesktopKind::X11;
        choice.reason = QStringLiteral("X11 session");
        return choice;
    }
    const QString desktop = env.value(QStringLiteral("XDG_CURRENT_DESKTOP"));
    choice.kind = waylandKindOf(desktop.split(QLatin1Char(':'), Qt::SkipEmptyParts));
    choice.reason = desktop.isEmpty() ? QStringLiteral("Wayland session")
                                      : QStringLiteral("Wayland session of %1").arg(desktop);
    return choice;
}

} // namespace platform
