#include "speech/training/FeatureFiles.h"
#include "speech/sphinx/PhraseDecoder.h"
#include "tests/support/SynthAudio.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

using namespace training;

namespace {

// The numbers of the feature file the installed model's front end makes of `take`, as bw
// reads it: the count, then exactly that many, 13 to a frame. Empty when not of that form.
std::vector<float> featuresOf(const std::vector<std::int16_t>& take)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("take.mfc"));
    QString error;
    EXPECT_TRUE(writeFeatureFile(PhraseDecoder::defaultSettings().modelDir, take, path, &error))
        << qPrintable(error);
    QFile file(path);
    const QByteArray data = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    std::int32_t count = -1;
    if (data.size() >= 4)
        std::memcpy(&count, data.constData(), 4);
    if (count < 0 || count % 13 != 0 || data.size() != 4 + qsizetype(count) * 4)
        return {};
    std::vector<float> numbers(static_cast<std::size_t>(count));
    std::memcpy(numbers.data(), data.constData() + 4, numbers.size() * 4);
    return numbers;
}

} // namespace

// A frame each 10 ms, and the cepstra follow the sound: the loud vowel's frames carry
// more energy (the first number) than the quiet ones after it.
TEST(FeatureFilesTest, TakesBecomeAFrameEachTenMilliseconds)
{
    for (const double seconds : {0.3, 1.0}) {
        const std::vector<float> numbers =
            featuresOf(synth::vowel(seconds / 2, 120, 12000) + synth::noise(seconds / 2, 20));
        EXPECT_NEAR(double(numbers.size() / 13), seconds * 100, 2) << seconds << " s";
        EXPECT_TRUE(
            std::all_of(numbers.begin(), numbers.end(), [](float x) { return std::isfinite(x); }));
        const std::size_t half = numbers.size() / 13 / 2;
        for (std::size_t f = 0; f + 5 < half; ++f)
            EXPECT_GT(numbers[f * 13], numbers[(half + 5 + f) * 13])
                << seconds << " s, frame " << f;
    }
}

// A take as the user records it (quiet, two seconds of voice, quiet) comes out a frame
// each 10 ms, for bw to follow the prompt's words along all of it. Today the front end's
// silence removal, which feat.params leaves on, drops the quiet before the voice and
// most of a steady sound.
TEST(FeatureFilesTest, DISABLED_EveryTenMillisecondsOfALongTakeIsAFrame)
{
    const std::vector<float> numbers =
        featuresOf(synth::noise(0.5, 20) + synth::vowel(2, 120, 12000) + synth::noise(0.5, 20, 8));
    EXPECT_NEAR(double(numbers.size() / 13), 300, 2);
}

TEST(FeatureFilesTest, FailuresSayWhyAndWriteNothing)
{
    TempDir dir;
    const QString model = PhraseDecoder::defaultSettings().modelDir;
    // A model whose front end cannot be made: a band above what 16 kHz holds.
    QDir().mkpath(dir.file(QStringLiteral("odd")));
    dir.write(QStringLiteral("odd/feat.params"), "-upperf 12000\n");
    const std::vector<std::int16_t> take = synth::vowel(0.5, 120, 8000);
    const std::vector<std::tuple<QString, QString, const char*>> cases{
        {dir.file(QStringLiteral("nowhere")), dir.file(QStringLiteral("a.mfc")), "cannot be read"},
        {dir.file(QStringLiteral("odd")), dir.file(QStringLiteral("b.mfc")), "front end"},
        {model, dir.file(QStringLiteral("no/such/folder/c.mfc")), "cannot be written"}};
    for (const auto& [modelDir, path, reason] : cases) {
        QString error;
        EXPECT_FALSE(writeFeatureFile(modelDir, take, path, &error)) << reason;
        EXPECT_TRUE(error.contains(QLatin1String(reason))) << reason << ": " << qPrintable(error);
    }
    const QStringList written = QDir(dir.path()).entryList(QDir::Files);
    EXPECT_TRUE(written.isEmpty()) << qPrintable(written.join(QLatin1Char(' ')));
}
