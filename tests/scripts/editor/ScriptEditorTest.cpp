#include "scripts/editor/ScriptEditor.h"
#include "platform/Platform.h"
#include "platform/widgets/RichTextBox.h"
#include "platform/widgets/Tabrix.h"
#include "tests/support/Child.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/RecordingDialogs.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

using platform::MsgAnswer;

class ScriptEditorTest : public ::testing::Test
{
protected:
    void TearDown() override { delete editor.data(); }

    QString folder() const { return home.path() + QStringLiteral("/Scripts/"); }
    void writeScript(const QString& name, const QByteArray& bytes) const
    {
        QDir().mkpath(folder());
        QFile f(folder() + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray readScript(const QString& name) const
    {
        QFile f(folder() + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void withGuide() const
    {
        home.write(QStringLiteral("Script Help and Guide.rtf"),
                   "{\\rtf1\\ansi {\\b $say$} speaks its text.\\par}");
    }

    ScriptEditor& open()
    {
        editor = new ScriptEditor(services, home.path() + QLatin1Char('/'));
        return *editor;
    }
    template <typename T> T* ctl(const char* name) const { return child<T>(editor, name); }
    QPlainTextEdit* rtb() const { return ctl<QPlainTextEdit>("rtb"); }
    void click(const char* button) const { ctl<Tabrix>(button)->click(); }
    void pick(const char* script) const
    {
        auto* list = ctl<QListWidget>("File");
        const auto found = list->findItems(QString::fromLatin1(script), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << script;
        list->setCurrentItem(found.first());
        emit list->itemClicked(found.first());
    }
    QStringList listed() const
    {
        QStringList names;
        auto* list = ctl<QListWidget>("File");
        for (int i = 0; i < list->count(); ++i)
            names << list->item(i)->text();
        return names;
    }

    TempDir home;
    RecordingDialogs dialogs;
    FakeDesktop desktop;
    platform::Platform services{nullptr, &dialogs, nullptr, &desktop};
    QPointer<ScriptEditor> editor;
};

TEST_F(ScriptEditorTest, OpensWithAnEmptyListAndTheGuideInANewScriptsFolder)
{
    withGuide();
    ScriptEditor& e = open();
    EXPECT_TRUE(QDir(folder()).exists());
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_EQ(e.windowTitle(), QStringLiteral("Script Editor"));
    EXPECT_TRUE(e.currentScript().isEmpty());
    EXPECT_FALSE(rtb()->isEnabled());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(ctl<RichTextBox>("rtbHelp")->toPlainText().contains(QStringLiteral("speaks")));

    const std::pair<const char*, const char*> captions[] = {{"cmdNew", "New Script"},
                                                            {"cmdDel", "Delete Script"},
                                                            {"cmdSave", "Save Script"},
                                                            {"cmdExit", "Exit Script Editor"}};
    for (const auto& [name, caption] : captions)
        EXPECT_EQ(ctl<Tabrix>(name)->caption(), QString::fromLatin1(caption)) << name;
    EXPECT_EQ(ctl<QLabel>("Label1")->text(), QStringLiteral("Mouse Position  -  X:"));
    EXPECT_EQ(ctl<QLabel>("Label3")->text(), QStringLiteral("Y:"));
    EXPECT_EQ(ctl<QTimer>("t1")->interval(), 50);
    EXPECT_TRUE(ctl<QTimer>("t1")->isActive());
}

TEST_F(ScriptEditorTest, AMissingGuideIsReportedAndTheEditorStillWorks)
{
    writeScript(QStringLiteral("mail.kps"), "$say$Mail\r\n");
    open();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Unable to open the Scripting Help Guide!"));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("ERROR"));
    EXPECT_EQ(dialogs.messages[0].icon, platform::MsgIcon::Critical);
    pick("mail.kps");
    EXPECT_EQ(rtb()->toPlainText(), QStringLiteral("$say$Mail"));
}

TEST_F(ScriptEditorTest, ThePointerReadOutFollowsTheMouse)
{
    withGuide();
    open();
    desktop.pointer = QPoint(640, 17);
    editor->t1Tick();
    EXPECT_EQ(ctl<QLabel>("lblX")->text(), QStringLiteral("640"));
    EXPECT_EQ(ctl<QLabel>("lblY")->text(), QStringLiteral("17"));
}

TEST_F(ScriptEditorTest, ClickingAScriptOpensItAndDropsUnsavedChanges)
{
    withGuide();
    writeScript(QStringLiteral("mail.kps"), "$say$Mail\r\n$run$/usr/bin/mail\r\n");
    writeScript(QStringLiteral("backup.kps"), "$say$Backup\n");
    writeScript(QStringLiteral("notes.txt"), "not a script");
    ScriptEditor& e = open();
    EXPECT_EQ(listed(), QStringList({"backup.kps", "mail.kps"}));

    pick("mail.kps");
    EXPECT_EQ(e.currentScript(), QStringLiteral("mail.kps"));
    EXPECT_EQ(e.windowTitle(), QStringLiteral("Script Editor - mail"));
    EXPECT_TRUE(rtb()->isEnabled());
    EXPECT_EQ(rtb()->toPlainText(), QStringLiteral("$say$Mail\n$run$/usr/bin/mail"));

    rtb()->setPlainText(QStringLiteral("changed but not saved"));
    pick("backup.kps");
    EXPECT_EQ(rtb()->toPlainText(), QStringLiteral("$say$Backup"));
    EXPECT_EQ(readScript(QStringLiteral("mail.kps")),
              QByteArray("$say$Mail\r\n$run$/usr/bin/mail\r\n"));
}

TEST_F(ScriptEditorTest, NewScriptCreatesAnEmptyFileAndOpensIt)
{
    withGuide();
    writeScript(QStringLiteral("old.kps"), "$say$Old\r\n");
    ScriptEditor& e = open();
    dialogs.inputs.push_back(QStringLiteral("test"));
    click("cmdNew");
    EXPECT_EQ(readScript(QStringLiteral("test.kps")), QByteArray());
    EXPECT_EQ(listed(), QStringList({"old.kps", "test.kps"}));
    EXPECT_EQ(ctl<QListWidget>("File")->currentItem()->text(), QStringLiteral("test.kps"));
    EXPECT_EQ(e.currentScript(), QStringLiteral("test.kps"));
    EXPECT_EQ(e.windowTitle(), QStringLiteral("Script Editor - test"));
    EXPECT_TRUE(rtb()->isEnabled());
    EXPECT_TRUE(rtb()->toPlainText().isEmpty());

    // An existing script of the same name starts afresh.
    dialogs.inputs.push_back(QStringLiteral("old"));
    click("cmdNew");
    EXPECT_EQ(readScript(QStringLiteral("old.kps")), QByteArray());

    // Cancel and an empty answer change nothing, and say nothing.
    dialogs.inputs.push_back(std::nullopt);
    click("cmdNew");
    dialogs.inputs.push_back(QString());
    click("cmdNew");
    EXPECT_EQ(e.currentScript(), QStringLiteral("old.kps"));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ScriptEditorTest, NamesThatCannotBeFileNamesAreRefused)
{
    withGuide();
    ScriptEditor& e = open();
    for (const char* bad : {"../escape", "   ", ".."}) {
        dialogs.inputs.push_back(QString::fromLatin1(bad));
        click("cmdNew");
    }
    ASSERT_EQ(dialogs.messages.size(), 3u);
    for (const auto& m : dialogs.messages)
        EXPECT_EQ(m.title, QStringLiteral("New Script"));
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_FALSE(QFile::exists(home.path() + QStringLiteral("/escape.kps")));
    EXPECT_TRUE(e.currentScript().isEmpty());
}

TEST_F(ScriptEditorTest, SaveWritesOneFinalLineBreakAndNothingWithoutAScript)
{
    withGuide();
    writeScript(QStringLiteral("mail.kps"), "$say$Mail\r\n");
    open();
    click("cmdSave"); // nothing open: nothing written anywhere
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files), QStringList{"mail.kps"});

    pick("mail.kps");
    rtb()->setPlainText(QStringLiteral("$say$Mail\n$wait$1\n\n\n"));
    click("cmdSave");
    EXPECT_EQ(readScript(QStringLiteral("mail.kps")), QByteArray("$say$Mail\r\n$wait$1\r\n"));
    pick("mail.kps");
    click("cmdSave");
    EXPECT_EQ(readScript(QStringLiteral("mail.kps")), QByteArray("$say$Mail\r\n$wait$1\r\n"));
}

TEST_F(ScriptEditorTest, AFailedSaveKeepsTheTextAndSaysWhy)
{
    withGuide();
    writeScript(QStringLiteral("mail.kps"), "$say$Mail\r\n");
    ScriptEditor& e = open();
    pick("mail.kps");
    rtb()->setPlainText(QStringLiteral("$say$Precious work"));
    // Something else took the script's place in the folder.
    ASSERT_TRUE(QFile::remove(folder() + QStringLiteral("mail.kps")));
    ASSERT_TRUE(QDir().mkpath(folder() + QStringLiteral("mail.kps")));
    click("cmdSave");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(
        dialogs.messages[0].text.startsWith(QStringLiteral("Unable to save the script mail.kps")));
    EXPECT_EQ(rtb()->toPlainText(), QStringLiteral("$say$Precious work"));
    EXPECT_EQ(e.currentScript(), QStringLiteral("mail.kps"));
}

TEST_F(ScriptEditorTest, DeleteAsksThenClosesTheScriptWhateverTheAnswer)
{
    withGuide();
    writeScript(QStringLiteral("mail.kps"), "$say$Mail\r\n");
    writeScript(QStringLiteral("keep.kps"), "$say$Keep\r\n");
    ScriptEditor& e = open();
    click("cmdDel"); // nothing open: no question
    EXPECT_TRUE(dialogs.messages.empty());

    pick("keep.kps");
    rtb()->setPlainText(QStringLiteral("unsaved"));
    dialogs.answers.push_back(MsgAnswer::No);
    click("cmdDel");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              QStringLiteral("Are you sure you want to delete script keep.kps"));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Delete Script?"));
    EXPECT_EQ(dialogs.messages[0].buttons, platform::MsgButtons::YesNo);
    EXPECT_EQ(readScript(QStringLiteral("keep.kps")), QByteArray("$say$Keep\r\n"));
    EXPECT_TRUE(e.currentScript().isEmpty());
    EXPECT_EQ(e.windowTitle(), QStringLiteral("Script Editor"));
    EXPECT_TRUE(rtb()->toPlainText().isEmpty());
    EXPECT_FALSE(rtb()->isEnabled());

    pick("mail.kps");
    dialogs.answers.push_back(MsgAnswer::Yes);
    click("cmdDel");
    EXPECT_FALSE(QFile::exists(folder() + QStringLiteral("mail.kps")));
    EXPECT_EQ(listed(), QStringList{"keep.kps"});
    EXPECT_FALSE(rtb()->isEnabled());
}

TEST_F(ScriptEditorTest, AReadOnlyScriptIsNotDeletedAndStaysOpen)
{
    withGuide();
    writeScript(QStringLiteral("locked.kps"), "$say$Locked\r\n");
    QFile::setPermissions(folder() + QStringLiteral("locked.kps"),
                          QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    ScriptEditor& e = open();
    pick("locked.kps");
    dialogs.answers.push_back(MsgAnswer::Yes);
    click("cmdDel");
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].title, QStringLiteral("ERROR"));
    EXPECT_TRUE(dialogs.messages[1].text.contains(QStringLiteral("read-only")));
    EXPECT_TRUE(QFile::exists(folder() + QStringLiteral("locked.kps")));
    EXPECT_EQ(e.currentScript(), QStringLiteral("locked.kps"));
    EXPECT_TRUE(rtb()->isEnabled());
}

TEST_F(ScriptEditorTest, OnlyOneEditorIsOpenAtATime)
{
    withGuide();
    ScriptEditor* first = openScriptEditor(services, home.path() + QLatin1Char('/'));
    editor = first;
    EXPECT_EQ(openScriptEditor(services, home.path() + QLatin1Char('/')), first);
    EXPECT_TRUE(first->isVisible());
    click("cmdExit");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(editor.isNull());
}

} // namespace
