#include "launcher/TalkGate.h"

#include <QElapsedTimer>

TalkGate::TalkGate(std::function<qint64()> nowMs) : now_(std::move(nowMs))
{
    if (!now_) {
        now_ = [clock = [] {
            QElapsedTimer t;
            t.start();
            return t;
        }()] { return clock.elapsed(); };
    }
}

void TalkGate::setEnabled(bool enabled)
{
    enabled_ = enabled;
    down_ = false;
    upAt_ = talkAt_ = -1;
    talkHeard_ = started_ = false;
}

void TalkGate::keyDown()
{
    down_ = true;
}

void TalkGate::keyUp()
{
    if (down_)
        upAt_ = now_();
    down_ = false;
}

void TalkGate::talkOnce()
{
    talkAt_ = now_();
    talkHeard_ = false;
}

bool TalkGate::isOpen() const
{
    if (!enabled_ || down_)
        return true;
    const qint64 now = now_();
    if (upAt_ >= 0 && now - upAt_ <= kTailMs)
        return true;
    return talkAt_ >= 0 && (talkHeard_ || now - talkAt_ <= kTalkWaitMs);
}

void TalkGate::utteranceStarted()
{
    started_ = true;
    startedOpen_ = isOpen();
    if (startedOpen_ && talkAt_ >= 0)
        talkHeard_ = true;
}

bool TalkGate::admits()
{
    const bool open = started_ ? startedOpen_ : isOpen();
    started_ = false;
    // The utterance "/talk" opened the gate for has ended.
    if (talkAt_ >= 0 && (talkHeard_ || open)) {
        talkAt_ = -1;
        talkHeard_ = false;
    }
    return open;
}
