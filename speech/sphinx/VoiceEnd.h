#pragma once

// Talk in the room (a television, people nearby) keeps the speech detector hearing speech
// after the user has stopped, and the command waits until the longest utterance is cut.
// The user's voice, close to the microphone, stands well above such talk: this follows the
// utterance's loudest frame and tells when, for as long as a pause, every frame has been
// far below it and near the background.
namespace sphinx {

class VoiceEnd
{
public:
    // A frame within this much of the background may be distant talk, not the user.
    static constexpr double kNearBackgroundDb = 10;

    // Whether a frame is the user's voice: clear of the background, or near the utterance's
    // loudest frame. A voice soft against its own loudest syllable but clear of the
    // background is still the user's (a quiet word after a loud one, or after a click); in
    // steady noise at a low signal-to-noise ratio much of the voice is near the background,
    // but not far below its loudest syllable.
    static bool isVoice(double frameDb, double backgroundDb, double loudestDb, double dropDb)
    {
        return frameDb > backgroundDb + kNearBackgroundDb || frameDb > loudestDb - dropDb;
    }

    // goneFrames: frames (10 ms) without the voice that end it, 0 never; dropDb: how far
    // below the utterance's loudest frame a frame is no longer the user's voice.
    VoiceEnd(int goneFrames, double dropDb) : goneFrames_(goneFrames), dropDb_(dropDb) {}

    // One frame of the utterance and the running background's level, in dB. True when
    // `goneFrames` frames in a row have been without the user's voice.
    bool follow(double frameDb, double backgroundDb);
    // A new utterance.
    void reset();

private:
    int goneFrames_;
    double dropDb_;
    bool started_ = false;
    double loudest_ = 0;
    int voiceless_ = 0;
};

} // namespace sphinx
