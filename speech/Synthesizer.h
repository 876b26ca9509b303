#pragma once

#include <QObject>
#include <QString>
#include <cstdint>

// The speech synthesiser the main window owns. SpeakText returns before the text has
// been spoken; SpeechDone follows through the event loop once the speech has ended,
// never from inside SpeakText.
class Synthesizer : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // The index of the installed voice that best matches "Key=Value;Key=Value" attributes.
    virtual int FindVoiceIndex(const QString& attributes) = 0;
    virtual void UseVoice(std::int16_t index) = 0;
    virtual void SpeakText(const QString& text) = 0;

signals:
    void SpeechDone();
};
