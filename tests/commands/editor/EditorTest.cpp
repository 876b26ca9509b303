#include "app/frmCheck.h"
#include "launcher/Grammar.h"
#include "platform/widgets/Tabrix.h"
#include "tests/commands/editor/EditorFixture.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLabel>
#include <cmath>

namespace {

using EditorTest = EditorFixture;

const QString kSameName = QStringLiteral("You can not have two commands with the same name!");

// Which of the editor's buttons are shown, in a fixed order.
QStringList shownButtons(const frmEdit& editor)
{
    QStringList shown;
    for (const char* name : {"cmdNew", "cmdAdd", "cmdChange", "cmdDel", "cmdAddCancel", "cmdDone",
                             "cmdBrowse", "cmdScripts"}) {
        if (!editor.findChild<Tabrix*>(QString::fromLatin1(name))->isHidden())
            shown << QString::fromLatin1(name);
    }
    return shown;
}

const QStringList kViewing = {"cmdNew", "cmdChange", "cmdDel", "cmdDone"};
const QStringList kEditing = {"cmdNew",  "cmdChange", "cmdDel",
                              "cmdDone", "cmdBrowse", "cmdScripts"};
const QStringList kNew = {"cmdAdd", "cmdAddCancel", "cmdBrowse", "cmdScripts"};

TEST_F(EditorTest, ControlsCarryTheirCaptionsAndTwipGeometry)
{
    frmEdit& e = open();
    EXPECT_EQ(e.windowTitle(), QStringLiteral("Edit Commands"));
    EXPECT_FALSE(e.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    const std::pair<const char*, const char*> captions[] = {{"cmdBrowse", "Browse"},
                                                            {"cmdScripts", "Use Script"},
                                                            {"cmdChange", "Change"},
                                                            {"cmdNew", "New"},
                                                            {"cmdAdd", "Add"},
                                                            {"cmdDel", "Delete"},
                                                            {"cmdAddCancel", "Cancel New"},
                                                            {"cmdDone", "Done"},
                                                            {"cmdCheckAll", "Check All Phrases"}};
    for (const auto& [name, caption] : captions)
        EXPECT_EQ(ed<Tabrix>(name)->caption(), QString::fromLatin1(caption)) << name;
    EXPECT_EQ(ed<QLabel>("Label1")->text(), QStringLiteral("Command:"));
    EXPECT_EQ(ed<QLabel>("Label2")->text(), QStringLiteral("Path:"));
    EXPECT_EQ(ed<QCheckBox>("chkActive")->text(),
              QStringLiteral("Stop listening when the above program starts"));
    EXPECT_EQ(ed<QPushButton>("cmdS2")->text(), QStringLiteral("Command1"));
    EXPECT_TRUE(ed<QPushButton>("cmdS2")->isHidden());

    auto px = [](int twips) { return int(std::lround(twips / frmCheck::twipsPerPixel())); };
    // The window is as designed, only wider where the desktop's font needs the room.
    EXPECT_EQ(e.height(), px(3390));
    EXPECT_GE(e.width(), px(7830));
    // The path field keeps its right edge; it starts after "Path:" where that is wider.
    const QRect path = ed<QLineEdit>("txtPath")->geometry();
    EXPECT_EQ(path.right(), QRect(px(4365), px(690), px(3195), px(285)).right());
    EXPECT_GE(path.left(), px(4365));
    EXPECT_EQ(ed<Tabrix>("cmdAdd")->geometry(), ed<Tabrix>("cmdNew")->geometry());
    EXPECT_EQ(ed<Tabrix>("cmdAddCancel")->geometry(), ed<Tabrix>("cmdDel")->geometry());
}

TEST_F(EditorTest, EveryCaptionIsShownWholeInsideTheWindow)
{
    frmEdit& e = open();
    // The check box's caption is far wider than its place on the form in any font.
    const auto* check = ed<QCheckBox>("chkActive");
    EXPECT_GT(check->width(), int(std::lround(2055 / frmCheck::twipsPerPixel())));
    for (QWidget* w : e.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w->isWindow() || w->objectName() == QLatin1String("cmdS2"))
            continue;
        if (qobject_cast<QLabel*>(w) || qobject_cast<QCheckBox*>(w)) {
            EXPECT_GE(w->width(), w->sizeHint().width()) << w->objectName().toStdString();
        }
        EXPECT_LE(w->geometry().right(), e.width()) << w->objectName().toStdString();
    }
    // No caption is covered by the field beside it.
    EXPECT_FALSE(ed<QLabel>("Label2")->geometry().intersects(ed<QLineEdit>("txtPath")->geometry()));
    // Controls keep their places: only widths grow.
    EXPECT_EQ(check->pos(), QPoint(int(std::lround(4920 / frmCheck::twipsPerPixel())),
                                   int(std::lround(1380 / frmCheck::twipsPerPixel()))));
}

TEST_F(EditorTest, StatesFollowTheButtonsPressed)
{
    seed({{"Notepad", "/usr/bin/gedit", "1"}, {"Calc", "/usr/bin/galculator", "0"}});
    frmEdit& e = open();
    auto* list = ed<QListWidget>("lstList");
    auto* name = ed<QLineEdit>("txtName");
    auto* path = ed<QLineEdit>("txtPath");
    auto* check = ed<QCheckBox>("chkActive");

    // Viewing after load, also once the list has the focus, as it does when the window
    // comes up.
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(list, &focus);
    EXPECT_EQ(editorList(), QStringList({"Notepad", "Calc"}));
    EXPECT_EQ(shownButtons(e), kViewing);
    EXPECT_TRUE(list->isEnabled());
    EXPECT_FALSE(name->isEnabled() || path->isEnabled() || check->isEnabled());
    EXPECT_TRUE(name->text().isEmpty() && path->text().isEmpty());

    // Editing: the fields show the row, the target without the store's NUL.
    select(0);
    EXPECT_EQ(shownButtons(e), kEditing);
    EXPECT_TRUE(name->isEnabled() && path->isEnabled() && check->isEnabled());
    EXPECT_EQ(name->text(), QStringLiteral("Notepad"));
    EXPECT_EQ(path->text(), QStringLiteral("/usr/bin/gedit"));
    EXPECT_TRUE(check->isChecked());
    select(1);
    EXPECT_EQ(path->text(), QStringLiteral("/usr/bin/galculator"));
    // Shown from its beginning, whole as the tooltip.
    EXPECT_EQ(path->cursorPosition(), 0);
    EXPECT_EQ(path->toolTip(), QStringLiteral("/usr/bin/galculator"));
    EXPECT_FALSE(check->isChecked());

    // New: empty fields, the list locked.
    click("cmdNew");
    EXPECT_EQ(shownButtons(e), kNew);
    EXPECT_FALSE(list->isEnabled());
    EXPECT_TRUE(name->isEnabled() && name->text().isEmpty() && path->text().isEmpty());

    // Cancel New stores nothing and goes back to Viewing.
    type("txtName", QStringLiteral("Mail"));
    type("txtPath", QStringLiteral("/bin/sh"));
    click("cmdAddCancel");
    EXPECT_EQ(shownButtons(e), kViewing);
    EXPECT_TRUE(list->isEnabled());
    EXPECT_FALSE(name->isEnabled());
    EXPECT_TRUE(name->text().isEmpty() && path->text().isEmpty());
    EXPECT_EQ(target("Mail"), std::nullopt);
    EXPECT_EQ(count(), QStringLiteral("2"));

    // The entry selected before New is no longer marked: Delete removes nothing.
    EXPECT_TRUE(list->selectedItems().isEmpty());
    click("cmdDel");
    EXPECT_EQ(count(), QStringLiteral("2"));
}

TEST_F(EditorTest, AddStoresTheNormalisedCommandAndTheMainWindowFollows)
{
    frmEdit& e = open();
    click("cmdNew");
    type("txtName", QStringLiteral(" notepad "));
    type("txtPath", QStringLiteral(" /nowhere/gedit -n "));
    ed<QCheckBox>("chkActive")->setChecked(true);
    click("cmdAdd");

    // A program that is nowhere to be found is warned of, and stored all the same.
    EXPECT_EQ(target("Notepad"), QStringLiteral("/nowhere/gedit -n"));
    EXPECT_EQ(flag("Notepad"), QStringLiteral("1"));
    EXPECT_EQ(count(), QStringLiteral("1"));
    EXPECT_EQ(editorList(), QStringList{"Notepad"});
    EXPECT_EQ(mainList().first(), QStringLiteral("Notepad"));
    EXPECT_EQ(recognizer->grammar(),
              buildGrammarText({QStringLiteral("Notepad")}, QStringLiteral("Computer")));
    EXPECT_EQ(shownButtons(e), kViewing);
    EXPECT_TRUE(ed<QLineEdit>("txtName")->text().isEmpty());
    ASSERT_EQ(store.dialogs.messages.size(), 1u);
    EXPECT_TRUE(store.dialogs.messages[0].text.startsWith(
        "\"/nowhere/gedit\" is not on PATH or on disk. The command is stored all the same"));
    store.dialogs.messages.clear();

    // Without a target or a phrase nothing is stored, the user is told what is missing,
    // and what was typed stays to be completed.
    click("cmdNew");
    type("txtName", QStringLiteral("Mail"));
    click("cmdAdd");
    type("txtName", QString());
    type("txtPath", QStringLiteral("/bin/sh"));
    click("cmdAdd");
    EXPECT_EQ(target("Mail"), std::nullopt);
    EXPECT_EQ(count(), QStringLiteral("1"));
    EXPECT_EQ(shownButtons(e), kNew);
    EXPECT_TRUE(ed<QLineEdit>("txtName")->isEnabled());
    EXPECT_EQ(ed<QLineEdit>("txtPath")->text(), QStringLiteral("/bin/sh"));
    ASSERT_EQ(store.dialogs.messages.size(), 2u);
    EXPECT_TRUE(store.dialogs.messages[0].text.startsWith("Give the program"));
    EXPECT_TRUE(store.dialogs.messages[1].text.startsWith("Type the phrase"));
}

TEST_F(EditorTest, AddRefusesAPhraseThatDiffersOnlyInCase)
{
    seed({{"Notepad", "/usr/bin/gedit", "0"}});
    frmEdit& e = open();
    click("cmdNew");
    type("txtName", QStringLiteral(" NOTEPAD "));
    type("txtPath", QStringLiteral("/usr/bin/vim"));
    click("cmdAdd");

    ASSERT_EQ(store.dialogs.messages.size(), 1u);
    EXPECT_EQ(store.dialogs.messages[0].text, kSameName);
    EXPECT_EQ(store.dialogs.messages[0].buttons, platform::MsgButtons::Ok);
    EXPECT_EQ(store.dialogs.messages[0].icon, platform::MsgIcon::None);
    EXPECT_EQ(target("Notepad"), QStringLiteral("/usr/bin/gedit"));
    EXPECT_EQ(count(), QStringLiteral("1"));
    // Back to the Viewing buttons, but the typed text stays to be corrected.
    EXPECT_EQ(shownButtons(e), kEditing);
    EXPECT_TRUE(ed<QListWidget>("lstList")->isEnabled());
    EXPECT_EQ(ed<QLineEdit>("txtName")->text(), QStringLiteral(" NOTEPAD "));
}

TEST_F(EditorTest, ChangeRenamesInPlaceOfTheOldCommand)
{
    seed({{"Notepad", "/usr/bin/gedit", "0"}, {"Calc", "/usr/bin/galculator", "0"}});
    frmEdit& e = open();
    select(0);
    type("txtName", QStringLiteral("editor"));
    ed<QCheckBox>("chkActive")->setChecked(true);
    click("cmdChange");

    EXPECT_EQ(target("Notepad"), std::nullopt);
    EXPECT_EQ(flag("Notepad"), std::nullopt);
    EXPECT_EQ(target("Editor"), QStringLiteral("/usr/bin/gedit"));
    EXPECT_EQ(flag("Editor"), QStringLiteral("1"));
    EXPECT_EQ(count(), QStringLiteral("2"));
    EXPECT_EQ(editorList().size(), 2);
    EXPECT_TRUE(editorList().contains(QStringLiteral("Editor")));
    EXPECT_TRUE(mainList().contains(QStringLiteral("Editor")));
    EXPECT_FALSE(mainList().contains(QStringLiteral("Notepad")));
    // Still editing, with nothing selected.
    EXPECT_TRUE(ed<QListWidget>("lstList")->selectedItems().isEmpty());
    EXPECT_EQ(shownButtons(e), kEditing);
    EXPECT_EQ(ed<QLineEdit>("txtName")->text(), QStringLiteral("editor"));
    EXPECT_TRUE(store.dialogs.messages.empty());
}

TEST_F(EditorTest, ChangeRefusesAnotherCommandsPhraseAndAMissingSelection)
{
    seed({{"Notepad", "/usr/bin/gedit", "0"}, {"Calc", "/usr/bin/galculator", "0"}});
    open();
    select(0);
    type("txtName", QStringLiteral("calc"));
    click("cmdChange");
    ASSERT_EQ(store.dialogs.texts(), QStringList{kSameName});
    EXPECT_EQ(target("Notepad"), QStringLiteral("/usr/bin/gedit"));
    EXPECT_EQ(target("Calc"), QStringLiteral("/usr/bin/galculator"));

    // Changing a command's own phrase is no clash.
    type("txtName", QStringLiteral("Notepad"));
    type("txtPath", QStringLiteral("/bin/cat"));
    click("cmdChange");
    EXPECT_EQ(store.dialogs.messages.size(), 1u);
    EXPECT_EQ(target("Notepad"), QStringLiteral("/bin/cat"));

    // The change left nothing selected: another press has no command to rewrite.
    type("txtName", QStringLiteral("Mail"));
    click("cmdChange");
    ASSERT_EQ(store.dialogs.messages.size(), 2u);
    EXPECT_EQ(store.dialogs.messages[1].text,
              QStringLiteral("Select the command to change in the list first."));
    EXPECT_EQ(target("Mail"), std::nullopt);
    EXPECT_EQ(count(), QStringLiteral("2"));
    EXPECT_EQ(editorList(), QStringList({"Notepad", "Calc"}));
}

TEST_F(EditorTest, APhraseThatSoundsLikeAnotherIsHeldBackOnlyWhenTheUserChangesIt)
{
    seed({{"Notepad", "/usr/bin/gedit", "0"}, {"Mail", "/bin/sh", "0"}});
    frmEdit& e = open();
    click("cmdNew");
    type("txtName", QStringLiteral("Note Pad"));
    type("txtPath", QStringLiteral("/bin/cat"));
    store.dialogs.answers = {platform::MsgAnswer::Yes, platform::MsgAnswer::No};
    click("cmdAdd");
    ASSERT_EQ(store.dialogs.messages.size(), 1u);
    EXPECT_EQ(store.dialogs.messages[0].text,
              QStringLiteral("\"Note Pad\" sounds like \"Notepad\": the recogniser may take one "
                             "for the other.\n\nChange it before it is stored?"));
    EXPECT_EQ(store.dialogs.messages[0].buttons, platform::MsgButtons::YesNo);
    // To be changed: nothing stored, the typed phrase stays to be reworded.
    EXPECT_EQ(target("Note Pad"), std::nullopt);
    EXPECT_EQ(count(), QStringLiteral("2"));
    EXPECT_EQ(shownButtons(e), kNew);
    EXPECT_EQ(ed<QLineEdit>("txtName")->text(), QStringLiteral("Note Pad"));

    click("cmdAdd");
    EXPECT_EQ(target("Note Pad"), QStringLiteral("/bin/cat"));
    EXPECT_EQ(count(), QStringLiteral("3"));

    // The built-in phrases are in the grammar too; a changed phrase is no rival of itself.
    select(1);
    type("txtName", QStringLiteral("Show Desktops"));
    store.dialogs.answers = {platform::MsgAnswer::Yes};
    click("cmdChange");
    ASSERT_EQ(store.dialogs.messages.size(), 3u);
    EXPECT_TRUE(store.dialogs.messages[2].text.contains(QStringLiteral("\"Show Desktop\"")));
    EXPECT_EQ(target("Mail"), QStringLiteral("/bin/sh"));
    type("txtName", QStringLiteral("Mail"));
    type("txtPath", QStringLiteral("/bin/ls"));
    click("cmdChange");
    EXPECT_EQ(store.dialogs.messages.size(), 3u);
    EXPECT_EQ(target("Mail"), QStringLiteral("/bin/ls"));

    click("cmdCheckAll");
    ASSERT_EQ(store.dialogs.messages.size(), 4u);
    EXPECT_EQ(store.dialogs.messages[3].text,
              QStringLiteral("\"Notepad\" sounds like \"Note Pad\": the recogniser may take one "
                             "for the other."));
    EXPECT_EQ(store.dialogs.messages[3].buttons, platform::MsgButtons::Ok);
}

TEST_F(EditorTest, DeleteTheSecondOfThreeKeepsTheOrder)
{
    seed({{"Alpha", "/a", "0"}, {"Beta", "/b", "1"}, {"Gamma", "/c", "0"}});
    frmEdit& e = open();
    select(1);
    click("cmdDel");

    EXPECT_EQ(target("Beta"), std::nullopt);
    EXPECT_EQ(flag("Beta"), std::nullopt);
    EXPECT_EQ(count(), QStringLiteral("2"));
    EXPECT_EQ(editorList(), QStringList({"Alpha", "Gamma"}));
    EXPECT_EQ(mainList().mid(0, 2), QStringList({"Alpha", "Gamma"}));
    EXPECT_FALSE(mainList().contains(QStringLiteral("Beta")));
    EXPECT_FALSE(ed<QLineEdit>("txtName")->isEnabled());
    EXPECT_TRUE(ed<QLineEdit>("txtName")->text().isEmpty());
    EXPECT_EQ(shownButtons(e), kViewing);
}

TEST_F(EditorTest, BrowseTakesThePickedFileAndKeepsThePathOnCancel)
{
    seed({{"Notepad", "/usr/bin/gedit", "0"}});
    open();
    select(0);
    store.dialogs.files.push_back(QStringLiteral("/bin/cat"));
    click("cmdBrowse");
    auto* path = ed<QLineEdit>("txtPath");
    EXPECT_EQ(path->text(), QStringLiteral("/bin/cat"));
    EXPECT_EQ(store.dialogs.fileFilters, QStringList{"Any File (*.*)|*.*"});

    path->setCursorPosition(0);
    click("cmdBrowse"); // cancelled
    EXPECT_EQ(path->text(), QStringLiteral("/bin/cat"));
    EXPECT_EQ(path->cursorPosition(), path->text().size());
    EXPECT_EQ(target("Notepad"), QStringLiteral("/usr/bin/gedit"));
}

TEST_F(EditorTest, DoneResumesRecognitionOnlyWhenListening)
{
    open();
    EXPECT_FALSE(main->isEnabled());
    EXPECT_FALSE(recognizer->isRecognising());
    EXPECT_TRUE(launcher->isListening()); // Stop Listening stays shown
    click("cmdDone");
    EXPECT_TRUE(main->isEnabled());
    EXPECT_TRUE(recognizer->isRecognising());
    EXPECT_FALSE(editor && editor->isVisible());
}

TEST_F(EditorTest, TheCloseBoxActsAsDoneAndLeavesAStoppedRecogniserOff)
{
    loadedIn(home.path());
    launcher->stopListening();
    editor = openCommandEditor(*launcher, main.get());
    EXPECT_FALSE(main->isEnabled());
    editor->close();
    EXPECT_TRUE(main->isEnabled());
    EXPECT_FALSE(recognizer->isRecognising());
    EXPECT_FALSE(launcher->isListening());
}

} // namespace
