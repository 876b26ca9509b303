#include "app/frmCheck.h"
#include "launcher/Grammar.h"
#include "options/dialog/frmOptions.h"
#include "platform/autostart/Autostart.h"
#include "platform/widgets/Perchly.h"
#include "platform/widgets/Tabrix.h"
#include "tests/support/Child.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/ScopedEnv.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <map>

namespace {

const char* const kOptionNames[] = {
    "t1t",     "tcomt",        "chktext",   "regCheck",  "comFirmExe", "winStart",   "progStat",
    "starter", "startCommand", "soundPath", "soundPlay", "soundOpt",   "pushToTalk", "talkKey"};

class OptionsDialogTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        QLocale::setDefault(QLocale::c());
    }
    void TearDown() override
    {
        delete dialog.data();
        QLocale::setDefault(QLocale::system());
    }

    frmOptions& open()
    {
        if (!main)
            loaded();
        dialog = openOptionsDialog(*launcher, main.get());
        return *dialog;
    }
    template <typename T> T* field(const char* name) const { return child<T>(dialog, name); }
    QLineEdit* text(const char* name) const { return field<QLineEdit>(name); }
    QCheckBox* check(const char* name) const { return field<QCheckBox>(name); }
    QRadioButton* option(const char* name) const { return field<QRadioButton>(name); }
    void click(const char* name) const { field<Tabrix>(name)->click(); }

    // Every option value in the store; missing ones as "<missing>".
    std::map<QString, QString> storedOptions()
    {
        std::map<QString, QString> values;
        for (const char* name : kOptionNames)
            values[QString::fromLatin1(name)] =
                store.text(regpath::kOptions, QString::fromLatin1(name))
                    .value_or(QStringLiteral("<missing>"));
        return values;
    }
    QString stored(const char* name)
    {
        return store.text(regpath::kOptions, QString::fromLatin1(name))
            .value_or(QStringLiteral("<missing>"));
    }
    // Whether the dialog has gone once pending deletions ran.
    bool dialogGone()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return dialog.isNull();
    }

    TempDir configHome;
    ScopedEnv configHomeEnv{"XDG_CONFIG_HOME", configHome.path().toUtf8()};
    QPointer<frmOptions> dialog;
};

TEST_F(OptionsDialogTest, ControlsCarryTheirCaptionsInTheirGroups)
{
    open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Options"));
    const std::pair<const char*, const char*> groups[] = {{"fraStartCommand", "Start Command"},
                                                          {"Frame1", "Interaction"},
                                                          {"frmWin", "Desktop start-up"}};
    for (const auto& [name, title] : groups)
        EXPECT_EQ(field<QGroupBox>(name)->title(), QString::fromLatin1(title)) << name;

    struct Control
    {
        const char* group; // nullptr: on the window itself
        const char* name;
        const char* caption;
    };
    const Control controls[] = {
        {"fraStartCommand", "chkStartCommand", "Use Start Command"},
        {"fraStartCommand", "Label1", "Start Command:"},
        {"fraStartCommand", "chkSound", "Use Start Command Sound File"},
        {"fraStartCommand", "optWav", "Use Sound File (.wav)"},
        {"fraStartCommand", "optBeep", "Use Standard Sound (Beep Only)"},
        {"fraStartCommand", "Label6", "Start Command Sound File:"},
        {"fraStartCommand", "cmdBrowse", "Browse"},
        {"fraStartCommand", "Label7",
         "The 'Start Command Sound' option plays a sound when the Sarquen hears the 'Start "
         "Command' letting you know that it has heard you. Sarquen can play the standard Beep "
         "sound or a custom Wav file."},
        {"Frame1", "Label5",
         "How long to wait for a command after hearing the 'Start Command' (Sec.):"},
        {"Frame1", "Label4", "How long to display comfirmation screen (Sec.):"},
        {"Frame1", "Label3", "What to say when launching a program with comfirmation enabled:"},
        {nullptr, "chkComfirm", "Ask for comfirmation before launching a program"},
        {"frmWin", "chkWin", "Start with the desktop session"},
        {"frmWin", "optNormal", "Start Normal"},
        {"frmWin", "optMin", "Start Minimized"},
        {"frmWin", "optHide", "Start Hidden (in system tray)"},
        {nullptr, "cmdOk", "Ok"},
        {nullptr, "cmdCancel", "Cancel"},
    };
    for (const Control& c : controls) {
        QWidget* w = field<QWidget>(c.name);
        ASSERT_NE(w, nullptr) << c.name;
        QString caption;
        if (auto* label = qobject_cast<QLabel*>(w))
            caption = label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            caption = button->text();
        EXPECT_EQ(caption, QString::fromLatin1(c.caption)) << c.name;
        QWidget* group = c.group ? field<QWidget>(c.group) : dialog.data();
        EXPECT_EQ(w->parentWidget(), group) << c.name;
    }
    for (const char* name : {"txtStartCommand", "txtSound"})
        EXPECT_EQ(text(name)->parentWidget(), field<QWidget>("fraStartCommand")) << name;
    for (const char* name : {"txttcomt", "txtt1t", "txtchktext"})
        EXPECT_EQ(text(name)->parentWidget(), field<QWidget>("Frame1")) << name;
    const QString label2 = field<QLabel>("Label2")->text();
    EXPECT_TRUE(label2.startsWith(QStringLiteral(
        "The 'Start Command' option alows the user to say a key word before Sarquen listens")));
    EXPECT_TRUE(label2.contains(QStringLiteral("\"Computer\"")));
    EXPECT_TRUE(label2.contains(QStringLiteral("\"Start Notepad\"")));
    EXPECT_TRUE(label2.endsWith(QStringLiteral(
        "which is basicly when the Speech Engine thinks it hears a command that you didn't say.")));
}

