#pragma once

#include "platform/audio/MicrophoneSearch.h"

#include <QString>
#include <cstdio>

class QObject;
class Recognizer;
class Synthesizer;

enum class SpeechEngine
{
    Console,
    Sphinx
};

// Whether the PocketSphinx recogniser and the espeak-ng synthesiser are compiled into
// this build.
inline constexpr bool kSphinxEngineBuilt = true;

// Where the PocketSphinx en-us acoustic model is installed.
inline constexpr const char* kSphinxModelDir = "/usr/share/pocketsphinx/model/en-us/en-us";

// What the choice of speech engine depends on.
struct SpeechSetting
{
    QString requested; // SARQUEN_SPEECH; empty when unset
    bool sphinxBuilt = kSphinxEngineBuilt;
    bool modelPresent = false;
    // Where the voice comes from (SARQUEN_AUDIO_IN's file or the sound server's
    // microphone), or why there is nothing to listen to.
    platform::MicrophoneSearch audio;
};

struct SpeechChoice
{
    SpeechEngine engine = SpeechEngine::Console;
    // The one line for standard error (without line end), or empty for none.
    QString message;
    // The same for the main window, in words a user acts on; empty for none.
    QString windowText;
};

// What the window says when speech cannot be heard: `cause` and that recognition is off,
// and, only when standard input is a terminal, that phrases typed there are taken.
QString speechOffText(const QString& cause, bool typedPhrasesTaken);

// SARQUEN_SPEECH=console picks the console engine; "sphinx" picks PocketSphinx when it
// is built and its model installed; unset or empty picks PocketSphinx when, in
// addition, there is something to listen to. Whenever the console engine is used for
// any other reason than being asked for, the message says so and why, and the window
// text tells a missing sound server from a missing microphone.
SpeechChoice chooseSpeechEngine(const SpeechSetting& setting);

// The setting of this process: its environment and the installed files.
SpeechSetting currentSpeechSetting();

// What there is to recognise: the file SARQUEN_AUDIO_IN names when it is set (nothing
// when it is no readable file), otherwise the microphone of the sound server that is
// running, asked for its sources.
platform::MicrophoneSearch findAudioSource();

struct SpeechPair
{
    SpeechEngine engine = SpeechEngine::Console;
    Recognizer* recognizer = nullptr;
    Synthesizer* synthesizer = nullptr;
    // Why speech is typed rather than heard, when it is not by choice, for the window;
    // empty otherwise.
    QString notice;
    // Why the user's voice training is not in use although there is one; empty otherwise.
    QString voiceNotice;
    // The cause alone, in a few words ("No microphone found"); empty with `notice`.
    QString offCause = {};
};

// Chooses the engine for this process, prints the choice's message to `err` if there
// is one, and creates the recogniser and the synthesiser as children of `parent`.
SpeechPair createSpeech(QObject* parent, std::FILE* err = stderr);
