#include "launcher/Grammar.h"
#include "speech/training/Adaptation.h"
#include "speech/training/Calibration.h"
#include "speech/training/MllrMatrix.h"
#include "speech/training/RecordingCheck.h"
#include "speech/training/TrainingPrompts.h"
#include "speech/training/VoiceDecoder.h"
#include "tests/support/FakeTrainer.h"
#include "tests/support/SpokenAudio.h"
#include "tests/support/SynthAudio.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace training;

namespace {

AdaptationSetup installedModel()
{
    const PhraseDecoder::Settings general = PhraseDecoder::defaultSettings();
    AdaptationSetup setup;
    setup.modelDir = general.modelDir;
    setup.dictionary = general.dictionary;
    return setup;
}

} // namespace

TEST(TrainingTest, TakesAreRefusedWithTheReason)
{
    TempDir dir;
    const std::vector<std::int16_t> good = spoken(dir, QStringLiteral("Start Notepad"));
    ASSERT_GT(good.size(), 16000u);
    std::vector<std::int16_t> clipped = good, quiet = good;
    for (std::int16_t& s : clipped)
        s = static_cast<std::int16_t>(std::clamp(s * 40, -32768, 32767));
    for (std::int16_t& s : quiet)
        s = static_cast<std::int16_t>(s / 200);
    // Halves of the take: each runs into the middle of the words.
    const auto middle = good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2);
    const std::vector<std::int16_t> early(middle, good.end());
    const std::vector<std::int16_t> late(good.begin(), middle);
    const std::vector<std::pair<std::vector<std::int16_t>, const char*>> cases{
        {good, ""},
        {clipped, "clipped"},
        {quiet, "too quiet"},
        {{}, "too quiet"},
        {synth::noise(2, 300), "too quiet"},
        {early, "began speaking before"},
        {late, "stopped before"}};
    for (const auto& [take, reason] : cases) {
        const std::optional<QString> fault = recordingFault(take);
        if (*reason == '\0')
            EXPECT_FALSE(fault) << qPrintable(fault.value_or(QString()));
        else
            EXPECT_TRUE(fault && fault->contains(QLatin1String(reason)))
                << reason << ": " << qPrintable(fault.value_or(QStringLiteral("accepted")));
    }
}

// The whole pipeline on takes made now: recorded prompts, bw and mllr_solve, a transform
// that fits the model, a calibration, and a recogniser that loads them and still hears
// the commands.
TEST(TrainingTest, RecordingsBecomeAVoiceTrainingTheRecogniserLoads)
{
    TempDir dir;
    VoiceFolder folder(dir.file(QStringLiteral("voice")));
    const QStringList prompts =
        trainingPrompts(QStringLiteral("Computer"),
                        {QStringLiteral("Start Notepad"), QStringLiteral("Open Mail")})
            .mid(0, 8);
    for (int i = 0; i < prompts.size(); ++i)
        ASSERT_TRUE(folder.saveRecording(i, prompts[i], spoken(dir, prompts[i]), nullptr));
    ASSERT_EQ(folder.recordings().size(), 8u);

    Adaptation adaptation(installedModel());
    QString error;
    int lastPercent = 0;
    ASSERT_TRUE(adaptation.run(
        folder.recordings(), folder.mllrPath(),
        [&](int percent, const QString&) { lastPercent = percent; }, &error))
        << qPrintable(error);
    EXPECT_EQ(lastPercent, 100);
    EXPECT_TRUE(mllrFits(folder.mllrPath(), {13, 13, 13}, &error)) << qPrintable(error);

    PhraseDecoder::Settings settings = voiceSettings(folder, &error);
    EXPECT_EQ(settings.mllr, folder.mllrPath());
    std::unique_ptr<PhraseDecoder> decoder = PhraseDecoder::create(settings, &error);
    ASSERT_TRUE(decoder) << qPrintable(error);
    const QString grammar = buildGrammarText(
        {QStringLiteral("Start Notepad"), QStringLiteral("Open Mail")}, QStringLiteral("Computer"));
    const std::optional<Calibration> calibration =
        calibrate(*decoder, settings, grammar, folder.recordings());
    ASSERT_TRUE(calibration);
    EXPECT_EQ(calibration->takes, 3);
    ASSERT_TRUE(saveCalibration(folder.calibrationPath(), *calibration, &error));
    const PhraseDecoder::Settings calibrated = voiceSettings(folder, &error);
    EXPECT_DOUBLE_EQ(calibrated.acceptThreshold, settings.acceptThreshold - calibration->relief);

    ASSERT_TRUE(decoder->loadGrammar(grammar, nullptr));
    std::vector<QString> heard;
    const std::vector<std::int16_t> take = spoken(dir, QStringLiteral("Open Mail"));
    const auto collect = [&](const DecodedUtterance& u) {
        if (u.phrase)
            heard.push_back(*u.phrase);
    };
    decoder->feed(take.data(), take.size(), collect);
    decoder->flush(collect);
    EXPECT_EQ(heard, std::vector<QString>{QStringLiteral("Open Mail")});

    // Turned off, the general model; forgotten, nothing is left.
    ASSERT_TRUE(folder.setInUse(false, &error));
    EXPECT_TRUE(voiceSettings(folder, &error).mllr.isEmpty());
    ASSERT_TRUE(folder.forget(&error));
    EXPECT_TRUE(folder.recordings().empty());
    EXPECT_FALSE(folder.hasAdaptation());
}

