#include "tests/platform/x11/X11Fixture.h"

#include <QProcess>
#include <QRegularExpression>
#include <X11/Xlib.h>
#include <optional>

using namespace platform;

namespace {

// The startup messages sent to the root window, put together from their 20-byte pieces.
class StartupMessages
{
public:
    StartupMessages() : display_(XOpenDisplay(nullptr))
    {
        XSelectInput(display_, DefaultRootWindow(display_), PropertyChangeMask);
        XSync(display_, False);
    }
    ~StartupMessages() { XCloseDisplay(display_); }

    // Waits for the message that begins with `prefix`, the program's events handled
    // meanwhile; empty when none comes.
    QString waitFor(const QString& prefix)
    {
        QString found;
        waitForEvents([&] {
            while (XPending(display_) > 0) {
                XEvent event;
                XNextEvent(display_, &event);
                if (event.type != ClientMessage || event.xclient.format != 8)
                    continue;
                if (event.xclient.message_type == atom("_NET_STARTUP_INFO_BEGIN"))
                    partial_.clear();
                else if (event.xclient.message_type != atom("_NET_STARTUP_INFO"))
                    continue;
                const QByteArray piece(event.xclient.data.b, 20);
                const qsizetype end = piece.indexOf('\0');
                partial_ += end < 0 ? piece : piece.first(end);
                if (end >= 0 && partial_.startsWith(prefix.toUtf8()))
                    found = QString::fromUtf8(partial_);
            }
            return !found.isEmpty();
        });
        return found;
    }

private:
    Atom atom(const char* name) const { return XInternAtom(display_, name, False); }

    Display* display_;
    QByteArray partial_;
};

using LaunchTest = X11Fixture;

TEST_F(LaunchTest, AStartedWindowIsActivatedUnlessTheUserTurnedToAnother)
{
    for (const bool turnedAway : {false, true}) {
        TestWindow working("sarquen working");
        activate(working);
        StartupMessages messages;
        const LaunchTicket ticket = desktop.beginLaunch(QStringLiteral("launched_window"));
        EXPECT_TRUE(ticket.id.contains(QRegularExpression(QStringLiteral("^zorv/.+_TIME[0-9]+$"))))
            << ticket.id.toStdString();
        EXPECT_EQ(ticket.environment,
                  (QList<std::pair<QString, QString>>{{u"DESKTOP_STARTUP_ID"_qs, ticket.id}}));
        EXPECT_TRUE(messages.waitFor(u"new: "_qs).contains(u" ID=\""_qs + ticket.id + u'"'));
        std::optional<TestWindow> other;
        if (turnedAway) {
            other.emplace("sarquen other");
            activate(*other);
        }
        // A window that takes no keyboard input, which the window manager never focuses.
        QProcess program;
        program.start(QStringLiteral(SARQUEN_LAUNCHED_WINDOW),
                      {u"sarquen launched"_qs, u"no-input"_qs});
        ASSERT_TRUE(program.waitForStarted());
        desktop.launched(ticket, program.processId());
        EXPECT_EQ(messages.waitFor(u"remove: "_qs), u"remove: ID=\""_qs + ticket.id + u'"');
        const unsigned long started = x.findMappedWindow(u"sarquen launched"_qs);
        EXPECT_NE(started, 0u);
        EXPECT_EQ(x.activeWindow(), turnedAway ? other->id() : started) << turnedAway;
        program.kill();
        program.waitForFinished();
    }
}

} // namespace