TEST_F(OptionsDialogTest, LongExplanationsAreNeverSqueezed)
{
    open();
    dialog->adjustSize();
    dialog->layout()->activate();
    for (const char* name : {"Label2", "Label7"}) {
        const QLabel* label = field<QLabel>(name);
        EXPECT_GE(label->height(), label->heightForWidth(label->width())) << name;
        // Nor cut off at the side: the frame is as wide as the label.
        EXPECT_GE(label->parentWidget()->width(), label->minimumWidth()) << name;
    }
    // At its smallest the window still gives both columns what they need.
    dialog->resize(dialog->minimumSize());
    dialog->layout()->activate();
    EXPECT_GE(dialog->width(), dialog->layout()->minimumSize().width());
}

TEST_F(OptionsDialogTest, LoadShowsTheOptionsTheProgramWorksWith)
{
    setOption("regCheck", QStringLiteral("1"));
    setOption("comFirmExe", QStringLiteral("1"));
    setOption("winStart", QStringLiteral("1"));
    setOption("progStat", QStringLiteral("2"));
    setOption("starter", QStringLiteral("1"));
    setOption("t1t", QStringLiteral("7"));
    setOption("tcomt", QStringLiteral("2500"));
    setOption("chktext", QStringLiteral("Launch"));
    setOption("soundPlay", QStringLiteral("1"));
    setOption("soundOpt", QStringLiteral("1"));
    setOption("soundPath", QStringLiteral("/snd/ding.wav"));
    loaded();
    // The store changes behind the running program: the dialog shows what the program
    // works with, every value alike, and the next start takes the store's.
    for (const char* name : {"comFirmExe", "winStart", "regCheck", "progStat"})
        setOption(name, QStringLiteral("0"));
    setOption("tcomt", QStringLiteral("9000"));
    setOption("startCommand", QStringLiteral("Other"));
    open();

    EXPECT_TRUE(check("chkWin")->isChecked());
    for (const char* name : {"optNormal", "optMin", "optHide"})
        EXPECT_TRUE(option(name)->isEnabled()) << name;
    EXPECT_TRUE(option("optMin")->isChecked());
    EXPECT_TRUE(check("chkComfirm")->isChecked());
    EXPECT_EQ(text("txtStartCommand")->text(), QStringLiteral("Computer"));
    EXPECT_TRUE(check("chkStartCommand")->isChecked());
    EXPECT_EQ(text("txtchktext")->text(), QStringLiteral("Launch "));
    EXPECT_EQ(text("txtt1t")->text(), QStringLiteral("7"));
    EXPECT_EQ(text("txttcomt")->text(), QStringLiteral("2.5"));
    EXPECT_TRUE(check("chkSound")->isChecked());
    EXPECT_TRUE(option("optBeep")->isChecked());
    EXPECT_FALSE(option("optWav")->isChecked());
    EXPECT_TRUE(option("optBeep")->isEnabled());
    EXPECT_EQ(text("txtSound")->text(), QStringLiteral("/snd/ding.wav"));
}

