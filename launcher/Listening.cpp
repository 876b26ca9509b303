#include "launcher/Listening.h"

#include "speech/Recognizer.h"

#include <utility>

Listening::Listening(Recognizer& recognizer, std::function<void(bool listening)> shown)
    : recognizer_(recognizer), shown_(std::move(shown))
{
}

void Listening::pauseRecognition()
{
    recognizer_.StopRecognition();
}

void Listening::resumeRecognition()
{
    recognizer_.StartRecognition();
}

void Listening::stopListening()
{
    pauseRecognition();
    show(false);
}

void Listening::startListening()
{
    resumeRecognition();
    show(true);
}

void Listening::show(bool listening)
{
    listening_ = listening;
    if (shown_)
        shown_(listening);
}
