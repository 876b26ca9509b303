#include "platform/dialogs/ConsoleDialogs.h"

namespace platform {

MsgAnswer defaultAnswer(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
        return MsgAnswer::No;
    case MsgButtons::Ok:
    case MsgButtons::OkCancel:
        break;
    }
    return MsgAnswer::Ok;
}

MsgAnswer ConsoleDialogs::messageBox(const QString& text, const QString& title, MsgButtons buttons,
                                     MsgIcon)
{
    // One line per message: line breaks inside the text would split it.
    QString flat = text;
    flat.replace(QLatin1String("\r\n"), QLatin1String(" "))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(out_, "MSGBOX %s: %s\n", title.toUtf8().constData(), flat.toUtf8().constData());
    std::fflush(out_);
    return defaultAnswer(buttons);
}

std::optional<QString> ConsoleDialogs::inputBox(const QString&, const QString&, const QString&)
{
    return std::nullopt;
}

std::optional<QString> ConsoleDialogs::openFile(const QString&, const QString&, const QString&)
{
    return std::nullopt;
}

} // namespace platform
