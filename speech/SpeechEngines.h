#pragma once

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
    bool audioAvailable = false;
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
// any other reason than being asked for, the message says so and why.
SpeechChoice chooseSpeechEngine(const SpeechSetting& setting);

// The setting of this process: its environment and the installed files.
SpeechSetting currentSpeechSetting();

// Whether there is audio to recognise: SARQUEN_AUDIO_IN names a readable file, or a
// PulseAudio server is reachable (PULSE_SERVER set, or the session's socket
// $XDG_RUNTIME_DIR/pulse/native exists).
bool audioSourceAvailable();

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
};

// Chooses the engine for this process, prints the choice's message to `err` if there
// is one, and creates the recogniser and the synthesiser as children of `parent`.
SpeechPair createSpeech(QObject* parent, std::FILE* err = stderr);
