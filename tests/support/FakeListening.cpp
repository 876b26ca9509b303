#include "tests/support/FakeListening.h"

#include <algorithm>
#include <chrono>
#include <thread>

bool RecordedTake::read(std::int16_t* samples, std::size_t count)
{
    if (at_ + count > samples_.size())
        return false;
    std::copy_n(samples_.begin() + static_cast<std::ptrdiff_t>(at_), count, samples);
    at_ += count;
    return true;
}

bool EndlessSilence::read(std::int16_t* samples, std::size_t count)
{
    std::fill(samples, samples + count, std::int16_t{0});
    if (loudReads > 0) {
        --loudReads;
        for (std::size_t i = 0; i < count; ++i)
            samples[i] = (i / 20) % 2 ? 16000 : -16000;
    }
    ++reads;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

bool ScriptedDecoder::loadGrammar(const QString& grammarText, QStringList* skipped)
{
    std::lock_guard<std::mutex> guard(lock);
    grammars << grammarText;
    if (skipped)
        *skipped << QStringLiteral("!!!");
    return true;
}

void ScriptedDecoder::feed(const std::int16_t*, std::size_t,
                           const std::function<void(const DecodedUtterance&)>& heard)
{
    if (++fed % 10 == 0) {
        DecodedUtterance utterance;
        utterance.phrase = phrase;
        heard(utterance);
    }
}
