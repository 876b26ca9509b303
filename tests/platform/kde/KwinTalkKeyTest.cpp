#include "platform/kde/KwinTalkKey.h"
#include "platform/kde/KwinFakeInput.h"
#include "tests/support/KwinSession.h"
#include "tests/support/QStringPrinting.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

namespace {

// KWin's shortcut service takes the talk key; keys typed through KWin's fake input
// reach it as the user's do.
TEST(KwinTalkKeyTest, TheKeyGivenSaysWhenItIsHeldAndIsRefusedToAnotherProgram)
{
    KwinSession kwin;
    if (!kwin.problem().isEmpty())
        GTEST_SKIP() << kwin.problem().toStdString();
    platform::KwinTalkKey talk(kwin.bus());
    ASSERT_EQ(talk.problem().toStdString(), "");
    QStringList heard;
    QObject::connect(&talk, &platform::KwinTalkKey::pressed, [&] { heard << "down"; });
    QObject::connect(&talk, &platform::KwinTalkKey::released, [&] { heard << "up"; });
    QString why;
    ASSERT_TRUE(talk.watch(QStringLiteral("F9"), &why)) << why.toStdString();
    platform::KwinFakeInput input(kwin.socket());
    ASSERT_EQ(input.problem().toStdString(), "");
    const auto tap = [&](int virtualKey) {
        input.keyEvent(virtualKey, true);
        input.sync();
    };
    for (const int key : {0x78 /* F9 */, 0x77 /* F8 */, 0x78})
        tap(key);
    EXPECT_TRUE(waitForEvents([&] { return heard.size() >= 4; }));
    EXPECT_EQ(heard, (QStringList{"down", "up", "down", "up"}));

    // Another program's shortcut is refused; the key let go reaches nobody's talk.
    platform::KwinTalkKey other(kwin.bus(), QStringLiteral("other-program"));
    EXPECT_FALSE(other.watch(QStringLiteral("F9"), &why));
    EXPECT_EQ(why.toStdString(),
              "another program already uses F9 as a shortcut; pick another key.");
    EXPECT_FALSE(talk.watch(QStringLiteral("Shift_L"), &why));
    EXPECT_EQ(why.toStdString(),
              "KDE's shortcuts cannot take Shift_L; pick a function key or Pause.");
    EXPECT_TRUE(other.watch(QStringLiteral("F9"), &why)) << why.toStdString();
    heard.clear();
    tap(0x78);
    waitForEvents([] { return false; }, 300);
    EXPECT_TRUE(heard.isEmpty());
}

} // namespace
