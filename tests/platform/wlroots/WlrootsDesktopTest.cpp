#include "platform/wlroots/WlrootsDesktop.h"
#include "platform/wayland/WaylandActivation.h"
#include "platform/wlroots/MadeUpKeymap.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/SwaySession.h"
#include "tests/support/WaitUntil.h"

#include <QFile>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon.h>

namespace {

class WlrootsDesktopTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!sway.problem().isEmpty())
            GTEST_SKIP() << sway.problem().toStdString();
    }

    // Starts a terminal and waits until sway shows it focused.
    void openTerminal(const QString& appId,
                      const QStringList& command = {QStringLiteral("sleep"), QStringLiteral("60")})
    {
        sway.startTerminal(appId, command);
        ASSERT_TRUE(waitUntil([&] { return focused(appId); })) << appId.toStdString();
    }

    bool focused(const QString& appId) const
    {
        return sway.window(appId).value(QLatin1String("focused")).toBool();
    }

    // The id the desktop gives the window of `appId`, once it knows the window.
    platform::WindowId idOf(platform::WlrootsDesktop& desktop, const QString& appId)
    {
        platform::WindowId id = 0;
        waitUntil([&] {
            for (const auto& t : desktop.toplevels())
                if (t->appId == appId)
                    id = t->id;
            return id != 0;
        });
        return id;
    }

    SwaySession sway;
    FakeDesktop keys;
};

TEST_F(WlrootsDesktopTest, TheActiveWindowIsTheOneTheCompositorFocused)
{
    openTerminal(QStringLiteral("sarquen-first"));
    openTerminal(QStringLiteral("sarquen-second"));
    platform::WlrootsDesktop desktop(keys, sway.socket());
    ASSERT_EQ(desktop.problem(), QString());
    const platform::WindowId first = idOf(desktop, QStringLiteral("sarquen-first"));
    const platform::WindowId second = idOf(desktop, QStringLiteral("sarquen-second"));
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    EXPECT_TRUE(waitUntil([&] { return desktop.activeWindow() == second; }));

    ASSERT_TRUE(sway.command(QStringLiteral("[app_id=sarquen-first] focus")));
    EXPECT_TRUE(waitUntil([&] { return desktop.activeWindow() == first; }));

    // Restore activates the window it is given; the windows go in the order of last use.
    desktop.restoreWindow(second);
    EXPECT_TRUE(waitUntil([&] { return focused(QStringLiteral("sarquen-second")); }));
    EXPECT_TRUE(waitUntil([&] {
        return desktop.windowsByRecentUse() == std::vector<platform::WindowId>{second, first};
    }));
    desktop.activateWindow(first);
    EXPECT_TRUE(waitUntil([&] { return focused(QStringLiteral("sarquen-first")); }));
    EXPECT_TRUE(waitUntil([&] {
        return desktop.windowsByRecentUse() == std::vector<platform::WindowId>{first, second};
    }));
}

TEST_F(WlrootsDesktopTest, CloseAsksTheWindowToClose)
{
    openTerminal(QStringLiteral("sarquen-closed"));
    openTerminal(QStringLiteral("sarquen-kept"));
    platform::WlrootsDesktop desktop(keys, sway.socket());
    const platform::WindowId closed = idOf(desktop, QStringLiteral("sarquen-closed"));
    ASSERT_NE(closed, 0u);

    desktop.closeWindow(closed);
    EXPECT_TRUE(waitUntil([&] { return sway.window(QStringLiteral("sarquen-closed")).isEmpty(); }));
    EXPECT_TRUE(waitUntil([&] { return idOf(desktop, QStringLiteral("sarquen-kept")) != 0; }));
    EXPECT_FALSE(sway.window(QStringLiteral("sarquen-kept")).isEmpty());
    // The handle of the closed window went with it; an unknown id is left alone.
    for (const auto& t : desktop.toplevels())
        EXPECT_NE(t->id, closed);
    desktop.closeWindow(closed);
    desktop.closeWindow(0);
}

TEST_F(WlrootsDesktopTest, TextTypesIntoTheFocusedWindowWhateverItsCharacters)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("typed"));
    // The keyboard comes first, as the program's does: a headless compositor has no
    // other, and a program gets its keyboard only once the seat has one.
    platform::WlrootsDesktop desktop(keys, sway.socket());
    ASSERT_TRUE(desktop.typesEverywhere());
    openTerminal(QStringLiteral("sarquen-typed"),
                 {QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("cat > ") + out});
    const QString text = QStringLiteral("Hi, Sarquen! ~{|} \u00e9\u00df\u20ac\u0416\n");
    for (const char32_t c : text.toUcs4())
        EXPECT_TRUE(desktop.typeCharacter(c));
    desktop.syncInput();
    const auto typed = [&] {
        QFile file(out);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    EXPECT_TRUE(waitUntil([&] { return typed() == text; })) << typed().toStdString();
    EXPECT_FALSE(desktop.typeCharacter(U'\x01'));
    EXPECT_EQ(keys.calls, QStringList{QStringLiteral("sync")}); // no key went that way
}

