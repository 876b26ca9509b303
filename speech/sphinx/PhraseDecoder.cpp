#include "speech/sphinx/PhraseDecoder.h"

#include "speech/sphinx/SphinxDecoder.h"
#include "speech/training/MllrMatrix.h"
#include "speech/whisper/WhisperJudge.h"

#include <QFileInfo>

QString rejectionText(Rejection rejection)
{
    switch (rejection) {
    case Rejection::None:
        break;
    case Rejection::TooQuiet:
        return QStringLiteral("too quiet");
    case Rejection::CutOff:
        return QStringLiteral("cut off");
    case Rejection::NotACommand:
        return QStringLiteral("not a command");
    case Rejection::NotSpeech:
        return QStringLiteral("not speech");
    }
    return QString();
}

PhraseDecoder::Settings PhraseDecoder::defaultSettings()
{
    const QString base = QStringLiteral(SARQUEN_SPHINX_MODEL_DIR) + QStringLiteral("/en-us/");
    Settings settings;
    settings.modelDir = base + QStringLiteral("en-us");
    settings.dictionary = base + QStringLiteral("cmudict-en-us.dict");
    settings.phoneModel = base + QStringLiteral("en-us-phone.lm.bin");
    settings.languageModel = base + QStringLiteral("en-us.lm.bin");
    return settings;
}

std::unique_ptr<PhraseDecoder> PhraseDecoder::create(const Settings& settings, QString* error)
{
    const auto fail = [&](const QString& why) -> std::unique_ptr<PhraseDecoder> {
        if (error)
            *error = why;
        return nullptr;
    };
    if (!QFileInfo(settings.modelDir + QStringLiteral("/mdef")).isFile())
        return fail(QStringLiteral("no acoustic model in %1").arg(settings.modelDir));
    if (!QFileInfo(settings.dictionary).isFile())
        return fail(QStringLiteral("no dictionary at %1").arg(settings.dictionary));
    if (!QFileInfo(settings.phoneModel).isFile())
        return fail(QStringLiteral("no phone model at %1").arg(settings.phoneModel));
    // PocketSphinx trusts a transform's shape: one that does not fit crashes it.
    if (QString why;
        !settings.mllr.isEmpty() &&
        !training::mllrFits(settings.mllr, training::streamWidths(settings.modelDir), &why))
        return fail(why);
    std::unique_ptr<sphinx::SphinxDecoder> decoder = sphinx::SphinxDecoder::create(settings, error);
    if (decoder && !settings.whisperCommand.isEmpty()) {
        std::unique_ptr<whisper::WhisperProcess> process =
            whisper::WhisperProcess::start(settings.whisperCommand, error);
        if (!process)
            return nullptr;
        decoder->setJudge(std::make_unique<whisper::WhisperJudge>(
            std::move(process), whisper::Rule{settings.whisperMargin, settings.whisperNoSpeech}));
    }
    return decoder;
}
