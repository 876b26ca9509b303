#pragma once

#include <QtGlobal>
#include <functional>

// Push-to-talk: whether what is heard counts. The gate is open while the talk key is
// down and for a short tail after it comes up, so the last word is not cut; "/talk"
// opens it until the end of the next utterance. A phrase counts when its utterance
// began while the gate was open; a recogniser that does not say when utterances begin
// is judged when the phrase arrives. Turned off, everything counts.
class TalkGate
{
public:
    static constexpr qint64 kTailMs = 300;
    // How long "/talk" waits for speech to begin.
    static constexpr qint64 kTalkWaitMs = 5000;

    // `nowMs` is a monotonic clock in milliseconds.
    explicit TalkGate(std::function<qint64()> nowMs = {});

    void setEnabled(bool enabled);
    bool enabled() const { return enabled_; }

    void keyDown();
    void keyUp();
    // Open until the end of the next utterance, as one press held through it.
    void talkOnce();

    // An utterance began: whether it counts is decided now.
    void utteranceStarted();
    // An utterance ended, as a phrase or as one not understood: whether it counts. The
    // end of the utterance a "/talk" was for closes the gate.
    bool admits();

    bool isOpen() const;

private:
    std::function<qint64()> now_;
    bool enabled_ = false;
    bool down_ = false;
    qint64 upAt_ = -1;
    qint64 talkAt_ = -1;     // when "/talk" opened the gate; -1: it did not
    bool talkHeard_ = false; // an utterance began while "/talk" held the gate open
    bool started_ = false;   // the recogniser told when the utterance in hand began
    bool startedOpen_ = false;
};