TEST(MadeUpKeymap, EveryKeysymGetsAKeyOfAValidKeymap)
{
    platform::MadeUpKeymap keymap;
    const std::uint32_t a = keymap.keyFor(XKB_KEY_a);
    keymap.markSent();
    EXPECT_EQ(keymap.keyFor(XKB_KEY_a), a);
    EXPECT_FALSE(keymap.changed());
    // Past the 247 keys, the keys taken last make room; the first ones stay.
    std::uint32_t last = 0;
    for (char32_t c = 0x400; c < 0x400 + 300; ++c)
        last = keymap.keyFor(xkb_utf32_to_keysym(c));
    EXPECT_TRUE(keymap.changed());
    EXPECT_LE(last + 8, 255u);
    EXPECT_EQ(keymap.keyFor(XKB_KEY_a), a);

    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    ASSERT_NE(context, nullptr);
    xkb_keymap* compiled = xkb_keymap_new_from_string(
        context, keymap.text().constData(), XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    ASSERT_NE(compiled, nullptr);
    const xkb_keysym_t* syms = nullptr;
    EXPECT_EQ(xkb_keymap_key_get_syms_by_level(compiled, last + 8, 0, 0, &syms), 1);
    EXPECT_EQ(syms[0], xkb_utf32_to_keysym(0x400 + 299));
    xkb_keymap_unref(compiled);
    xkb_context_unref(context);
}

TEST_F(WlrootsDesktopTest, ClicksReachTheWindowUnderThePointer)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("clicked"));
    platform::WlrootsDesktop desktop(keys, sway.socket());
    ASSERT_TRUE(desktop.pointsEverywhere());
    // The terminal reports clicks (its normal mouse tracking) to the shell, which keeps the
    // first report: ESC [ M, the button, the column and the row.
    openTerminal(QStringLiteral("sarquen-clicked"),
                 {QStringLiteral("sh"), QStringLiteral("-c"),
                  QStringLiteral("stty raw -echo; printf '\\033[?1000h'; head -c 6 > ") + out});
    const QJsonObject rect =
        sway.window(QStringLiteral("sarquen-clicked")).value(QLatin1String("rect")).toObject();
    desktop.setMousePosition(rect.value(QLatin1String("x")).toInt() + 40,
                             rect.value(QLatin1String("y")).toInt() + 40);
    EXPECT_TRUE(waitUntil([&] {
        // The terminal must have switched reporting on before the click comes.
        desktop.mouseButton(platform::MouseButton::Right, true);
        desktop.mouseButton(platform::MouseButton::Right, false);
        QFile file(out);
        return file.open(QIODevice::ReadOnly) && file.size() == 6;
    }));
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray report = file.readAll();
    EXPECT_TRUE(report.startsWith("\033[M")) << report.toHex().toStdString();
    EXPECT_EQ(report.size() == 6 ? report[3] - 32 : -1, 2); // the right button
    EXPECT_EQ(desktop.mousePosition(), QPoint(rect.value(QLatin1String("x")).toInt() + 40,
                                              rect.value(QLatin1String("y")).toInt() + 40));
    desktop.moveMouse(-5, 7);
    EXPECT_EQ(desktop.mousePosition(), QPoint(rect.value(QLatin1String("x")).toInt() + 35,
                                              rect.value(QLatin1String("y")).toInt() + 47));
    EXPECT_TRUE(keys.calls.isEmpty());
}

TEST(WlrootsDesktop, WithoutACompositorTheReasonIsSaid)
{
    FakeDesktop keys;
    QTemporaryDir dir;
    platform::WlrootsDesktop nowhere(keys, dir.filePath(QStringLiteral("wayland-none")));
    EXPECT_TRUE(nowhere.problem().contains(QStringLiteral("cannot connect")));
    EXPECT_EQ(nowhere.activeWindow(), 0u);
}

} // namespace

namespace {

TEST_F(WlrootsDesktopTest, TheCompositorHandsOutATokenForEachProgramStarted)
{
    platform::WaylandActivation activation(sway.socket());
    ASSERT_TRUE(activation.offered());
    const platform::LaunchTicket first = activation.beginLaunch(QStringLiteral("foot"));
    const platform::LaunchTicket second = activation.beginLaunch(QStringLiteral("foot"));
    EXPECT_FALSE(first.id.isEmpty());
    EXPECT_NE(first.id, second.id);
    EXPECT_EQ(first.environment, (QList<std::pair<QString, QString>>{
                                     {QStringLiteral("XDG_ACTIVATION_TOKEN"), first.id},
                                     {QStringLiteral("DESKTOP_STARTUP_ID"), first.id}}));
}

} // namespace
