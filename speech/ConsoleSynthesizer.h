#pragma once

#include "speech/Synthesizer.h"

#include <QStringList>
#include <cstdio>

// The synthesiser of the console engine: every SpeakText prints one line "SAY <text>"
// and counts as spoken at once; SpeechDone follows through the event loop.
class ConsoleSynthesizer : public Synthesizer
{
    Q_OBJECT
public:
    // Prints to `out` (standard output unless told otherwise), which must stay open.
    explicit ConsoleSynthesizer(std::FILE* out = stdout, QObject* parent = nullptr);

    int FindVoiceIndex(const QString& attributes) override;
    // An index that names no voice keeps the current one.
    void UseVoice(std::int16_t index) override;
    void SpeakText(const QString& text) override;

    // The voices as attribute text, index 1 first.
    static QStringList voices();
    // 1-based; the first voice until UseVoice picks another.
    int currentVoice() const { return voice_; }

private:
    std::FILE* out_;
    int voice_ = 1;
};