TEST_F(OptionsDialogTest, SecondsUseTheUsersDecimalSeparator)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    setOption("tcomt", QStringLiteral("2500"));
    open();
    EXPECT_EQ(text("txttcomt")->text(), QStringLiteral("2,5"));
    text("txttcomt")->setText(QStringLiteral("1,25"));
    click("cmdOk");
    EXPECT_EQ(stored("tcomt"), QStringLiteral("1250"));
    EXPECT_EQ(main->tcom()->interval(), 1250);
}

TEST_F(OptionsDialogTest, CheckBoxesEnableTheirChoices)
{
    setOption("starter", QStringLiteral("0"));
    setOption("soundPlay", QStringLiteral("1"));
    setOption("winStart", QStringLiteral("0"));
    open();
    // Ticked but disabled: without the start command there is nothing to acknowledge.
    EXPECT_TRUE(check("chkSound")->isChecked());
    EXPECT_FALSE(check("chkSound")->isEnabled());
    EXPECT_FALSE(option("optWav")->isEnabled());
    EXPECT_FALSE(option("optBeep")->isEnabled());

    check("chkStartCommand")->click();
    EXPECT_TRUE(check("chkSound")->isEnabled());
    EXPECT_TRUE(option("optWav")->isEnabled());
    check("chkSound")->click();
    EXPECT_FALSE(option("optWav")->isEnabled());
    EXPECT_FALSE(option("optBeep")->isEnabled());
    check("chkStartCommand")->click();
    EXPECT_FALSE(check("chkSound")->isEnabled());
    check("chkStartCommand")->click();
    EXPECT_TRUE(check("chkSound")->isEnabled());
    EXPECT_FALSE(option("optBeep")->isEnabled()); // the sound box is still unticked

    EXPECT_FALSE(option("optHide")->isEnabled());
    check("chkWin")->click();
    for (const char* name : {"optNormal", "optMin", "optHide"})
        EXPECT_TRUE(option(name)->isEnabled()) << name;
    check("chkWin")->click();
    EXPECT_FALSE(option("optNormal")->isEnabled());

    for (const char* name : {"txtStartCommand", "txtSound", "txttcomt", "txtt1t", "txtchktext",
                             "cmdBrowse", "chkComfirm"})
        EXPECT_TRUE(field<QWidget>(name)->isEnabled()) << name;
}

TEST_F(OptionsDialogTest, BrowsePresetsTheSoundPathAndKeepsItWhenCancelled)
{
    setOption("soundPath", QStringLiteral("/snd/old.wav"));
    open();
    store.dialogs.files = {QStringLiteral("/snd/new.wav"), std::nullopt};
    click("cmdBrowse");
    EXPECT_EQ(text("txtSound")->text(), QStringLiteral("/snd/new.wav"));
    click("cmdBrowse");
    EXPECT_EQ(text("txtSound")->text(), QStringLiteral("/snd/new.wav"));
    EXPECT_EQ(store.dialogs.fileFilters,
              QStringList(2, QStringLiteral("Wav Sound File (.wav)|*.wav")));
}

