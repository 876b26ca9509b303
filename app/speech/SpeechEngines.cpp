#include "app/speech/SpeechEngines.h"

#include "app/speech/ConsoleRecognizer.h"
#include "app/speech/ConsoleSynthesizer.h"
#include "app/speech/SphinxRecognizer.h"
#include "app/speech/espeak/EspeakSynthesizer.h"
#include "app/speech/sphinx/PhraseDecoder.h"
#include "platform/audio/AudioInput.h"

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

} // namespace

SpeechChoice chooseSpeechEngine(const SpeechSetting& setting)
{
    const QString& requested = setting.requested;
    if (requested == QLatin1String("console"))
        return {SpeechEngine::Console, {}};

    if (requested == QLatin1String("sphinx")) {
        if (!setting.sphinxBuilt)
            return {SpeechEngine::Console,
                    usingConsole("SARQUEN_SPEECH=sphinx, but " + notBuilt())};
        if (!setting.modelPresent)
            return {SpeechEngine::Console, usingConsole("SARQUEN_SPEECH=sphinx, but " + noModel())};
        return {SpeechEngine::Sphinx, {}};
    }

    if (!requested.isEmpty()) {
        return {SpeechEngine::Console,
                usingConsole(QStringLiteral("SARQUEN_SPEECH has the unknown value \"%1\" "
                                            "(known values: console, sphinx)")
                                 .arg(requested))};
    }

    if (!setting.sphinxBuilt)
        return {SpeechEngine::Console, usingConsole(notBuilt())};
    if (!setting.modelPresent)
        return {SpeechEngine::Console, usingConsole(noModel())};
    if (!setting.audioAvailable) {
        return {SpeechEngine::Console,
                usingConsole(QStringLiteral("no audio source (SARQUEN_AUDIO_IN names no "
                                            "readable file and no PulseAudio server is "
                                            "reachable)"))};
    }
    return {SpeechEngine::Sphinx, {}};
}

bool audioSourceAvailable()
{
    const QString audioIn = qEnvironmentVariable("SARQUEN_AUDIO_IN");
    if (!audioIn.isEmpty()) {
        const QFileInfo file(audioIn);
        if (file.isFile() && file.isReadable())
            return true;
    }
    if (!qEnvironmentVariable("PULSE_SERVER").isEmpty())
        return true;
    const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtimeDir.isEmpty() && QFileInfo::exists(runtimeDir + "/pulse/native");
}

SpeechSetting currentSpeechSetting()
{
    SpeechSetting setting;
    setting.requested = qEnvironmentVariable("SARQUEN_SPEECH");
    setting.sphinxBuilt = kSphinxEngineBuilt;
    setting.modelPresent = QFileInfo(QLatin1String(kSphinxModelDir)).isDir();
    setting.audioAvailable = audioSourceAvailable();
    return setting;
}

namespace {

void printLine(std::FILE* err, const QString& line)
{
    std::fprintf(err, "%s\n", line.toUtf8().constData());
    std::fflush(err);
}

// The listening engines, or nothing (with the reason) when the model or the audio
// cannot be opened.
std::optional<SpeechPair> createSphinx(QObject* parent, QString* error)
{
    std::unique_ptr<PhraseDecoder> decoder =
        PhraseDecoder::create(PhraseDecoder::defaultSettings(), error);
    if (!decoder)
        return std::nullopt;
    const QString audioIn = qEnvironmentVariable("SARQUEN_AUDIO_IN");
    std::unique_ptr<platform::AudioInput> input =
        audioIn.isEmpty() ? platform::makeMicrophoneInput() : platform::makeFileInput(audioIn);
    if (!input->open(error))
        return std::nullopt;
    auto* synthesizer = new EspeakSynthesizer(parent);
    auto* recognizer = new SphinxRecognizer(
        std::move(decoder), std::move(input), [synthesizer] { return synthesizer->isSpeaking(); },
        parent);
    return SpeechPair{SpeechEngine::Sphinx, recognizer, synthesizer, {}};
}

} // namespace

SpeechPair createSpeech(QObject* parent, std::FILE* err)
{
    const SpeechChoice choice = chooseSpeechEngine(currentSpeechSetting());
    QString notice = choice.message;
    if (choice.engine == SpeechEngine::Sphinx) {
        QString error;
        if (std::optional<SpeechPair> sphinx = createSphinx(parent, &error))
            return *sphinx;
        notice = usingConsole(error);
    }
    if (!notice.isEmpty())
        printLine(err, notice);
    SpeechPair pair;
    pair.notice = notice;
    pair.engine = SpeechEngine::Console;
    pair.recognizer = new ConsoleRecognizer(STDIN_FILENO, parent);
    pair.synthesizer = new ConsoleSynthesizer(stdout, parent);
    return pair;
}
