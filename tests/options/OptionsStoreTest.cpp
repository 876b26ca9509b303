#include "options/OptionsStore.h"
#include "store/RegistryPaths.h"
#include "tests/support/TestStore.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

const QChar kNul(u'\0');

class OptionsStoreTest : public ::testing::Test
{
protected:
    void SetUp() override { store.createProductKeys(); }
    void set(const char* name, const QString& text)
    {
        store.setText(regpath::kOptions, QString::fromLatin1(name), text);
    }

    TestStore store;
};

TEST_F(OptionsStoreTest, LoadsEveryValueWithItsConversion)
{
    set("soundPath", QStringLiteral("/usr/share/sounds/start.wav"));
    set("soundPlay", QStringLiteral("1"));
    set("soundOpt", QStringLiteral("0"));
    set("comFirmExe", QStringLiteral("1"));
    set("starter", QStringLiteral("1"));
    set("startCommand", QStringLiteral("Computer"));
    set("t1t", QStringLiteral("7"));
    set("tcomt", QStringLiteral("2500"));
    set("chktext", QStringLiteral("Launch"));
    set("regCheck", QStringLiteral("1"));
    set("winStart", QStringLiteral("1"));
    set("progStat", QStringLiteral("3"));

    const Options o = LoadOptions(store.reg);
    // Texts other than the start phrase keep the store's NUL; their users stop at it.
    EXPECT_EQ(o.soundPath, QStringLiteral("/usr/share/sounds/start.wav") + kNul);
    EXPECT_EQ(o.soundPlay, 1);
    EXPECT_EQ(o.soundOpt, 0);
    EXPECT_EQ(o.comFirmExe, 1);
    EXPECT_EQ(o.starter, QStringLiteral("1") + kNul);
    EXPECT_TRUE(o.startPhraseOn());
    EXPECT_EQ(o.startCommand, QStringLiteral("Computer"));
    EXPECT_EQ(o.t1t, 7);
    EXPECT_EQ(o.tcomt, 2500);
    EXPECT_EQ(o.chktext, QStringLiteral("Launch "));
    EXPECT_EQ(o.startup.regCheck, 1);
    EXPECT_EQ(o.startup.winStart, 1);
    EXPECT_EQ(o.startup.progStat, 3);
    EXPECT_TRUE(store.dialogs.messages.empty());
}

TEST_F(OptionsStoreTest, MissingValuesLoadAsEmptyAndZero)
{
    const Options o = LoadOptions(store.reg);
    EXPECT_TRUE(o.soundPath.isEmpty());
    EXPECT_EQ(o.soundPlay, 0);
    EXPECT_EQ(o.tcomt, 0);
    EXPECT_EQ(o.comFirmExe, 0);
    EXPECT_FALSE(o.startPhraseOn());
    // A missing start phrase does not stop the load: it is empty and never heard.
    EXPECT_TRUE(o.startCommand.isEmpty());
    EXPECT_EQ(o.chktext, QStringLiteral(" "));
    EXPECT_TRUE(store.dialogs.messages.empty());
}

TEST_F(OptionsStoreTest, EmptyStoredStartPhraseLoadsEmpty)
{
    set("startCommand", QString());
    EXPECT_TRUE(LoadOptions(store.reg).startCommand.isEmpty());
}

TEST_F(OptionsStoreTest, StartPhraseLosesOnlyItsLastCharacter)
{
    set("startCommand", QStringLiteral("hey Computer 2 "));
    EXPECT_EQ(LoadOptions(store.reg).startCommand, QStringLiteral("hey Computer 2 "));
}

TEST_F(OptionsStoreTest, ChkTextGetsOneTrailingSpace)
{
    set("chktext", QStringLiteral("Launch "));
    EXPECT_EQ(LoadOptions(store.reg).chktext, QStringLiteral("Launch "));
    EXPECT_EQ(normaliseChkText(QStringLiteral("Start")), QStringLiteral("Start "));
    EXPECT_EQ(normaliseChkText(QStringLiteral("Start") + kNul), QStringLiteral("Start "));
    EXPECT_EQ(normaliseChkText(QString()), QStringLiteral(" "));
}

TEST_F(OptionsStoreTest, MalformedNumbersLoadAsZero)
{
    set("t1t", QStringLiteral("five"));
    set("tcomt", QStringLiteral("70000")); // does not fit the 16-bit field
    set("starter", QStringLiteral("yes"));
    const Options o = LoadOptions(store.reg);
    EXPECT_EQ(o.t1t, 0);
    EXPECT_EQ(o.tcomt, 0);
    EXPECT_FALSE(o.startPhraseOn());
}

TEST_F(OptionsStoreTest, NumbersStoredAsDwordLoadLikeText)
{
    store.reg.WriteRegValue(HKEY_LOCAL_MACHINE, regpath::kOptions, QStringLiteral("tcomt"), 4000,
                            REG_DWORD);
    EXPECT_EQ(LoadOptions(store.reg).tcomt, 4000);
}