TEST_F(OptionsDialogTest, OkStoresEveryValueInOrderAndAppliesThemAtOnce)
{
    open();
    EXPECT_FALSE(main->isEnabled());
    // Start from an empty key, so that the store's order of values is the order of writes.
    for (const char* name : kOptionNames)
        store.reg.DeleteRegValue(platform::HKEY_LOCAL_MACHINE, regpath::kOptions,
                                 QString::fromLatin1(name));
    journal.clear();

    check("chkStartCommand")->setChecked(true);
    text("txtStartCommand")->setText(QStringLiteral("jarvis"));
    check("chkSound")->setChecked(true);
    option("optWav")->setChecked(true);
    text("txtSound")->setText(QStringLiteral("/snd/ding.wav"));
    text("txttcomt")->setText(QStringLiteral("2.5"));
    text("txtt1t")->setText(QStringLiteral("3"));
    text("txtchktext")->setText(QStringLiteral("Shall I start"));
    check("chkComfirm")->setChecked(true);
    click("cmdOk");

    platform::HKey key = platform::kNullKey;
    ASSERT_EQ(
        store.registry.openKey(platform::HKEY_LOCAL_MACHINE, regpath::kOptions.toStdString(), &key),
        platform::ERROR_SUCCESS);
    QStringList order;
    std::string name;
    platform::RegType type;
    platform::Bytes data;
    for (std::uint32_t i = 0; store.registry.enumValue(key, i, &name, &type, &data) == 0; ++i)
        order << QString::fromStdString(name);
    store.registry.closeKey(key);
    QStringList expectedOrder;
    for (const char* n : kOptionNames)
        expectedOrder << QString::fromLatin1(n);
    EXPECT_EQ(order, expectedOrder);

    const std::map<QString, QString> expected{{"t1t", "3"},
                                              {"tcomt", "2500"},
                                              {"chktext", "Shall I start "},
                                              {"regCheck", "0"},
                                              {"comFirmExe", "1"},
                                              {"winStart", "0"},
                                              {"progStat", "0"},
                                              {"starter", "1"},
                                              {"startCommand", "Jarvis"},
                                              {"soundPath", "/snd/ding.wav"},
                                              {"soundPlay", "1"},
                                              {"soundOpt", "0"},
                                              {"pushToTalk", "0"},
                                              {"talkKey", ""}};
    EXPECT_EQ(storedOptions(), expected);
    EXPECT_EQ(store.raw(regpath::kOptions, QStringLiteral("tcomt"))->second.size(), 5u);

    EXPECT_EQ(launcher->options().tcomt, 2500);
    EXPECT_EQ(main->tcom()->interval(), 2500);
    EXPECT_EQ(launcher->options().t1t, 3);
    EXPECT_EQ(launcher->options().chktext, QStringLiteral("Shall I start "));
    EXPECT_EQ(launcher->options().startCommand, QStringLiteral("Jarvis"));
    EXPECT_TRUE(launcher->options().startPhraseOn());
    EXPECT_EQ(launcher->options().soundPlay, 1);
    EXPECT_EQ(launcher->options().soundOpt, 0);
    EXPECT_EQ(launcher->options().comFirmExe, 1);
    EXPECT_TRUE(recognizer->grammar().endsWith(QStringLiteral("<start>=Jarvis")));
    EXPECT_EQ(launcher->loadedGrammar(), recognizer->grammar());
    EXPECT_EQ(main->commandList(), builtinListEntries()); // emptied before the reload
    EXPECT_TRUE(store.dialogs.messages.empty());

    EXPECT_TRUE(main->isEnabled());
    EXPECT_EQ(journal, (QStringList{"LoadGrammarText", "StartRecognition"}));
    EXPECT_TRUE(dialogGone());
}

TEST_F(OptionsDialogTest, PushToTalkTakesTheKeyPressedAndOnlyAKeyTheDesktopGives)
{
    loaded();
    QStringList refused{"F12"};
    QStringList asked;
    launcher->setTalkKeyWatch([&](const QString& key, QString* why) {
        asked << key;
        if (!refused.contains(key))
            return true;
        *why = QStringLiteral("another program already uses %1").arg(key);
        return false;
    });
    open();
    check("chkPushToTalk")->setChecked(true);
    click("cmdOk"); // no key yet
    for (const int key : {Qt::Key_F12, Qt::Key_Backspace, Qt::Key_F12})
        QTest::keyClick(text("txtTalkKey"), static_cast<Qt::Key>(key));
    EXPECT_EQ(text("txtTalkKey")->text(), QStringLiteral("F12"));
    click("cmdOk"); // a key the desktop does not give
    ASSERT_EQ(store.dialogs.texts().size(), 2);
    EXPECT_TRUE(store.dialogs.texts()[0].contains(QLatin1String("press the key")));
    EXPECT_EQ(store.dialogs.texts()[1],
              QStringLiteral("Push-to-talk: another program already uses F12."));
    EXPECT_EQ(stored("pushToTalk"), QStringLiteral("<missing>"));

    QTest::keyClick(text("txtTalkKey"), Qt::Key_Pause);
    click("cmdOk");
    EXPECT_EQ(stored("pushToTalk"), QStringLiteral("1"));
    EXPECT_EQ(stored("talkKey"), QStringLiteral("Pause"));
    EXPECT_EQ(main->tray()->toolTip(), QStringLiteral("Ombrel Sarquen\nHold Pause to speak"));
    EXPECT_TRUE(dialogGone());

    // The desktop takes the key back later: the next OK asks for it again; a word of
    // the desktop that keeps the key does not.
    launcher->talkKeyTold(QStringLiteral("the desktop gave it the key Ctrl+Pause."), false);
    open();
    click("cmdOk");
    launcher->talkKeyTold(QStringLiteral("the desktop would not give the program Pause"), true);
    open();
    click("cmdOk");
    EXPECT_EQ(asked, (QStringList{"F12", "Pause", "Pause"}));
}

