#include "platform/portal/RemoteDesktopPortal.h"
#include "tests/support/FakeRemoteDesktop.h"
#include "tests/support/KwinSession.h"
#include "tests/support/QStringPrinting.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

// KWin is the compositor whose layout (German) the keys are taken from; the portal is
// the fake on KWin's bus, or the desktop's own where that test says so.
class RemoteDesktopPortalTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!kwin.problem().isEmpty())
            GTEST_SKIP() << kwin.problem().toStdString();
    }

    std::unique_ptr<platform::RemoteDesktopPortal> open()
    {
        return std::make_unique<platform::RemoteDesktopPortal>(
            kwin.bus(), tokenFile, [this](const QString& why) { told << why; }, kwin.socket());
    }

    // Waits until the fake has recorded `count` calls, and returns them.
    QStringList callsOnceThere(qsizetype count)
    {
        waitForEvents([&] { return portal.calls().size() >= count; });
        return portal.calls();
    }

    KwinSession kwin;
    TempDir folder;
    const QString tokenFile = folder.file(QStringLiteral("state/token"));
    QStringList told;
    FakeRemoteDesktop portal;
};

TEST_F(RemoteDesktopPortalTest, AsksAtFirstUseThenTypesAndPointsOnTheUsersLayout)
{
    ASSERT_TRUE(portal.registerOn(kwin.busAddress()));
    const auto input = open();
    ASSERT_EQ(input->problem().toStdString(), "");
    EXPECT_TRUE(portal.calls().isEmpty()) << "nothing is asked before it is needed";

    // Sent before the user has answered: it waits, and follows in order. AltGr is the
    // layout's level-3 key.
    EXPECT_TRUE(input->typeCharacter(U'z'));
    EXPECT_TRUE(input->typeCharacter(U'@'));
    EXPECT_FALSE(input->typeCharacter(U'ж'));
    input->moveTo(10, 20);
    input->button(platform::MouseButton::Left, true);
    const QStringList expected{QStringLiteral("CreateSession"),
                               QStringLiteral("SelectDevices types=3 persist=2 token="),
                               QStringLiteral("Start"),
                               QStringLiteral("key 21 1"),
                               QStringLiteral("key 21 0"),
                               QStringLiteral("key 84 1"),
                               QStringLiteral("key 16 1"),
                               QStringLiteral("key 16 0"),
                               QStringLiteral("key 84 0"),
                               QStringLiteral("motion 800 600"),
                               QStringLiteral("motion -789 -579"),
                               QStringLiteral("button 272 1")};
    EXPECT_EQ(callsOnceThere(expected.size()), expected);
    EXPECT_TRUE(input->started());
    EXPECT_EQ(input->position(), QPoint(10, 20));
    QFile token(tokenFile);
    ASSERT_TRUE(token.open(QIODevice::ReadOnly));
    EXPECT_EQ(token.readAll(), "token-1");
    // It lets the program type without asking: the user's alone, in a folder of theirs.
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;
    EXPECT_FALSE(token.permissions() & others);
    EXPECT_FALSE(QFileInfo(QFileInfo(tokenFile).path()).permissions() & others);

    // The desktop ends the session; the next key asks again, with the token.
    portal.closeSession();
    EXPECT_TRUE(waitForEvents([&] { return !input->started(); }));
    input->keyEvent(0x0D, true); // Return
    const QStringList again = callsOnceThere(expected.size() + 5);
    EXPECT_EQ(again.mid(expected.size()),
              (QStringList{QStringLiteral("CreateSession"),
                           QStringLiteral("SelectDevices types=3 persist=2 token=token-1"),
                           QStringLiteral("Start"), QStringLiteral("key 28 1"),
                           QStringLiteral("key 28 0")}));
    EXPECT_TRUE(told.isEmpty());
}

TEST_F(RemoteDesktopPortalTest, SaysOnceWhyWhenRefusedAndSendsNothing)
{
    FakeRemoteDesktop refusing(1);
    ASSERT_TRUE(refusing.registerOn(kwin.busAddress()));
    const auto input = open();
    input->typeCharacter(U'a');
    EXPECT_TRUE(waitForEvents([&] { return !told.isEmpty(); }));
    input->typeCharacter(U'b');
    input->button(platform::MouseButton::Right, true);
    waitForEvents([] { return false; }, 200);
    EXPECT_EQ(refusing.calls(),
              (QStringList{QStringLiteral("CreateSession"),
                           QStringLiteral("SelectDevices types=3 persist=2 token="),
                           QStringLiteral("Start")}));
    ASSERT_EQ(told.size(), 1);
    EXPECT_NE(told.first().indexOf(QLatin1String("told not to let the program type")), -1)
        << told.first().toStdString();
    EXPECT_FALSE(QFile::exists(tokenFile));
}

// The desktop's own portal (xdg-desktop-portal with its KDE part, started by the bus)
// passes keys and clicks on to KWin, which hands them to the active window.
TEST_F(RemoteDesktopPortalTest, TypesAndClicksThroughTheDesktopsOwnPortal)
{
    const auto input = open();
    if (!input->problem().isEmpty())
        GTEST_SKIP() << input->problem().toStdString() << " (make test installs it)";
    QProcess* target = kwin.startWindow(QStringLiteral("sarquen-portal"));
    QByteArray printed;
    ASSERT_TRUE(WaylandSession::waitForOutput(target, "focus\n", printed)) << printed.toStdString();
    for (const char32_t c : std::u32string_view(U"zY@"))
        EXPECT_TRUE(input->typeCharacter(c));
    input->moveTo(400, 300);
    input->button(platform::MouseButton::Right, true);
    input->button(platform::MouseButton::Right, false);
    EXPECT_TRUE(WaylandSession::waitForOutput(target, "zY@\npress 2\n", printed))
        << printed.toStdString();
    EXPECT_TRUE(told.isEmpty()) << told.join(u'|').toStdString();
}

} // namespace
