#include "platform/choice/SessionDesktop.h"

#include <QProcessEnvironment>
#include <gtest/gtest.h>

using platform::DesktopKind;

TEST(SessionDesktop, TheSessionOrTheOverrideDecides)
{
    struct Case
    {
        const char* override;
        const char* type;
        const char* wayland;
        const char* current;
        DesktopKind kind;
        bool problem;
    } const cases[] = {
        {"", "x11", "", "KDE", DesktopKind::X11, false},
        {"", "", "", "", DesktopKind::X11, false},
        {"", "tty", "wayland-0", "sway", DesktopKind::X11, false},
        {"", "", "wayland-0", "sway", DesktopKind::Wlroots, false},
        {"", "wayland", "wayland-0", "Hyprland", DesktopKind::Wlroots, false},
        {"", "wayland", "wayland-1", "", DesktopKind::Wlroots, false},
        {"", "wayland", "wayland-0", "KDE", DesktopKind::Kde, false},
        {"", "Wayland", "wayland-0", "ubuntu:GNOME", DesktopKind::Gnome, false},
        {"kde", "x11", "", "", DesktopKind::Kde, false},
        {" X11 ", "wayland", "wayland-0", "GNOME", DesktopKind::X11, false},
        {"weston", "wayland", "wayland-0", "GNOME", DesktopKind::Gnome, true},
    };
    for (const Case& c : cases) {
        QProcessEnvironment env;
        const std::pair<const char*, const char*> vars[] = {{"SARQUEN_DESKTOP", c.override},
                                                            {"XDG_SESSION_TYPE", c.type},
                                                            {"WAYLAND_DISPLAY", c.wayland},
                                                            {"XDG_CURRENT_DESKTOP", c.current}};
        for (const auto& [name, value] : vars)
            if (*value)
                env.insert(QString::fromLatin1(name), QString::fromLatin1(value));
        const platform::SessionDesktop choice = platform::sessionDesktop(env);
        EXPECT_EQ(choice.kind, c.kind) << c.override << '|' << c.type << '|' << c.current;
        EXPECT_EQ(!choice.problem.isEmpty(), c.problem) << c.override;
        EXPECT_FALSE(choice.reason.isEmpty());
    }
    EXPECT_EQ(platform::desktopKindName(DesktopKind::Wlroots), QStringLiteral("wlroots"));
}
