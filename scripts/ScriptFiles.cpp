#include "scripts/ScriptFiles.h"

#include <QDir>
#include <QStringDecoder>

namespace scriptfiles {

namespace {

// The longest file name the file systems of the desktop take, in bytes.
constexpr qsizetype kMaxFileNameBytes = 255;

bool hasControlCharacter(const QString& text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

} // namespace

QString textForEditing(const QByteArray& bytes)
{
    QStringDecoder decode(QStringConverter::Utf8);
    QString text = decode(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // A file written elsewhere may end its lines with a line feed alone: only the
    // break itself is removed, never the character before it.
    if (text.endsWith(u'\n'))
        text.chop(1);
    return text;
}

QByteArray bytesForSaving(const QString& text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QChar::ParagraphSeparator, u'\n');
    while (lines.endsWith(u'\n'))
        lines.chop(1);
    lines.replace(u'\n', QStringLiteral("\r\n"));
    return (lines + QStringLiteral("\r\n")).toUtf8();
}

NewName newScriptFileName(const QString& typed)
{
    if (typed.isEmpty())
        return {};
    const QString name = typed.trimmed();
    if (name.isEmpty())
        return {QString(), QStringLiteral("A script needs a name.")};
    if (name.contains(u'/') || hasControlCharacter(name))
        return {QString(), QStringLiteral("A script name cannot contain \"/\" or control "
                                          "characters.")};
    if (name == QStringLiteral(".") || name == QStringLiteral(".."))
        return {QString(), QStringLiteral("\"%1\" cannot be the name of a script.").arg(name)};
    const QString fileName = name + kExtension;
    if (fileName.toUtf8().size() > kMaxFileNameBytes)
        return {QString(), QStringLiteral("That script name is too long.")};
    return {fileName, QString()};
}

QStringList scriptNames(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*") + kExtension}, QDir::Files, QDir::Name);
}

QString editorCaption(const QString& fileName)
{
    const QString caption = QStringLiteral("Script Editor");
    if (fileName.isEmpty())
        return caption;
    return caption + QStringLiteral(" - ") + fileName.left(fileName.size() - kExtension.size());
}

} // namespace scriptfiles
