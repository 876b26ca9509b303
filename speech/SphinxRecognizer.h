#pragma once

#include "speech/Recognizer.h"

#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class PhraseDecoder;
namespace platform {
class AudioInput;
}

// The recogniser that listens: audio from the microphone (or a sound file) is decoded
// on a thread of its own against the grammar, and each phrase reaches the UI thread as
// a queued call. While recognition is stopped, or while `muted` says the program is
// making its own sound, the audio is thrown away, so the program never answers itself.
class SphinxRecognizer : public Recognizer
{
    Q_OBJECT
public:
    SphinxRecognizer(std::unique_ptr<PhraseDecoder> decoder,
                     std::unique_ptr<platform::AudioInput> input, std::function<bool()> muted,
                     QObject* parent = nullptr);
    ~SphinxRecognizer() override;

    void LoadGrammarText(const QString& grammar) override;
    bool hasInputLevel() const override { return true; }
    // The decoder is made afresh on a thread of its own (loading the model takes a
    // second) and takes over between two chunks of audio, with the grammar in use.
    void useVoiceTraining() override;

signals:
    // Phrases of the grammar that cannot be spoken and were left out.
    void phrasesSkipped(const QStringList& phrases);

protected:
    void startEngine() override { active_ = true; }
    void stopEngine() override { active_ = false; }

private:
    void listen();

    std::unique_ptr<PhraseDecoder> decoder_;
    std::unique_ptr<platform::AudioInput> input_;
    std::function<bool()> muted_;
    std::atomic<bool> active_{false};
    std::atomic<bool> quit_{false};
    std::mutex grammarLock_;
    std::optional<QString> pendingGrammar_;
    std::unique_ptr<PhraseDecoder> pendingDecoder_;
    std::thread loader_;
    std::thread worker_;
};
