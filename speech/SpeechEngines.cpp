#include "speech/SpeechEngines.h"

#include "platform/audio/AudioInput.h"
#include "speech/ConsoleRecognizer.h"
#include "speech/ConsoleSynthesizer.h"
#include "speech/SphinxRecognizer.h"
#include "speech/espeak/EspeakSynthesizer.h"
#include "speech/sphinx/PhraseDecoder.h"
#include "speech/training/VoiceDecoder.h"

#include <QFileInfo>
#include <optional>
#include <unistd.h>

namespace {

QString usingConsole(const QString& reason)
{
    return QStringLiteral("zorv: speech: using the console engine (typed phrases on standard "
                          "input, SAY lines on standard output): ") +
           reason;
}

QString notBuilt()
{
    return QStringLiteral("the PocketSphinx engine is not part of this build");
}

QString noModel()
{
    return QStringLiteral("the PocketSphinx en-us model is not installed (%1)")
        .arg(QLatin1String(kSphinxModelDir));
}

const QString kNoMicrophone = QStringLiteral("No microphone found");
const QString kNoServer = QStringLiteral("No sound server is running (PulseAudio or PipeWire)");
const QString kNoModel = QStringLiteral("The speech model is not installed");
const QString kNoEngine = QStringLiteral("This build has no speech recognition");
const QString kTypedAsked = QStringLiteral("SARQUEN_SPEECH asks for an unknown engine");

SpeechChoice console(const QString& reason, const QString& cause)
{
    return {SpeechEngine::Console, usingConsole(reason), cause};
}

} // namespace

QString speechOffText(const QString& cause, bool typedPhrasesTaken)
{
    QString text = cause + QStringLiteral(" \u2014 speech recognition is off.");
    if (cause == kNoMicrophone)
        text += QStringLiteral(" Check the sound settings.");
    if (typedPhrasesTaken)
        text += QStringLiteral(" Phrases typed in the terminal are taken instead.");
    return text;
}

SpeechChoice chooseSpeechEngine(const SpeechSetting& setting)
{
    const QString& requested = setting.requested;
    if (requested == QLatin1String("console"))
        return {SpeechEngine::Console, {}, {}};

    if (requested == QLatin1String("sphinx")) {
        if (!setting.sphinxBuilt)
            return console(QLatin1String("SARQUEN_SPEECH=sphinx, but ") + notBuilt(), kNoEngine);
        if (!setting.modelPresent)
            return console(QLatin1String("SARQUEN_SPEECH=sphinx, but ") + noModel(), kNoModel);
        return {SpeechEngine::Sphinx, {}, {}};
    }

    if (!requested.isEmpty()) {
        return console(QStringLiteral("SARQUEN_SPEECH has the unknown value \"%1\" "
                                      "(known values: console, sphinx)")
                           .arg(requested),
                       kTypedAsked);
    }

    if (!setting.sphinxBuilt)
        return console(notBuilt(), kNoEngine);
    if (!setting.modelPresent)
        return console(noModel(), kNoModel);
    switch (setting.audio.outcome) {
    case platform::MicrophoneSearch::Outcome::Found:
        return {SpeechEngine::Sphinx, {}, {}};
    case platform::MicrophoneSearch::Outcome::NoServer:
        return console(setting.audio.detail, kNoServer);
    case platform::MicrophoneSearch::Outcome::NoMicrophone:
        break;
    }
    return console(setting.audio.detail, kNoMicrophone);
}

platform::MicrophoneSearch findAudioSource()
{
    const QString audioIn = qEnvironmentVariable("SARQUEN_AUDIO_IN");
    if (audioIn.isEmpty())
        return platform::findMicrophone();
    const QFileInfo file(audioIn);
    if (file.isFile() && file.isReadable())
        return {platform::MicrophoneSearch::Outcome::Found, audioIn, {}};
    return {platform::MicrophoneSearch::Outcome::NoMicrophone,
            {},
            QStringLiteral("SARQUEN_AUDIO_IN names no readable file (%1)").arg(audioIn)};
}

SpeechSetting currentSpeechSetting()
{
    SpeechSetting setting;
    setting.requested = qEnvironmentVariable("SARQUEN_SPEECH");
    setting.sphinxBuilt = kSphinxEngineBuilt;
    setting.modelPresent = QFileInfo(QLatin1String(kSphinxModelDir)).isDir();
    // The console engine, when asked for, listens to nothing: no server is asked.
    if (setting.requested != QLatin1String("console"))
        setting.audio = findAudioSource();
    return setting;
}

namespace {

void printLine(std::FILE* err, const QString& line)
{
    std::fprintf(err, "%s\n", line.toUtf8().constData());
    std::fflush(err);
}

// The listening engines, or nothing (with the reason, and its cause for the window)
// when the model or the audio cannot be opened. `audio` is what was found to listen to.
std::optional<SpeechPair> createSphinx(QObject* parent, const platform::MicrophoneSearch& audio,
                                       QString* error, QString* cause)
{
    // The user's voice training, when there is one; should it not load, the general model.
    QString voiceProblem;
    std::unique_ptr<PhraseDecoder> decoder =
        training::voiceDecoder(training::VoiceFolder(), &voiceProblem, error);
    if (!decoder) {
        *cause = kNoModel;
        return std::nullopt;
    }
    const QString audioIn = qEnvironmentVariable("SARQUEN_AUDIO_IN");
    std::unique_ptr<platform::AudioInput> input =
        audioIn.isEmpty() ? platform::makeMicrophoneInput() : platform::makeFileInput(audioIn);
    if (!input->open(error)) {
        *cause = audio.outcome == platform::MicrophoneSearch::Outcome::NoServer ? kNoServer
                                                                                : kNoMicrophone;
        return std::nullopt;
    }
    auto* synthesizer = new EspeakSynthesizer(parent);
    auto* recognizer = new SphinxRecognizer(
        std::move(decoder), std::move(input), [synthesizer] { return synthesizer->isSpeaking(); },
        parent);
    return SpeechPair{SpeechEngine::Sphinx, recognizer, synthesizer, {}, voiceProblem};
}

} // namespace

SpeechPair createSpeech(QObject* parent, std::FILE* err)
{
    // What a run of Adapt killed with the program left beside the voice training goes.
    training::VoiceFolder().removeLeftovers();
    const SpeechSetting setting = currentSpeechSetting();
    const SpeechChoice choice = chooseSpeechEngine(setting);
    QString line = choice.message;
    QString cause = choice.windowText;
    if (choice.engine == SpeechEngine::Sphinx) {
        QString error;
        if (std::optional<SpeechPair> sphinx =
                createSphinx(parent, setting.audio, &error, &cause)) {
            // Which microphone, when it is not the server's default source, and why.
            if (!setting.audio.detail.isEmpty())
                printLine(err, QStringLiteral("zorv: speech: ") + setting.audio.detail);
            return *sphinx;
        }
        line = usingConsole(error);
    }
    if (!line.isEmpty())
        printLine(err, line);
    SpeechPair pair;
    // The details are on standard error; the window says what it means for the user.
    if (!cause.isEmpty()) {
        pair.notice = speechOffText(cause, isatty(STDIN_FILENO) != 0);
        pair.offCause = cause;
    }
    pair.engine = SpeechEngine::Console;
    pair.recognizer = new ConsoleRecognizer(STDIN_FILENO, parent);
    pair.synthesizer = new ConsoleSynthesizer(stdout, parent);
    return pair;
}
