#include "speech/sphinx/VoiceEnd.h"

#include <algorithm>

namespace sphinx {

bool VoiceEnd::follow(double frameDb, double backgroundDb)
{
    if (goneFrames_ <= 0)
        return false;
    loudest_ = started_ ? std::max(loudest_, frameDb) : frameDb;
    started_ = true;
    voiceless_ = isVoice(frameDb, backgroundDb, loudest_, dropDb_) ? 0 : voiceless_ + 1;
    return voiceless_ >= goneFrames_;
}

void VoiceEnd::reset()
{
    started_ = false;
    voiceless_ = 0;
}

} // namespace sphinx