// What goes wrong leaves the recordings and the general model: no trainer installed, a
// transform that is damaged or made for another model.
TEST(TrainingTest, FailuresFallBackToTheGeneralModelAndKeepTheRecordings)
{
    TempDir dir;
    VoiceFolder folder(dir.file(QStringLiteral("voice")));
    ASSERT_TRUE(folder.saveRecording(0, QStringLiteral("Computer"),
                                     spoken(dir, QStringLiteral("Computer")), nullptr));
    AdaptationSetup missing = installedModel();
    missing.trainerDir = dir.file(QStringLiteral("nowhere"));
    QString error;
    EXPECT_FALSE(Adaptation(missing).run(
        folder.recordings(), folder.mllrPath(), [](int, const QString&) {}, &error));
    EXPECT_TRUE(error.contains(QLatin1String("sphinxtrain"))) << qPrintable(error);
    EXPECT_FALSE(folder.hasAdaptation());
    EXPECT_EQ(folder.recordings().size(), 1u);

    const std::vector<std::pair<QByteArray, const char*>> stored{
        {"1\n3\n13\n1 2 3\n", "damaged"},
        {"1\n1\n39\n", "another acoustic model"},
        {"1\n3\n13\nnan", "damaged"}};
    for (const auto& [text, reason] : stored) {
        QDir().mkpath(folder.adaptationDir());
        QFile file(folder.mllrPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        QString problem;
        EXPECT_TRUE(voiceSettings(folder, &problem).mllr.isEmpty()) << reason;
        EXPECT_TRUE(problem.contains(QLatin1String(reason))) << qPrintable(problem);
    }
    EXPECT_EQ(folder.recordings().size(), 1u);
}

// Stored transforms PocketSphinx crashes on (more than one class), of numbers no voice
// gives, or leaving a model that hears every sound alike: the decoder made at start
// leaves each out and says so; the identity transform is used.
TEST(TrainingTest, ATransformIsUsedOnlyWhenTheAdaptedModelStillHears)
{
    TempDir dir;
    VoiceFolder folder(dir.file(QStringLiteral("voice")));
    ASSERT_TRUE(QDir().mkpath(folder.adaptationDir()));
    const std::vector<std::pair<QByteArray, const char*>> cases{
        {mllrText(), "identity"},
        {mllrText(2), "two classes"},
        {mllrText(3), "three classes"},
        {mllrText(16), "sixteen classes"},
        {mllrText(1, "1e300", "1e300", "1e300", "1e300"), "all 1e300"},
        {mllrText(1, "0", "0", "0", "0"), "all 0"},
        {mllrText(1, "1", "0", "500"), "offsets far off"},
        {mllrText(1, "1", "5"), "every cepstrum mixed into every other"}};
    for (const auto& [text, name] : cases) {
        dir.write(QStringLiteral("voice/adaptation/mllr_matrix"), text);
        QString problem, error;
        const std::unique_ptr<PhraseDecoder> decoder = voiceDecoder(folder, &problem, &error);
        EXPECT_TRUE(decoder) << name << ": " << qPrintable(error);
        if (text == mllrText()) {
            EXPECT_TRUE(problem.isEmpty()) << qPrintable(problem);
        } else {
            EXPECT_TRUE(problem.startsWith(QLatin1String("Your voice training cannot be")) &&
                        problem.contains(QLatin1String("general voice model is used instead")))
                << name << ": " << qPrintable(problem);
        }
    }
}
