#include "tests/support/RecordingDialogs.h"

using namespace platform;

MsgAnswer RecordingDialogs::messageBox(const QString& text, const QString& title,
                                       MsgButtons buttons, MsgIcon icon)
{
    messages.push_back({text, title, buttons, icon});
    if (answers.empty())
        return defaultAnswer(buttons);
    const MsgAnswer a = answers.front();
    answers.pop_front();
    return a;
}

std::optional<QString> RecordingDialogs::inputBox(const QString&, const QString&, const QString&)
{
    if (inputs.empty())
        return std::nullopt;
    auto v = inputs.front();
    inputs.pop_front();
    return v;
}

std::optional<QString> RecordingDialogs::openFile(const QString&, const QString& filter,
                                                  const QString&)
{
    fileFilters << filter;
    if (files.empty())
        return std::nullopt;
    auto v = files.front();
    files.pop_front();
    return v;
}

QStringList RecordingDialogs::texts() const
{
    QStringList out;
    for (const auto& m : messages)
        out << m.text;
    return out;
}
