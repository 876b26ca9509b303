#pragma once

#include "platform/dialogs/Dialogs.h"

class QWidget;

namespace platform {

// The dialogs shown on screen.
class QtDialogs : public Dialogs
{
public:
    MsgAnswer messageBox(const QString& text, const QString& title, MsgButtons buttons,
                         MsgIcon icon) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;
    std::optional<QString> openFile(const QString& title, const QString& filter,
                                    const QString& startFolder) override;
};

// "Any File (*.*)|*.*" as a file dialog's name filter: "Any File (*)".
QString qtFileFilter(const QString& filter);

} // namespace platform
