#pragma once

#include <mutex>

// espeak-ng keeps its whole state (the voice, the output mode, the synthesis callback) in
// process globals and is not thread-safe. Every part of the program that calls it holds
// this one lock for the whole of its use, and sets the voice it needs each time.
std::mutex& espeakLock();

// Starts espeak-ng on first call, in synchronous mode (espeak_Synth returns once the text
// has gone through the synthesis callback) at its own sample rate. The sample rate, or 0
// when espeak-ng cannot start (no data folder). Call with espeakLock() held.
int startEspeak();
