#include "tests/support/SpokenAudio.h"

#include "platform/audio/SoundFile.h"
#include "tests/support/SynthAudio.h"

#include <QProcess>
#include <gtest/gtest.h>

std::vector<std::int16_t> spoken(const TempDir& dir, const QString& text)
{
    const QString raw = dir.file(QStringLiteral("raw.wav"));
    const QString out = dir.file(QStringLiteral("take.wav"));
    QProcess speak, convert;
    speak.start(QStringLiteral("espeak-ng"),
                {QStringLiteral("-v"), QStringLiteral("en-us"), QStringLiteral("-w"), raw, text});
    EXPECT_TRUE(speak.waitForFinished(30000) && speak.exitCode() == 0);
    convert.start(QStringLiteral("sox"),
                  {raw, QStringLiteral("-r"), QStringLiteral("16000"), QStringLiteral("-c"),
                   QStringLiteral("1"), QStringLiteral("-b"), QStringLiteral("16"), out,
                   QStringLiteral("pad"), QStringLiteral("0.5"), QStringLiteral("0.5")});
    EXPECT_TRUE(convert.waitForFinished(30000) && convert.exitCode() == 0);
    std::optional<platform::Pcm> pcm = platform::decodeSoundFile(out);
    std::vector<std::int16_t> audio = pcm ? pcm->samples : std::vector<std::int16_t>{};
    const std::vector<std::int16_t> hiss = synth::noise(audio.size() / synth::rate + 1, 60);
    for (std::size_t i = 0; i < audio.size(); ++i)
        audio[i] = static_cast<std::int16_t>(audio[i] + hiss[i]);
    return audio;
}
