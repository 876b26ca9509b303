#pragma once

#include <QObject>
#include <QString>

// The speech recogniser the main window owns. Used on the UI thread only. An engine
// may work on other threads, but phrases reach the UI thread as queued calls of
// deliverPhrase(), and a stopped recogniser emits nothing, also for phrases that
// were already on their way when it stopped.
class Recognizer : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Both are harmless when repeated.
    void StartRecognition();
    void StopRecognition();
    // The whole grammar text; recognition is not stopped around it.
    virtual void LoadGrammarText(const QString& grammar) = 0;

    bool isRecognising() const { return recognising_; }
    // Whether the engine listens to sound and reports its level.
    virtual bool hasInputLevel() const { return false; }
    // Takes up the user's voice training as it is now stored (or the general model, when
    // there is none or it is turned off), without stopping recognition; voiceLoaded()
    // follows. Engines that do not listen to sound have nothing to load.
    virtual void useVoiceTraining() { emit voiceLoaded(QString()); }

signals:
    // Speech began; its phrase, or notUnderstood(), follows when it ends. Engines that
    // cannot tell when speech begins do not emit it.
    void utteranceStarted();
    // The recognised phrase, character for character as the grammar rule has it.
    void PhraseHeard(const QString& phrase);
    // Sound was heard that is none of the grammar's phrases; `reason` says why in words a
    // user can act on ("too quiet", "cut off", "not a command", "not speech"), or is empty.
    void notUnderstood(const QString& reason);
    // The input level of the last moment, 0 to 100.
    void inputLevel(int percent);
    // The voice training asked for by useVoiceTraining() is in use; `problem` says, in
    // words the user acts on, why the general model is used instead, or is empty.
    void voiceLoaded(const QString& problem);

protected:
    virtual void startEngine() = 0;
    virtual void stopEngine() = 0;
    // Engines hand every result through here, on the UI thread.
    void deliverPhrase(const QString& phrase);

private:
    bool recognising_ = false;
};
