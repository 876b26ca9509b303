#include "platform/portal/GlobalShortcutsPortal.h"
#include "tests/support/FakeGlobalShortcuts.h"
#include "tests/support/KwinSession.h"
#include "tests/support/QStringPrinting.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

namespace {

// What the talk key's portal session says, in order: "bound F9", "down", "up",
// "refused <why>".
class GlobalShortcutsPortalTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!kwin.problem().isEmpty())
            GTEST_SKIP() << kwin.problem().toStdString();
    }

    std::unique_ptr<platform::GlobalShortcutsPortal> open()
    {
        auto key = std::make_unique<platform::GlobalShortcutsPortal>(kwin.bus());
        using Portal = platform::GlobalShortcutsPortal;
        QObject::connect(key.get(), &Portal::bound,
                         [this](const QString& k) { heard << "bound " + k; });
        QObject::connect(key.get(), &Portal::pressed, [this] { heard << QStringLiteral("down"); });
        QObject::connect(key.get(), &Portal::released, [this] { heard << QStringLiteral("up"); });
        QObject::connect(key.get(), &Portal::refused,
                         [this](const QString& why) { heard << "refused " + why; });
        return key;
    }

    bool heardOnce(qsizetype count)
    {
        return waitForEvents([&] { return heard.size() >= count; });
    }

    KwinSession kwin;
    QStringList heard;
};

TEST_F(GlobalShortcutsPortalTest, TheKeyAskedForTalksWhileDownAndGoesWithANewKey)
{
    FakeGlobalShortcuts portal;
    ASSERT_TRUE(portal.registerOn(kwin.busAddress()));
    const auto key = open();
    ASSERT_EQ(key->problem().toStdString(), "");
    key->bind(QStringLiteral("F9"));
    ASSERT_TRUE(heardOnce(1));
    portal.press(QStringLiteral("other"));
    portal.press();
    portal.press(); // the desktop's repeat is no second press
    portal.release();
    ASSERT_TRUE(heardOnce(3));
    // A new key while the old one is held lets the old one go and asks anew.
    portal.press();
    ASSERT_TRUE(heardOnce(4));
    key->bind(QStringLiteral("Pause"));
    ASSERT_TRUE(heardOnce(6));
    portal.release(); // of the old session's key: already let go
    portal.giveKey(QStringLiteral("Ctrl+Pause"));
    ASSERT_TRUE(heardOnce(7));
    key->bind(QString());
    waitForEvents([] { return false; }, 200);
    EXPECT_EQ(heard, (QStringList{"bound F9", "down", "up", "down", "up", "bound Pause",
                                  "bound Ctrl+Pause"}));
    EXPECT_EQ(portal.calls(), (QStringList{"CreateSession", "BindShortcuts talk F9",
                                           "CreateSession", "BindShortcuts talk Pause"}));
}

TEST_F(GlobalShortcutsPortalTest, SaysWhatTheDesktopAnswered)
{
    const struct
    {
        uint answer;
        QString givenKey;
        QString heard;
    } cases[] = {
        {1, {}, QStringLiteral("refused the desktop was told not to give the program F9")},
        {2, {}, QStringLiteral("refused the desktop would not give the program F9")},
        {0, QStringLiteral("Ctrl+F12"), QStringLiteral("bound Ctrl+F12")},
    };
    for (const auto& c : cases) {
        FakeGlobalShortcuts portal(c.answer, c.givenKey);
        ASSERT_TRUE(portal.registerOn(kwin.busAddress()));
        heard.clear();
        const auto key = open();
        key->bind(QStringLiteral("F9"));
        EXPECT_TRUE(heardOnce(1));
        EXPECT_EQ(heard, QStringList{c.heard});
    }
}

// The desktop's own portal (xdg-desktop-portal with its KDE part) takes the shortcut.
// Plasma 5 binds it without a key and opens its settings for the user to give it one
// (System Settings, not installed here); it is told as a shortcut that has no key yet.
TEST_F(GlobalShortcutsPortalTest, TheDesktopsOwnPortalTakesTheShortcut)
{
    const auto key = open();
    if (!key->problem().isEmpty())
        GTEST_SKIP() << key->problem().toStdString() << " (make test installs it)";
    key->bind(QStringLiteral("F9"));
    ASSERT_TRUE(heardOnce(1));
    EXPECT_TRUE(heard.first() == QStringLiteral("bound ") ||
                heard.first() == QStringLiteral("bound F9"))
        << heard.first().toStdString();
}

} // namespace
