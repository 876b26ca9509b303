#include "tests/support/RecordingDialogs.h"

using namespace platform;

namespace {

std::optional<QString> takeFront(std::deque<std::optional<QString>>& queue)
{
    std::optional<QString> front;
    if (!queue.empty()) {
        front.swap(queue.front());
        queue.pop_front();
    }
    return front;
}

} // namespace

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
    return takeFront(inputs);
}

std::optional<QString> RecordingDialogs::openFile(const QString&, const QString& filter,
                                                  const QString&)
{
    fileFilters << filter;
    return takeFront(files);
}

QStringList RecordingDialogs::texts() const
{
    QStringList out;
    for (const auto& m : messages)
        out << m.text;
    return out;
}
