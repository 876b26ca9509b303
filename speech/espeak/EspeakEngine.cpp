#include "speech/espeak/EspeakEngine.h"

#include <espeak-ng/speak_lib.h>

std::mutex& espeakLock()
{
    static std::mutex lock;
    return lock;
}

int startEspeak()
{
    // DONT_EXIT: a missing data folder is an error to report, not the end of the process.
    static const int rate =
        espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
    return rate > 0 ? rate : 0;
}
