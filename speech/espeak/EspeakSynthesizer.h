#pragma once

#include "platform/audio/SoundFile.h"
#include "speech/Synthesizer.h"

#include <QStringList>

#include <atomic>
#include <memory>
#include <thread>

// The synthesiser of the sphinx engine: espeak-ng renders each text to 16-bit mono
// samples at its own rate (22050 Hz), and the sound is played through the PulseAudio
// server to its end. Both happen on a worker thread of this object, one text after
// another in the order given, so SpeakText returns at once; each text is followed by
// exactly one SpeechDone on the thread that owns this object, once its sound has ended.
// Without a sound server the speech is dropped and SpeechDone comes all the same.
//
// espeak-ng is one engine per process: it is started on first use and every call into it
// is serialised, so any number of these objects may exist.
class EspeakSynthesizer : public Synthesizer
{
    Q_OBJECT
public:
    // `server` names the sound server as PULSE_SERVER does; empty uses the session's.
    explicit EspeakSynthesizer(QObject* parent = nullptr, const QString& server = {});
    // Drops the texts still waiting, aborts the one being rendered and emits nothing
    // more. A text whose sound is already playing finishes on its own thread.
    ~EspeakSynthesizer() override;

    int FindVoiceIndex(const QString& attributes) override;
    // An index that names no voice keeps the current one.
    void UseVoice(std::int16_t index) override;
    // The text up to its first NUL character is spoken.
    void SpeakText(const QString& text) override;

    // True from a SpeakText until its SpeechDone has been emitted (while texts are
    // queued, until the last of them). Safe to read from any thread, so that a
    // recogniser can leave aside what it hears while the program itself talks.
    bool isSpeaking() const { return pending_.load() > 0; }

    // 1-based; the first voice until UseVoice picks another.
    int currentVoice() const { return voice_; }

    // The installed voices as attribute text ("Name=...;Language=...;Gender=..."), index 1
    // first. Gender 1 is female, 2 male. English voices come first, American English
    // ahead of the others. When espeak-ng has no female English voice of its own, a
    // female variant of the American voice follows it ("Name=... female;Gender=1").
    // Empty when espeak-ng cannot start.
    static QStringList voices();

    // Renders `text` up to its first NUL with voice `voiceIndex` (1-based; any other value
    // uses the first voice). Stops early, with what it has, once `cancel` turns true.
    // An empty text, or espeak-ng not starting, gives no samples. Safe on any thread.
    static platform::Pcm synthesize(const QString& text, int voiceIndex,
                                    const std::atomic<bool>* cancel = nullptr);

private:
    struct Queue;

    void finishOne();

    std::shared_ptr<Queue> queue_;
    std::thread worker_;
    std::atomic<int> pending_ = 0;
    int voice_ = 1;
};
