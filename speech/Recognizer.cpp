#include "speech/Recognizer.h"

void Recognizer::StartRecognition()
{
    if (recognising_)
        return;
    recognising_ = true;
    startEngine();
}

void Recognizer::StopRecognition()
{
    if (!recognising_)
        return;
    recognising_ = false;
    stopEngine();
}

void Recognizer::deliverPhrase(const QString& phrase)
{
    if (recognising_)
        emit PhraseHeard(phrase);
}
