#pragma once

#include "platform/dialogs/Dialogs.h"

#include <cstdio>

namespace platform {

// Headless dialogs: each message box becomes one line "MSGBOX <title>: <text>" on
// standard error and takes its default answer; input and file dialogs are cancelled.
class ConsoleDialogs : public Dialogs
{
public:
    explicit ConsoleDialogs(std::FILE* out = stderr) : out_(out) {}

    MsgAnswer messageBox(const QString& text, const QString& title, MsgButtons buttons,
                         MsgIcon icon) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;
    std::optional<QString> openFile(const QString& title, const QString& filter,
                                    const QString& startFolder) override;

private:
    std::FILE* out_;
};

} // namespace platform
