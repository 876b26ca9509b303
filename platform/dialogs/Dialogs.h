#pragma once

#include <QString>
#include <optional>

namespace platform {

enum class MsgButtons
{
    Ok,
    OkCancel,
    YesNo,
    YesNoCancel
};
enum class MsgIcon
{
    None,
    Information,
    Question,
    Warning,
    Critical
};
enum class MsgAnswer
{
    Ok,
    Cancel,
    Yes,
    No
};

// Every message box, input box and file dialog of the program goes through here, so
// that each message can be checked and the program can run without a screen.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    virtual MsgAnswer messageBox(const QString& text, const QString& title, MsgButtons buttons,
                                 MsgIcon icon) = 0;
    // The text typed, or nothing when the user cancelled.
    virtual std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                            const QString& defaultText) = 0;
    // `filter` uses the "Description|pattern|Description|pattern" form.
    virtual std::optional<QString> openFile(const QString& title, const QString& filter,
                                            const QString& startFolder) = 0;
};

// The answer a message box gives when nobody is there to click: OK, or No for questions.
MsgAnswer defaultAnswer(MsgButtons buttons);

} // namespace platform
