#pragma once

#include "platform/x11/X11Desktop.h"
#include "tests/platform/x11/TestWindow.h"
#include "tests/support/QStringPrinting.h"
#include "tests/support/X11Session.h"

#include <gtest/gtest.h>
#include <ostream>

// The desktop on the test's X server, with a window manager running (make test starts
// one), and a user's view of the same server.
class X11Fixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY") || !x.connected())
            GTEST_SKIP() << "needs an X server (make test provides one)";
        ASSERT_TRUE(desktop.connected());
        // The window manager's window switcher, opened by Alt+Tab in a test before this
        // one and left open, would take every key: letting go of Alt closes it.
        if (!x.keyboardFree()) {
            x.tapKey(X11Session::kAltL);
            ASSERT_TRUE(waitUntil([&] { return x.keyboardFree(); }))
                << "another client holds the keyboard";
        }
    }

    // Activates `window` through the window manager and waits until it has the focus and
    // keeps it: the window manager may still move the focus for what a test before this
    // one left (a window gone, a window switch ended), and keys would then go elsewhere.
    void activate(const TestWindow& window)
    {
        for (int attempt = 0; attempt < 3; ++attempt) {
            x.activate(window.id());
            ASSERT_TRUE(waitUntil([&] { return window.hasFocus(); }));
            if (!waitUntil([&] { return !window.hasFocus(); }, 300))
                return;
        }
        FAIL() << "the window manager keeps taking the focus from the test's window";
    }

    // The events `window` received from the desktop's earlier key events: a marker key
    // (F9) follows them through the server's keyboard queue.
    QStringList keysBeforeMarker(TestWindow& window)
    {
        desktop.keyEvent(0x78, true);
        return before(window, QStringLiteral("KeyPress F9"), QStringLiteral("KeyRelease F9"));
    }

    // The button events `window` received from the desktop's earlier pointer events, with
    // a move as the marker: the window manager holds pointer events back while it looks at
    // a click, and keys pass them meanwhile.
    QStringList buttonsBeforeMarker(TestWindow& window)
    {
        const QPoint to = desktop.mousePosition() + QPoint(1, 0);
        desktop.moveMouse(1, 0);
        const QString marker = QStringLiteral("MotionNotify %1 %2").arg(to.x()).arg(to.y());
        QStringList events = before(window, marker, marker);
        events.removeIf([](const QString& e) { return e.startsWith(QStringLiteral("Motion")); });
        return events;
    }

    X11Session x;
    platform::X11Desktop desktop;

private:
    static QStringList before(TestWindow& window, const QString& marker, const QString& last)
    {
        if (!window.waitForEvent(last))
            return QStringList{QStringLiteral("marker missing")} + window.takeEvents();
        QStringList events = window.takeEvents();
        return events.mid(0, events.indexOf(marker));
    }
};
