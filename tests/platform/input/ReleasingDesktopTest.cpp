#include "platform/input/ReleasingDesktop.h"
#include "platform/input/InputRecord.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

using platform::MouseButton;

QStringList recorded(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

// Notes, at each key or button that reaches the desktop, what the record said then.
struct NotingDesktop : FakeDesktop
{
    QString path;
    QList<QStringList> seen;
    void keyEvent(int virtualKey, bool down) override
    {
        seen << recorded(path);
        FakeDesktop::keyEvent(virtualKey, down);
    }
    void mouseButton(platform::MouseButton button, bool down) override
    {
        seen << recorded(path);
        FakeDesktop::mouseButton(button, down);
    }
};

TEST(ReleasingDesktopTest, WhatTheProgramHoldsIsNotedAndLetGoOfAtTheEnd)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("held"));
    NotingDesktop desktop;
    desktop.path = path;
    {
        platform::InputRecord record(path);
        platform::ReleasingDesktop releasing(desktop, record);
        releasing.keyEvent(0x12, true); // Alt, as "Next Window" holds it
        releasing.keyEvent(0x10, true);
        releasing.keyEvent(0x10, false);
        releasing.keyEvent(0x44, true); // D is tapped, not held
        releasing.mouseButton(MouseButton::Left, true);
        EXPECT_EQ(recorded(path), (QStringList{"key 18", "button 0"}));
        // A held key or button is noted before it goes down, and kept until it is up: a
        // kill at any moment leaves a note of it.
        const QList<QStringList> seen{{"key 18"},
                                      {"key 18", "key 16"},
                                      {"key 18", "key 16"},
                                      {"key 18"},
                                      {"key 18", "button 0"}};
        EXPECT_EQ(desktop.seen, seen);
        desktop.calls.clear();
    }
    EXPECT_EQ(desktop.calls, (QStringList{"key 0x12 up", "mouse left up", "sync"}));
    EXPECT_FALSE(QFile::exists(path));
}

TEST(ReleasingDesktopTest, TheNextStartLetsGoOfWhatAKilledRunLeft)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("held"), "key 18\nbutton 2\nspare 255 8364\n"
                                                           "key 68\nbutton 9\nkey x\nnonsense\n");
    FakeDesktop desktop;
    platform::InputRecord record(path);
    ASSERT_EQ(record.leftOver().size(), 7);
    platform::ReleasingDesktop releasing(desktop, record);
    releasing.releaseLeftOver(record.leftOver());
    // Only modifiers and the three buttons: nothing else can have been left down.
    EXPECT_EQ(desktop.calls, (QStringList{"key 0x12 up", "mouse middle up", "sync"}));
    releasing.keyEvent(0x11, true);
    EXPECT_EQ(recorded(path).last(), QStringLiteral("key 17"));
    EXPECT_EQ(recorded(path).size(), 8);
    record.forgetLeftOver();
    EXPECT_EQ(recorded(path), QStringList{"key 17"});
}

} // namespace
