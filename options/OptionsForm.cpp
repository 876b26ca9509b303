#include "options/OptionsForm.h"

#include "options/OptionsStore.h"

#include <cmath>
#include <limits>

namespace {

constexpr double kMin = std::numeric_limits<std::int16_t>::min();
constexpr double kMax = std::numeric_limits<std::int16_t>::max();

std::optional<double> parseNumber(const QString& text, QLocale locale)
{
    // Grouping would read "2.5" as 25 where the point groups thousands.
    locale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    const QString trimmed = text.trimmed();
    bool ok = false;
    double value = locale.toDouble(trimmed, &ok);
    if (!ok)
        value = c.toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString quoted(const QString& caption)
{
    return QLatin1Char('"') + caption + QLatin1Char('"');
}

// A number as the user's locale writes it, without grouping: "32767" seconds is not to be
// read as "32.767" seconds, nor the other way round.
QString plainNumber(double value, const QLocale& locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
    return plain.toString(value, 'g', 10);
}

// A field of whole `1 / scale` seconds that must hold no negative time.
std::optional<std::int16_t> secondsField(const QString& text, double scale, const QLocale& locale)
{
    const auto value = roundedField(text, scale, locale);
    return value && *value >= 0 ? value : std::nullopt;
}

OptionsFormError secondsError(OptionsFormError::Field field, const QString& caption, double scale,
                              const QLocale& locale)
{
    return OptionsFormError{field, QStringLiteral("%1 must be a number of seconds from 0 to %2.")
                                       .arg(quoted(caption), plainNumber(kMax / scale, locale))};
}

} // namespace

std::optional<std::int16_t> roundedField(const QString& text, double scale, const QLocale& locale)
{
    const auto number = parseNumber(text, locale);
    if (!number)
        return std::nullopt;
    // nearbyint rounds halves to the even neighbour in the default rounding mode.
    const double rounded = std::nearbyint(*number * scale);
    if (!(rounded >= kMin && rounded <= kMax))
        return std::nullopt;
    return static_cast<std::int16_t>(rounded);
}

QString secondsText(std::int16_t milliseconds, const QLocale& locale)
{
    return plainNumber(milliseconds / 1000.0, locale);
}

QString capitalisedStartCommand(QString phrase)
{
    if (!phrase.isEmpty() && phrase.at(0) == phrase.at(0).toLower())
        phrase[0] = phrase.at(0).toUpper();
    return phrase;
}

std::variant<Options, OptionsFormError> readOptionsForm(const OptionsFormInput& input,
                                                        const QLocale& locale)
{
    using Field = OptionsFormError::Field;
    // A negative time would keep the prompt, or the start phrase's window, open for ever.
    const auto t1t = secondsField(input.t1tSeconds, 1, locale);
    if (!t1t)
        return secondsError(Field::T1t,
                            QStringLiteral("How long to display comfirmation screen (Sec.)"), 1,
                            locale);
    const auto tcomt = secondsField(input.tcomtSeconds, 1000, locale);
    if (!tcomt)
        return secondsError(Field::Tcomt,
                            QStringLiteral("How long to wait for a command after hearing the "
                                           "'Start Command' (Sec.)"),
                            1000, locale);
    if (input.useStartCommand && input.startCommand.isEmpty())
        return OptionsFormError{Field::StartCommand,
                                QStringLiteral("%1 must not be empty while %2 is ticked.")
                                    .arg(quoted(QStringLiteral("Start Command:")),
                                         quoted(QStringLiteral("Use Start Command")))};
    const QString talkKey = input.talkKey.trimmed();
    if (input.pushToTalk && talkKey.isEmpty())
        return OptionsFormError{Field::TalkKey,
                                QStringLiteral("Click %1 and press the key to hold while you "
                                               "speak.")
                                    .arg(quoted(QStringLiteral("Talk key:")))};

    Options o;
    o.chktext = normaliseChkText(input.chkText);
    o.t1t = *t1t;
    o.tcomt = *tcomt;
    o.starter = input.useStartCommand ? QStringLiteral("1") : QStringLiteral("0");
    o.startCommand = capitalisedStartCommand(input.startCommand);
    o.soundPath = input.soundPath;
    o.soundPlay = input.playSound ? 1 : 0;
    o.soundOpt = input.wavSelected ? 0 : 1;
    o.comFirmExe = input.confirm ? 1 : 0;
    o.startup.winStart = input.startWithSession ? 1 : 0;
    // Ticked without a start mode, it would start the program in no way at all: normal.
    o.startup.progStat = input.startWithSession && input.startMode == 0 ? 1 : input.startMode;
    o.pushToTalk = input.pushToTalk ? QStringLiteral("1") : QStringLiteral("0");
    o.talkKey = talkKey;
    return o;
}
