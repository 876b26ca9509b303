#include "platform/widgets/QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QStringList>

namespace platform {

namespace {

QMessageBox::Icon qtIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Warning:
        return QMessageBox::Warning;
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons qtButtons(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgButtons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

// A "*.*" pattern means every file, also those without a dot in their name.
QString qtPattern(QString pattern)
{
    pattern.replace(QLatin1String("*.*"), QLatin1String("*"));
    return pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
}

} // namespace

QString qtFileFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        const QString pattern = qtPattern(parts[i + 1]);
        name.replace(QLatin1String("(*.*)"), QStringLiteral("(%1)").arg(pattern));
        filters << (name.contains(QLatin1Char('(')) ? name
                                                    : QStringLiteral("%1 (%2)").arg(name, pattern));
    }
    return filters.join(QLatin1String(";;"));
}

MsgAnswer QtDialogs::messageBox(const QString& text, const QString& title, MsgButtons buttons,
                                MsgIcon icon)
{
    QMessageBox box(qtIcon(icon), title, text, qtButtons(buttons), QApplication::activeWindow());
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    case QMessageBox::Cancel:
        return MsgAnswer::Cancel;
    default:
        return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
    }
}

std::optional<QString> QtDialogs::inputBox(const QString& prompt, const QString& title,
                                           const QString& defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), title, prompt,
                                               QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<QString> QtDialogs::openFile(const QString& title, const QString& filter,
                                           const QString& startFolder)
{
    const QString path = QFileDialog::getOpenFileName(QApplication::activeWindow(), title,
                                                      startFolder, qtFileFilter(filter));
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

} // namespace platform