TEST_F(OptionsDialogTest, StartingWithTheSessionWritesAndRemovesTheEntry)
{
    open();
    check("chkWin")->setChecked(true);
    option("optHide")->setChecked(true);
    click("cmdOk");
    EXPECT_EQ(store.text(regpath::kRun, regpath::kRunValue),
              QStringLiteral("/opt/sarquen/zorv /h"));
    EXPECT_EQ(stored("regCheck"), QStringLiteral("1"));
    EXPECT_EQ(stored("winStart"), QStringLiteral("1"));
    EXPECT_EQ(stored("progStat"), QStringLiteral("3"));
    QFile desktopFile(configHome.file(QStringLiteral("autostart/OmbrelLauncher.desktop")));
    ASSERT_TRUE(desktopFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(desktopFile.readAll()).contains(QStringLiteral("/zorv /h\n")));
    desktopFile.close();

    // Reopened, the window shows what was stored; unticking removes both entries.
    ASSERT_TRUE(dialogGone());
    open();
    EXPECT_TRUE(check("chkWin")->isChecked());
    EXPECT_TRUE(option("optHide")->isChecked());
    check("chkWin")->setChecked(false);
    click("cmdOk");
    EXPECT_EQ(store.text(regpath::kRun, regpath::kRunValue), std::nullopt);
    EXPECT_FALSE(desktopFile.exists());
    EXPECT_EQ(stored("regCheck"), QStringLiteral("0"));
    EXPECT_EQ(stored("winStart"), QStringLiteral("0"));
    EXPECT_EQ(stored("progStat"), QStringLiteral("3")); // the choice stays, disabled
}

TEST_F(OptionsDialogTest, TickedWithNoStartModeItStartsNormal)
{
    open();
    ASSERT_FALSE(option("optNormal")->isChecked());
    QTest::mouseClick(check("chkWin"), Qt::LeftButton);
    EXPECT_TRUE(option("optNormal")->isChecked());
    click("cmdCancel");
    ASSERT_TRUE(dialogGone());

    // A store ticked with no mode (as earlier versions left it): OK writes the entry.
    setOption("winStart", QStringLiteral("1"));
    setOption("progStat", QStringLiteral("0"));
    newEngines();
    loaded();
    open();
    click("cmdOk");
    EXPECT_EQ(stored("progStat"), QStringLiteral("1"));
    EXPECT_EQ(store.text(regpath::kRun, regpath::kRunValue), QStringLiteral("/opt/sarquen/zorv"));
}

