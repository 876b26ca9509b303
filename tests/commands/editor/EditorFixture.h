#pragma once

#include "commands/editor/frmEdit.h"
#include "scripts/picker/frmScripts.h"
#include "tests/support/Child.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/TempDir.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <initializer_list>

// The main window over a store holding the given commands, with the command editor
// opened from it as cmdEdit opens it. The program folder is a temporary one.
class EditorFixture : public MainWindowFixture
{
protected:
    struct Stored
    {
        const char* phrase;
        const char* target;
        const char* flag;
    };

    // Writes the commands, in this order, as the editor would have written them.
    void seed(std::initializer_list<Stored> commands)
    {
        for (const Stored& c : commands) {
            store.setText(regpath::kListList, QString::fromUtf8(c.phrase),
                          QString::fromUtf8(c.target));
            store.setText(regpath::kListCheck, QString::fromUtf8(c.phrase),
                          QString::fromUtf8(c.flag));
        }
        store.setText(regpath::kList, QStringLiteral("numItems"), QString::number(commands.size()));
    }

    frmEdit& open()
    {
        loadedIn(home.path());
        editor = openCommandEditor(*launcher, main.get());
        return *editor;
    }

    template <typename T> T* ed(const char* name) const { return child<T>(editor, name); }
    void click(const char* button) const { ed<QAbstractButton>(button)->click(); }
    void type(const char* field, const QString& text) const { ed<QLineEdit>(field)->setText(text); }
    void select(int entry) const { ed<QListWidget>("lstList")->setCurrentRow(entry); }

    QStringList entries(const QListWidget* list) const
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
    QStringList editorList() const { return entries(ed<QListWidget>("lstList")); }
    QStringList mainList() const { return entries(control<QListWidget>("lstCmd")); }

    std::optional<QString> target(const char* phrase)
    {
        return store.text(regpath::kListList, QString::fromUtf8(phrase));
    }
    std::optional<QString> flag(const char* phrase)
    {
        return store.text(regpath::kListCheck, QString::fromUtf8(phrase));
    }
    std::optional<QString> count()
    {
        return store.text(regpath::kList, QStringLiteral("numItems"));
    }

    TempDir home;
    QPointer<frmEdit> editor;
};
