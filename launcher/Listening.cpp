#include "launcher/Listening.h"

#include "speech/Recognizer.h"

Listening::Listening(Recognizer& recognizer, ListeningIndicators& indicators)
    : recognizer_(recognizer), indicators_(indicators)
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
    indicators_.setStopItemEnabled(false);
    indicators_.setStopButtonShown(false);
    indicators_.setStartItemEnabled(true);
    indicators_.setStartButtonShown(true);
}

void Listening::startListening()
{
    resumeRecognition();
    indicators_.setStartItemEnabled(false);
    indicators_.setStartButtonShown(false);
    indicators_.setStopItemEnabled(true);
    indicators_.setStopButtonShown(true);
}

bool Listening::isListening() const
{
    return indicators_.stopButtonShown();
}
