#include "speech/sphinx/VoiceEnd.h"

#include <algorithm>

namespace sphinx {

bool VoiceEnd::follow(double frameDb, double backgroundDb)
{
    if (goneFrames_ <= 0)
        return false;
    loudest_ = started_ ? std::max(loudest_, frameDb) : frameDb;
    started_ = true;
    // Both: a voice soft against its own loudest syllable but clear of the background is
    // still the user's (a quiet word after a loud one, or after a click); in steady noise
    // at a low signal-to-noise ratio much of the voice is near the background, but not
    // far below its loudest syllable.
    const bool voiceless =
        frameDb <= backgroundDb + kNearBackgroundDb && frameDb <= loudest_ - dropDb_;
    voiceless_ = voiceless ? voiceless_ + 1 : 0;
    return voiceless_ >= goneFrames_;
}

void VoiceEnd::reset()
{
    started_ = false;
    voiceless_ = 0;
}

} // namespace sphinx
