#include "tests/support/FakeSpeech.h"

void FakeRecognizer::LoadGrammarText(const QString& grammar)
{
    grammars.append(grammar);
    record(QStringLiteral("LoadGrammarText"));
}

void FakeRecognizer::startEngine()
{
    record(QStringLiteral("StartRecognition"));
}

void FakeRecognizer::stopEngine()
{
    record(QStringLiteral("StopRecognition"));
}

void FakeRecognizer::record(const QString& call)
{
    calls.append(call);
    if (journal)
        journal->append(call);
}

int FakeSynthesizer::FindVoiceIndex(const QString& attributes)
{
    record(QStringLiteral("FindVoiceIndex(%1)").arg(attributes));
    return voiceIndex;
}

void FakeSynthesizer::UseVoice(std::int16_t index)
{
    voicesUsed.push_back(index);
    record(QStringLiteral("UseVoice(%1)").arg(index));
}

void FakeSynthesizer::SpeakText(const QString& text)
{
    spoken.append(text);
    record(QStringLiteral("SpeakText(%1)").arg(text));
    if (finishesSpeech)
        QMetaObject::invokeMethod(this, &Synthesizer::SpeechDone, Qt::QueuedConnection);
}

void FakeSynthesizer::record(const QString& call)
{
    calls.append(call);
    if (journal)
        journal->append(call);
}
