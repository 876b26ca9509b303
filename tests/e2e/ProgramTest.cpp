#include "tests/support/TempDir.h"
#include "tests/support/X11Session.h"

#include <QFile>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

// The program itself, started as a user starts it, on the test's X server with the
// console speech engine and a temporary store.
namespace {

const QString kTitle = QStringLiteral("Ombrel Sarquen 2.0");

QString programDir()
{
    return qEnvironmentVariable("SARQUEN_PROGRAM_DIR");
}

class ProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY") || !x.connected())
            GTEST_SKIP() << "needs an X server (make test provides one)";
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SARQUEN_REGISTRY"),
                   dir.file(QStringLiteral("store/registry.db")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.file(QStringLiteral("config")));
        env.insert(QStringLiteral("SARQUEN_SPEECH"), QStringLiteral("console"));
        env.insert(QStringLiteral("SARQUEN_DIALOGS"), QStringLiteral("console"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.remove(QStringLiteral("SARQUEN_DEBUG"));

        QProcess import;
        import.setProcessEnvironment(env);
        import.start(programDir() + QStringLiteral("/sarquen-reg"),
                     {QStringLiteral("import"), programDir() + QStringLiteral("/defaults.reg")});
        ASSERT_TRUE(import.waitForFinished(10000));
        ASSERT_EQ(import.exitCode(), 0) << import.readAllStandardError().toStdString();
    }

    void TearDown() override
    {
        if (zorv.state() != QProcess::NotRunning) {
            zorv.kill();
            zorv.waitForFinished(5000);
        }
    }

    void startProgram(const QStringList& arguments = {})
    {
        zorv.setProcessEnvironment(env);
        zorv.start(programDir() + QStringLiteral("/zorv"), arguments);
        ASSERT_TRUE(zorv.waitForStarted(5000));
    }

    // The main window appears after the splash time.
    X11Session::Window mainWindow() { return x.waitForMappedWindow(kTitle, 15000); }

    void expectEndedQuietly()
    {
        ASSERT_TRUE(zorv.waitForFinished(10000));
        EXPECT_EQ(zorv.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(zorv.exitCode(), 0);
        EXPECT_EQ(zorv.readAllStandardOutput(), QByteArray());
        EXPECT_EQ(zorv.readAllStandardError(), QByteArray());
    }

    TempDir dir;
    X11Session x;
    QProcessEnvironment env;
    QProcess zorv;
};

TEST_F(ProgramTest, StartsQuietlyAndTheCloseBoxEndsIt)
{
    startProgram();
    const X11Session::Window w = mainWindow();
    ASSERT_NE(w, 0u) << zorv.readAllStandardError().toStdString();
    // Typed phrases are taken without a word while it listens.
    zorv.write("What Time Is It\nnonsense\n");
    QThread::msleep(200);
    EXPECT_EQ(zorv.state(), QProcess::Running);
    x.requestClose(w);
    expectEndedQuietly();
}

TEST_F(ProgramTest, TheExitButtonEndsIt)
{
    startProgram();
    const X11Session::Window w = mainWindow();
    ASSERT_NE(w, 0u);
    x.activate(w);
    // Exit is the last control of the window's focus chain: one step back from the first.
    for (int i = 0; i < 50 && x.activeWindow() != w; ++i)
        QThread::msleep(50);
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
    ASSERT_TRUE(zorv.waitForFinished(10000));
    EXPECT_EQ(zorv.exitCode(), 0);
    const QList<QByteArray> lines = zorv.readAllStandardError().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].contains(path.toUtf8())) << lines[0].toStdString();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), garbage);
}

} // namespace