TEST_F(OptionsDialogTest, BadInputIsRefusedAndNothingIsStored)
{
    open();
    const auto before = storedOptions();
    const Options options = launcher->options();
    struct Case
    {
        const char* t1t;
        const char* tcomt;
        const char* startCommand;
        const char* named;
    };
    const Case cases[] = {
        {"three", "5", "Computer", "How long to display comfirmation screen"},
        {"32768", "5", "Computer", "How long to display comfirmation screen"},
        {"3", "", "Computer", "How long to wait for a command"},
        {"3", "32.768", "Computer", "How long to wait for a command"},
        {"3", "5", "", "\"Start Command:\" must not be empty"},
    };
    check("chkStartCommand")->setChecked(true);
    check("chkWin")->setChecked(true);
    option("optNormal")->setChecked(true);
    for (const Case& c : cases) {
        store.dialogs.messages.clear();
        text("txtt1t")->setText(QString::fromLatin1(c.t1t));
        text("txttcomt")->setText(QString::fromLatin1(c.tcomt));
        text("txtStartCommand")->setText(QString::fromLatin1(c.startCommand));
        click("cmdOk");
        ASSERT_EQ(store.dialogs.messages.size(), 1u) << c.named;
        EXPECT_TRUE(store.dialogs.messages[0].text.contains(QString::fromLatin1(c.named)))
            << store.dialogs.messages[0].text.toStdString();
        EXPECT_EQ(store.dialogs.messages[0].title, QStringLiteral("Ombrel Sarquen 2.0"));
        EXPECT_FALSE(dialogGone()) << c.named;
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_FALSE(main->isEnabled());
    }
    EXPECT_EQ(storedOptions(), before);
    EXPECT_EQ(store.text(regpath::kRun, regpath::kRunValue), std::nullopt);
    EXPECT_EQ(launcher->options().tcomt, options.tcomt);
    EXPECT_EQ(launcher->options().startCommand, options.startCommand);

    // Without the start command in use an empty phrase is stored as it is.
    check("chkStartCommand")->setChecked(false);
    click("cmdOk");
    EXPECT_EQ(stored("startCommand"), QString());
    EXPECT_EQ(stored("starter"), QStringLiteral("0"));
    EXPECT_TRUE(dialogGone());
}

TEST_F(OptionsDialogTest, CancelAndTheCloseBoxStoreNothingAndGiveTheWindowBack)
{
    const auto before = storedOptions();
    for (bool closeBox : {false, true}) {
        open();
        EXPECT_FALSE(main->isEnabled());
        const Options options = launcher->options();
        check("chkStartCommand")->setChecked(true);
        text("txtStartCommand")->setText(QStringLiteral("jarvis"));
        text("txttcomt")->setText(QStringLiteral("1"));
        text("txtt1t")->setText(QStringLiteral("9"));
        text("txtchktext")->setText(QStringLiteral("Really"));
        check("chkComfirm")->setChecked(true);
        check("chkWin")->setChecked(true);
        option("optMin")->setChecked(true);
        journal.clear();
        if (closeBox)
            dialog->close();
        else
            click("cmdCancel");
        EXPECT_EQ(storedOptions(), before) << closeBox;
        EXPECT_EQ(store.text(regpath::kRun, regpath::kRunValue), std::nullopt);
        EXPECT_EQ(launcher->options().startCommand, options.startCommand);
        EXPECT_EQ(launcher->options().chktext, options.chktext);
        EXPECT_EQ(main->tcom()->interval(), 5000);
        EXPECT_EQ(launcher->options().comFirmExe, 0);
        EXPECT_TRUE(main->isEnabled());
        EXPECT_EQ(journal, QStringList{"StartRecognition"}) << closeBox;
        EXPECT_TRUE(dialogGone());
    }
    // Nothing of the cancelled changes survives into the next opening.
    open();
    EXPECT_EQ(text("txtStartCommand")->text(), QStringLiteral("Computer"));
    EXPECT_EQ(text("txttcomt")->text(), QStringLiteral("5"));
    EXPECT_FALSE(check("chkWin")->isChecked());
}

TEST_F(OptionsDialogTest, RecognitionIsPausedAndResumedOnlyWhenListening)
{
    loaded();
    open();
    EXPECT_EQ(recognizer->calls.last(), QStringLiteral("StopRecognition"));
    EXPECT_FALSE(control<Tabrix>("cmdStop")->isHidden()); // still in the listening state
    // Asked again while open, the same window comes forward.
    EXPECT_EQ(openOptionsDialog(*launcher, main.get()), dialog.data());
    click("cmdCancel");
    ASSERT_TRUE(dialogGone());

    launcher->stopListening();
    recognizer->calls.clear();
    open();
    EXPECT_FALSE(main->isEnabled());
    click("cmdOk");
    EXPECT_TRUE(main->isEnabled());
    EXPECT_EQ(recognizer->calls, QStringList{"LoadGrammarText"});
    EXPECT_TRUE(control<Tabrix>("cmdStop")->isHidden());
}

} // namespace
