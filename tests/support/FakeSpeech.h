#pragma once

#include "speech/Recognizer.h"
#include "speech/Synthesizer.h"

#include <QStringList>
#include <vector>

// A recogniser that hears what the test tells it to. Calls are recorded in `calls` (and
// in `*journal`, when set, shared with a FakeSynthesizer to see the order of both):
// "StartRecognition" and "StopRecognition" when they change the state (repeated calls
// change nothing and are not recorded), "LoadGrammarText" for each grammar.
class FakeRecognizer : public Recognizer
{
    Q_OBJECT
public:
    using Recognizer::Recognizer;

    void LoadGrammarText(const QString& grammar) override;
    void useVoiceTraining() override { calls << QStringLiteral("useVoiceTraining"); }

    // Hands `phrase` on as heard, right now; dropped while recognition is stopped.
    void hear(const QString& phrase) { deliverPhrase(phrase); }
    // The last grammar loaded, empty before the first.
    QString grammar() const { return grammars.isEmpty() ? QString() : grammars.last(); }

    QStringList calls;
    QStringList grammars;
    QStringList* journal = nullptr;

protected:
    void startEngine() override;
    void stopEngine() override;

private:
    void record(const QString& call);
};

// A synthesiser that records what it is asked to say and, like a real one, emits
// SpeechDone through the event loop after SpeakText has returned, once per text (unless
// `finishesSpeech` is false; then only finishSpeech() emits it). Calls are recorded in
// `calls` (and `*journal`) as "FindVoiceIndex(<attributes>)", "UseVoice(<index>)" and
// "SpeakText(<text>)".
class FakeSynthesizer : public Synthesizer
{
    Q_OBJECT
public:
    using Synthesizer::Synthesizer;

    int FindVoiceIndex(const QString& attributes) override;
    void UseVoice(std::int16_t index) override;
    void SpeakText(const QString& text) override;

    // Emits SpeechDone now, as an engine that had been slow to finish.
    void finishSpeech() { emit SpeechDone(); }

    int voiceIndex = 1; // what FindVoiceIndex answers
    bool finishesSpeech = true;
    QStringList spoken;
    std::vector<std::int16_t> voicesUsed;
    QStringList calls;
    QStringList* journal = nullptr;

private:
    void record(const QString& call);
};
