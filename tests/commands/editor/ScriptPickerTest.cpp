#include "scripts/picker/frmScripts.h"
#include "tests/commands/editor/EditorFixture.h"

#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QPushButton>
#include <QTest>

namespace {

using ScriptPickerTest = EditorFixture;

QListWidget* fileList(frmScripts* picker)
{
    return picker->findChild<QListWidget*>(QStringLiteral("File"));
}

TEST_F(ScriptPickerTest, AMissingScriptsFolderIsCreatedAndListsNothing)
{
    TempDir folder;
    frmScripts picker(folder.path() + QStringLiteral("/"), {}, nullptr);
    EXPECT_TRUE(QDir(folder.file(QStringLiteral("Scripts"))).exists());
    // One line that cannot be picked says where scripts are kept.
    ASSERT_EQ(fileList(&picker)->count(), 1);
    QListWidgetItem* none = fileList(&picker)->item(0);
    EXPECT_EQ(none->text(),
              QStringLiteral("No scripts yet. Scripts are kept in %1/Scripts/").arg(folder.path()));
    EXPECT_FALSE(none->flags() & (Qt::ItemIsEnabled | Qt::ItemIsSelectable));
    EXPECT_EQ(fileList(&picker)->toolTip(), QStringLiteral("Double Click to Select"));
    EXPECT_EQ(picker.ShowState(), 0);
}

TEST_F(ScriptPickerTest, UseScriptDropsThePickerBesideTheAnchorAndFillsThePath)
{
    seed({{"Notepad", "/usr/bin/gedit", "1"}});
    QDir(home.path()).mkpath(QStringLiteral("Scripts"));
    home.write(QStringLiteral("Scripts/mail.kps"), "$say$Mail\n");
    home.write(QStringLiteral("Scripts/backup.kps"), "$run$/usr/bin/backup\n");
    home.write(QStringLiteral("Scripts/notes.txt"), "not a script\n");
    open();
    select(0);
    click("cmdScripts");

    frmScripts* picker = editor->picker();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->ShowState(), 1);
    EXPECT_TRUE(picker->windowFlags() & Qt::FramelessWindowHint);
    const auto* anchor = ed<QPushButton>("cmdS2");
    const QPoint corner = anchor->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(picker->pos(), QPoint(corner.x() + anchor->width() + 1, corner.y() - 1));

    QListWidget* files = fileList(picker);
    ASSERT_EQ(files->count(), 2);
    EXPECT_EQ(files->item(0)->text(), QStringLiteral("backup.kps"));
    // A click picks it, as Enter does.
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                      files->visualItemRect(files->item(1)).center());
    EXPECT_EQ(ed<QLineEdit>("txtPath")->text(), home.path() + QStringLiteral("/Scripts/mail.kps"));
    EXPECT_EQ(ed<QLineEdit>("txtName")->text(), QStringLiteral("Notepad"));
    EXPECT_TRUE(ed<QCheckBox>("chkActive")->isChecked());
    EXPECT_EQ(picker->ShowState(), 0);

    // The same picker comes back, with the list it read when it was made.
    home.write(QStringLiteral("Scripts/later.kps"), "$say$Later\n");
    click("cmdScripts");
    EXPECT_EQ(editor->picker(), picker);
    EXPECT_EQ(picker->ShowState(), 1);
    EXPECT_EQ(files->count(), 2);
    files->setCurrentRow(0);
    QTest::keyClick(files, Qt::Key_Return);
    EXPECT_EQ(ed<QLineEdit>("txtPath")->text(),
              home.path() + QStringLiteral("/Scripts/backup.kps"));
    EXPECT_EQ(picker->ShowState(), 0);

    // Another window taking the focus closes it.
    click("cmdScripts");
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(picker, &deactivate);
    EXPECT_EQ(picker->ShowState(), 0);
}

} // namespace
