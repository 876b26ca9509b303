#include "tests/e2e/ZorvFixture.h"
#include "tests/support/WaitUntil.h"

#include <QFile>
#include <QThread>

namespace {

const QString kTitle = QStringLiteral("Ombrel Sarquen 2.0");

class ProgramTest : public ZorvFixture
{
protected:
    // The main window appears after the splash time.
    X11Session::Window mainWindow() { return x.waitForMappedWindow(kTitle, 15000); }

    void expectEndedQuietly()
    {
        ASSERT_TRUE(waitForEnd());
        EXPECT_EQ(zorv.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(zorv.exitCode(), 0);
        EXPECT_EQ(output, QStringList());
        EXPECT_EQ(zorv.readAllStandardError(), QByteArray());
    }
};

TEST_F(ProgramTest, StartsQuietlyAndTheCloseBoxEndsIt)
{
    startProgram();
    const X11Session::Window w = mainWindow();
    ASSERT_NE(w, 0u) << zorv.readAllStandardError().toStdString();
    // Phrases that match nothing are taken without a word; the built-in ones act also
    // before the user has a command of their own.
    say(QStringLiteral("nonsense"));
    say(QStringLiteral("What Time Is It"));
    ASSERT_TRUE(waitForOutput(QStringLiteral("SAY The current time is ")));
    output.clear();
    EXPECT_EQ(zorv.state(), QProcess::Running);
    x.requestClose(w);
    expectEndedQuietly();
}

TEST_F(ProgramTest, WithoutADisplayItSaysSoAndEnds)
{
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    for (const char* platform : {"", "xcb"}) {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(platform));
        startProgram();
        ASSERT_TRUE(waitForEnd()) << platform;
        EXPECT_EQ(zorv.exitStatus(), QProcess::NormalExit) << platform;
        EXPECT_EQ(zorv.exitCode(), 1) << platform;
        EXPECT_EQ(zorv.readAllStandardError(),
                  "zorv: there is no graphical display (DISPLAY is not set); start it in a "
                  "desktop session\n")
            << platform;
    }
}

TEST_F(ProgramTest, TheExitButtonEndsIt)
{
    startProgram();
    const X11Session::Window w = mainWindow();
    ASSERT_NE(w, 0u);
    x.activate(w);
    // Exit is the last control of the window's focus chain: one step back from the first.
    waitUntil([&] { return x.activeWindow() == w; }, 2500);
    QThread::msleep(200);
    x.tapKey(X11Session::kTab, /*shift=*/true);
    x.tapKey(X11Session::kSpace);
    expectEndedQuietly();
}

TEST_F(ProgramTest, AnUnreadableStoreIsReportedOnceAndLeftAlone)
{
    const QByteArray garbage(4096, 'x');
    const QString path = dir.write(QStringLiteral("store/registry.db"), garbage);
    startProgram();
    const X11Session::Window w = mainWindow();
    ASSERT_NE(w, 0u);
    x.requestClose(w);
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(zorv.exitCode(), 0);
    const QList<QByteArray> lines = zorv.readAllStandardError().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].contains(path.toUtf8())) << lines[0].toStdString();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), garbage);
}

} // namespace
