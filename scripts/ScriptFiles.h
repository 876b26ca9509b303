#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Script files as the script editor shows and writes them. A saved script ends with
// exactly one line break and loading it drops that break again, so saving and
// loading over and over never adds blank lines.
namespace scriptfiles {

inline const QString kExtension = QStringLiteral(".kps");

// The file's text for editing: UTF-8, line breaks as line feeds, the final line break
// removed.
QString textForEditing(const QByteArray& bytes);

// What is written for the edited text: empty lines at its end dropped, every line
// ended with CR LF as in every script file of the program.
QByteArray bytesForSaving(const QString& text);

// The file name for the name typed for a new script, or why it cannot be one.
struct NewName
{
    QString fileName; // the name with ".kps"; empty when refused or not given
    QString error;    // empty when accepted or when nothing was typed at all
};
NewName newScriptFileName(const QString& typed);

// The scripts in `folder` (files matching "*.kps"), sorted by name.
QStringList scriptNames(const QString& folder);

// The caption of the editor with `fileName` open: "Script Editor - " and the name
// without its extension; "Script Editor" when no script is open.
QString editorCaption(const QString& fileName);

} // namespace scriptfiles
