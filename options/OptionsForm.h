#pragma once

#include "options/Options.h"

#include <QLocale>
#include <QString>
#include <cstdint>
#include <optional>
#include <variant>

// The contents of the options dialog's controls, as the user left them.
struct OptionsFormInput
{
    bool useStartCommand = false;  // chkStartCommand
    QString startCommand;          // txtStartCommand
    bool playSound = false;        // chkSound
    bool wavSelected = false;      // optWav
    QString soundPath;             // txtSound
    QString tcomtSeconds;          // txttcomt
    QString t1tSeconds;            // txtt1t
    QString chkText;               // txtchktext
    bool confirm = false;          // chkComfirm
    bool startWithSession = false; // chkWin
    std::int16_t startMode = 0;    // 1 optNormal, 2 optMin, 3 optHide, 0 none selected
    bool pushToTalk = false;       // chkPushToTalk
    QString talkKey;               // txtTalkKey
};

// Input that must not be stored, with the message that tells the user why.
struct OptionsFormError
{
    enum class Field
    {
        T1t,
        Tcomt,
        StartCommand,
        TalkKey
    };
    Field field;
    QString message;
};

// Turns the dialog's controls into the option values OK stores and applies
// (`startup.regCheck` is left for the start-up entry's update). Numbers are read in
// `locale` (its decimal separator; the C locale's point is accepted as well) and must fit
// the 16-bit fields they are stored in; the start command may not be empty while it is
// in use.
std::variant<Options, OptionsFormError> readOptionsForm(const OptionsFormInput& input,
                                                        const QLocale& locale);

// The number in `text` rounded to the nearest integer, halves to the even neighbour,
// after multiplying by `scale`; nothing when the text is not a number or the result
// does not fit 16 bits.
std::optional<std::int16_t> roundedField(const QString& text, double scale, const QLocale& locale);

// Milliseconds as seconds, with a fraction only when there is one: 5000 → "5",
// 2500 → "2.5" (with the locale's decimal separator).
QString secondsText(std::int16_t milliseconds, const QLocale& locale);

// The start command as it is stored: a leading lower-case letter becomes upper case.
QString capitalisedStartCommand(QString phrase);