TEST_F(OptionsStoreTest, SaveWritesTextWithOneNulAndLoadsBack)
{
    Options o;
    o.soundPath = QStringLiteral("/home/u/beep.wav");
    o.soundPlay = 1;
    o.soundOpt = 0;
    o.starter = QStringLiteral("1");
    o.startCommand = QStringLiteral("Computer");
    o.t1t = 5;
    o.tcomt = 2500;
    o.chktext = QStringLiteral("Launch ");
    o.comFirmExe = 1;
    o.startup = StartupEntry{1, 1, 3};
    o.pushToTalk = QStringLiteral("1");
    o.talkKey = QStringLiteral("F9");
    SaveOptions(store.reg, o);

    const auto tcomt = store.raw(regpath::kOptions, QStringLiteral("tcomt"));
    ASSERT_TRUE(tcomt);
    EXPECT_EQ(tcomt->first, REG_SZ);
    EXPECT_EQ(tcomt->second, (Bytes{'2', '5', '0', '0', 0}));
    EXPECT_EQ(store.text(regpath::kOptions, QStringLiteral("chktext")), QStringLiteral("Launch "));
    EXPECT_EQ(store.text(regpath::kOptions, QStringLiteral("regCheck")), QStringLiteral("1"));
    EXPECT_EQ(store.text(regpath::kOptions, QStringLiteral("winStart")), QStringLiteral("1"));
    EXPECT_EQ(store.text(regpath::kOptions, QStringLiteral("progStat")), QStringLiteral("3"));

    const Options loaded = LoadOptions(store.reg);
    EXPECT_EQ(loaded.tcomt, 2500);
    EXPECT_EQ(loaded.startCommand, QStringLiteral("Computer"));
    EXPECT_EQ(loaded.comFirmExe, 1);
    EXPECT_TRUE(loaded.pushToTalkOn());
    EXPECT_EQ(loaded.talkKey, QStringLiteral("F9"));
    EXPECT_TRUE(store.dialogs.messages.empty());
    // A store from before push-to-talk, or one with no key picked: off.
    EXPECT_FALSE(Options{}.pushToTalkOn());
    set("talkKey", QString());
    EXPECT_FALSE(LoadOptions(store.reg).pushToTalkOn());
}

TEST_F(OptionsStoreTest, SavingLoadedOptionsDoesNotPileUpNuls)
{
    set("soundPath", QStringLiteral("/a.wav"));
    set("starter", QStringLiteral("0"));
    for (int round = 0; round < 3; ++round) {
        SaveOptions(store.reg, LoadOptions(store.reg));
    }
    EXPECT_EQ(store.raw(regpath::kOptions, QStringLiteral("soundPath"))->second,
              (Bytes{'/', 'a', '.', 'w', 'a', 'v', 0}));
    EXPECT_EQ(store.raw(regpath::kOptions, QStringLiteral("starter"))->second, (Bytes{'0', 0}));
    EXPECT_EQ(store.raw(regpath::kOptions, QStringLiteral("chktext"))->second, (Bytes{' ', 0}));
}

TEST(OptionsStoreMissingKey, SaveReportsEveryFailedWriteAndGoesOn)
{
    TestStore store; // no keys at all
    SaveOptions(store.reg, Options{});
    // Fourteen values, two messages each.
    ASSERT_EQ(store.dialogs.messages.size(), 28u);
    EXPECT_EQ(store.dialogs.messages[0].text, QStringLiteral("RegOpenKey error - 2"));
    EXPECT_EQ(store.dialogs.messages[1].text, QStringLiteral("SetValue error - 6"));
    EXPECT_EQ(store.dialogs.messages[27].text, QStringLiteral("SetValue error - 6"));
}

} // namespace

namespace {

TEST_F(OptionsStoreTest, SaveWritesInItsFixedOrder)
{
    SaveOptions(store.reg, Options{});
    HKey key = kNullKey;
    ASSERT_EQ(store.registry.openKey(HKEY_LOCAL_MACHINE, regpath::kOptions.toStdString(), &key),
              ERROR_SUCCESS);
    QStringList names;
    std::string name;
    RegType type;
    Bytes data;
    for (std::uint32_t i = 0; store.registry.enumValue(key, i, &name, &type, &data) == 0; ++i)
        names << QString::fromStdString(name);
    store.registry.closeKey(key);
    EXPECT_EQ(names, (QStringList{"t1t", "tcomt", "chktext", "regCheck", "comFirmExe", "winStart",
                                  "progStat", "starter", "startCommand", "soundPath", "soundPlay",
                                  "soundOpt", "pushToTalk", "talkKey"}));
}

} // namespace
