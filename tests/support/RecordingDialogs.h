#pragma once

#include "platform/dialogs/Dialogs.h"

#include <QStringList>
#include <deque>
#include <vector>

// Records every message box and answers from a queue (default answers when empty).
class RecordingDialogs : public platform::Dialogs
{
public:
    struct Message
    {
        QString text;
        QString title;
        platform::MsgButtons buttons;
        platform::MsgIcon icon;
    };

    platform::MsgAnswer messageBox(const QString& text, const QString& title,
                                   platform::MsgButtons buttons, platform::MsgIcon icon) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;
    std::optional<QString> openFile(const QString& title, const QString& filter,
                                    const QString& startFolder) override;

    // The texts of the message boxes shown so far.
    QStringList texts() const;

    std::vector<Message> messages;
    std::deque<platform::MsgAnswer> answers;
    std::deque<std::optional<QString>> inputs;
    std::deque<std::optional<QString>> files;
    QStringList fileFilters;
};
