#include "speech/ConsoleSynthesizer.h"

#include "speech/VoiceMatch.h"

ConsoleSynthesizer::ConsoleSynthesizer(std::FILE* out, QObject* parent)
    : Synthesizer(parent), out_(out)
{
}

QStringList ConsoleSynthesizer::voices()
{
    return {QStringLiteral("Name=Console Female;Gender=1;Mfg=Ombrel"),
            QStringLiteral("Name=Console Male;Gender=2;Mfg=Ombrel")};
}

int ConsoleSynthesizer::FindVoiceIndex(const QString& attributes)
{
    return bestVoiceIndex(attributes, voices());
}

void ConsoleSynthesizer::UseVoice(std::int16_t index)
{
    if (index >= 1 && index <= voices().size())
        voice_ = index;
}

void ConsoleSynthesizer::SpeakText(const QString& text)
{
    // One line per text, so whoever reads our output sees each text whole: line breaks
    // become spaces, and NUL characters (texts read from the registry keep their
    // terminator) are left out.
    QString line;
    line.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
            continue; // "\r\n" becomes a single space, given by its '\n'
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator || c == QChar(0x85))
            line += QLatin1Char(' ');
        else if (!c.isNull())
            line += c;
    }
    const QByteArray bytes = "SAY " + line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out_);
    std::fflush(out_);

    // The text counts as spoken once printed; the program learns so only after
    // SpeakText has returned, through the event loop.
    QMetaObject::invokeMethod(this, &Synthesizer::SpeechDone, Qt::QueuedConnection);
}
