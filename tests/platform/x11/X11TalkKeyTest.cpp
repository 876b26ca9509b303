#include "platform/x11/X11TalkKey.h"
#include "tests/platform/x11/X11Fixture.h"
#include "tests/support/WaitUntil.h"

#include <QSignalSpy>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

using X11TalkKeyTest = X11Fixture;

void key(Display* display, unsigned long keysym, bool down)
{
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, keysym), down ? True : False, CurrentTime);
    XFlush(display);
}

TEST_F(X11TalkKeyTest, TheGrabbedKeySaysWhenItIsHeldAndIsRefusedToASecondGrab)
{
    platform::X11TalkKey talk;
    QString why;
    ASSERT_TRUE(talk.grab(QStringLiteral("F8"), &why)) << why.toStdString();
    QSignalSpy pressed(&talk, &platform::X11TalkKey::pressed);
    QSignalSpy released(&talk, &platform::X11TalkKey::released);

    // Held with Num Lock on and repeating: one press, then one release.
    key(x.display(), XK_Num_Lock, true);
    key(x.display(), XK_Num_Lock, false);
    for (int i = 0; i < 3; ++i)
        key(x.display(), XK_F8, true);
    ASSERT_TRUE(waitForEvents([&] { return pressed.count() > 0; }));
    key(x.display(), XK_F8, false);
    ASSERT_TRUE(waitForEvents([&] { return released.count() > 0; }));
    key(x.display(), XK_Num_Lock, true);
    key(x.display(), XK_Num_Lock, false);
    EXPECT_EQ(pressed.count(), 1);
    EXPECT_EQ(released.count(), 1);

    // Another program holding the key: refused with the reason; a name that is no key.
    platform::X11TalkKey other;
    EXPECT_FALSE(other.grab(QStringLiteral("F8"), &why));
    EXPECT_EQ(why, QStringLiteral("another program already uses F8 as a shortcut; pick another "
                                  "key"));
    EXPECT_FALSE(other.isGrabbed());
    EXPECT_FALSE(other.grab(QStringLiteral("NoSuchKey"), &why));
    EXPECT_EQ(why, QStringLiteral("\"NoSuchKey\" is no key of this keyboard"));
    // Let go, the key can be had.
    talk.release();
    EXPECT_TRUE(other.grab(QStringLiteral("F8"), &why)) << why.toStdString();
}

} // namespace
