#include "platform/widgets/Tabrix.h"
#include "speech/ConsoleRecognizer.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <unistd.h>

// The running program with typed speech: what the editor and the options window change
// is heard at once, without a restart.
namespace {

class LiveChangesTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        setOption("starter", QStringLiteral("1"));
        ASSERT_EQ(::pipe(speech), 0);
        // The program's own console recogniser, reading what the test "says".
        ownRecognizer.reset();
        recognizer = nullptr;
        launcher = std::make_unique<Launcher>(services, new ConsoleRecognizer(speech[0]),
                                              ownSynthesizer.release(),
                                              QStringLiteral("/opt/sarquen/zorv"));
        main = std::make_unique<frmLaunch>(*launcher);
        const ScopedEnv folder("SARQUEN_HOME", home.path().toUtf8());
        main->load();
    }
    void TearDown() override
    {
        main.reset();
        launcher.reset();
        ::close(speech[1]);
        ::close(speech[0]);
    }

    void say(const QString& line) const
    {
        const QByteArray bytes = line.toUtf8() + '\n';
        ASSERT_EQ(::write(speech[1], bytes.constData(), bytes.size()), bytes.size());
    }

    // Runs the program until the shell was asked to start something, for at most a while.
    QStringList launchesAfterSpeech()
    {
        waitForEvents([&] { return !shell.calls.isEmpty(); });
        return std::exchange(shell.calls, {});
    }

    // The top-level window a button of the main window opened.
    QWidget* opened(const char* button, const char* window)
    {
        QTest::mouseClick(control<Tabrix>(button), Qt::LeftButton);
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w->objectName() == QLatin1String(window))
                return w;
        }
        return nullptr;
    }
    static void press(QWidget* window, const char* button)
    {
        window->findChild<Tabrix*>(QString::fromLatin1(button))->click();
    }
    static void type(QWidget* window, const char* field, const QString& text)
    {
        window->findChild<QLineEdit*>(QString::fromLatin1(field))->setText(text);
    }

    int speech[2] = {-1, -1};
    TempDir home;
    TempDir configHome;
    ScopedEnv configHomeEnv{"XDG_CONFIG_HOME", configHome.path().toUtf8()};
};

TEST_F(LiveChangesTest, ACommandAddedInTheEditorIsHeardAtOnce)
{
    QWidget* editor = opened("cmdEdit", "frmEdit");
    ASSERT_NE(editor, nullptr);
    press(editor, "cmdNew");
    type(editor, "txtName", QStringLiteral("browser"));
    type(editor, "txtPath", QStringLiteral("/usr/bin/browser"));
    press(editor, "cmdAdd");
    press(editor, "cmdDone");
    EXPECT_TRUE(main->isEnabled());
    EXPECT_TRUE(launcher->loadedGrammar().contains(QStringLiteral("Browser")));

    say(QStringLiteral("Computer"));
    say(QStringLiteral("Browser"));
    EXPECT_EQ(launchesAfterSpeech(),
              QStringList{QStringLiteral("execute [/usr/bin/browser] [] [/usr/bin] 1")});
}

TEST_F(LiveChangesTest, ANewStartPhraseTakesOverWithoutARestart)
{
    const QString target = home.path() + QStringLiteral("/notes");
    for (const QString& phrase : {QStringLiteral("Mail"), QStringLiteral("Notes")}) {
        store.setText(regpath::kListList, phrase, home.path() + u'/' + phrase.toLower());
        store.setText(regpath::kListCheck, phrase, QStringLiteral("0"));
    }
    store.setText(regpath::kList, QStringLiteral("numItems"), QStringLiteral("2"));
    launcher->reloadCommands();

    QWidget* options = opened("cmdOptions", "frmOptions");
    ASSERT_NE(options, nullptr);
    type(options, "txtStartCommand", QStringLiteral("jarvis"));
    press(options, "cmdOk");
    EXPECT_TRUE(main->isEnabled());

    // The old start phrase wakes nothing now; the new one does. Lines are taken in
    // order, so a launch of Mail would come first.
    say(QStringLiteral("Computer"));
    say(QStringLiteral("Mail"));
    say(QStringLiteral("Jarvis"));
    say(QStringLiteral("Notes"));
    EXPECT_EQ(launchesAfterSpeech(),
              QStringList{QStringLiteral("execute [%1] [] [%2] 1").arg(target, home.path())});
    EXPECT_EQ(store.text(regpath::kOptions, QStringLiteral("startCommand")),
              QStringLiteral("Jarvis"));
}

} // namespace
