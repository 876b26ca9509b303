#pragma once

#include "platform/audio/AudioInput.h"
#include "speech/sphinx/PhraseDecoder.h"

#include <QStringList>
#include <atomic>
#include <mutex>
#include <vector>

// Audio that never runs out: silence, handed out without waiting, but slowly enough
// that the listening thread does not spin. The next `loudReads` reads are a loud square
// wave instead.
class EndlessSilence : public platform::AudioInput
{
public:
    bool open(QString*) override { return true; }
    bool read(std::int16_t* samples, std::size_t count) override;
    std::atomic<int> reads{0};
    std::atomic<int> loudReads{0};
};

// A take as a microphone would give it: the samples, then the end of the input, so that
// the recording stops by itself.
class RecordedTake : public platform::AudioInput
{
public:
    explicit RecordedTake(std::vector<std::int16_t> samples) : samples_(std::move(samples)) {}
    bool open(QString*) override { return true; }
    bool read(std::int16_t* samples, std::size_t count) override;

private:
    std::vector<std::int16_t> samples_;
    std::size_t at_ = 0;
};

// An input there is nothing behind, as without a microphone.
class MissingInput : public platform::AudioInput
{
public:
    bool open(QString* error) override
    {
        *error = QStringLiteral("the sound server has no microphone");
        return false;
    }
    bool read(std::int16_t*, std::size_t) override { return false; }
};

// A decoder that hears `phrase` in every tenth chunk it is fed, speech having begun five
// chunks before, and records what the listening thread asked of it.
class ScriptedDecoder : public PhraseDecoder
{
public:
    bool loadGrammar(const QString& grammarText, QStringList* skipped) override;
    void feed(const std::int16_t* samples, std::size_t count,
              const std::function<void(const DecodedUtterance&)>& heard) override;
    void reset() override { ++resets; }
    bool inUtterance() const override { return fed % 10 >= 5; }

    QString phrase = QStringLiteral("Yes");
    std::atomic<int> fed{0};
    std::atomic<int> resets{0};
    std::mutex lock;
    QStringList grammars;
};
