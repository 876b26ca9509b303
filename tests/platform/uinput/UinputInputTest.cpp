#include "platform/uinput/UinputInput.h"
#include "tests/support/SwaySession.h"

#include <QStringList>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <libevdev/libevdev.h>
#include <linux/input-event-codes.h>
#include <unistd.h>

namespace {

// The key events read from the device file `fd` (opened before they were sent), as
// "code down|up".
QStringList keysSent(int fd)
{
    QStringList sent;
    libevdev* device = nullptr;
    if (libevdev_new_from_fd(fd, &device) != 0)
        return {QStringLiteral("cannot read the keyboard")};
    input_event event{};
    while (libevdev_next_event(device, LIBEVDEV_READ_FLAG_NORMAL, &event) >= 0)
        if (event.type == EV_KEY)
            sent << QStringLiteral("%1 %2").arg(event.code).arg(event.value ? "down" : "up");
    libevdev_free(device);
    return sent;
}

} // namespace

TEST(UinputInput, SaysWhyWithoutTheDevice)
{
    const platform::UinputInput input(QString(), QStringLiteral("/nonexistent/uinput"));
    EXPECT_EQ(input.problem().toStdString(), "the kernel offers no /nonexistent/uinput");
}

// Where this machine lets the test make devices: a character needing Shift on the
// compositor's (US) layout is typed with Shift held around its key.
TEST(UinputInput, TypesWithTheKeysOfTheLayout)
{
    if (access("/dev/uinput", W_OK) != 0)
        GTEST_SKIP() << "/dev/uinput cannot be written here";
    SwaySession sway;
    if (!sway.problem().isEmpty())
        GTEST_SKIP() << sway.problem().toStdString();
    platform::UinputInput input(sway.socket());
    ASSERT_EQ(input.problem().toStdString(), "");
    const int fd = open(input.keyboardNode().toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(input.typeCharacter(U'@'));
    const QStringList expected{QStringLiteral("42 down"), QStringLiteral("3 down"),
                               QStringLiteral("3 up"), QStringLiteral("42 up")};
    EXPECT_EQ(keysSent(fd), expected);
    close(fd);
}
