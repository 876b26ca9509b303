#pragma once

#include "bench/speech/SpeechTally.h"
#include "speech/sphinx/PhraseDecoder.h"

#include <QString>
#include <QStringList>

namespace bench {

// One file through the decoder as a live stream: 20 ms chunks, then 1 s more of the
// file's background, as its first 0.4 s have it (silence, or the noise that runs on).
// `end` is where its speech ends (samples), from which the latency is measured. `live`:
// from there on until a phrase is heard the audio comes at the pace it is spoken, so that
// what the decoder does meanwhile on threads of its own counts as it would live.
Outcome decodeFile(PhraseDecoder& decoder, const std::vector<std::int16_t>& samples,
                   std::size_t end, bool live);

// Runs a corpus builder script with bash; false when it failed.
bool runScript(const QString& script, const QStringList& args);

} // namespace bench
