#include "speech/training/MixtureWeights.h"
#include "tests/support/TempDir.h"

#include <QFile>
#include <cstring>
#include <gtest/gtest.h>

using namespace training;

namespace {

// A sendump: length-prefixed header strings with their NUL, an empty one, the codeword
// and senone counts, then the weight bytes.
QByteArray sendump(const QList<QByteArray>& header, std::uint32_t codewords, std::uint32_t senones,
                   const QByteArray& weights)
{
    QByteArray out;
    const auto put = [&](std::uint32_t n) { out.append(reinterpret_cast<const char*>(&n), 4); };
    for (const QByteArray& line : header) {
        put(static_cast<std::uint32_t>(line.size() + 1));
        out.append(line).append('\0');
    }
    put(0);
    put(codewords);
    put(senones);
    return out + weights;
}

} // namespace

TEST(MixtureWeightsTest, WeightsComeOutSenoneBySenoneAndNormalised)
{
    TempDir dir;
    // Two streams of three codewords, two senones; stored stream by stream, codeword by
    // codeword, a byte per senone: 0 is the likeliest, 7 about half as likely (7 << 10
    // steps of 1.0001), 255 next to nothing.
    const QByteArray bytes("\x00\xff"
                           "\x07\x00"
                           "\x07\xff"
                           "\xff\x00"
                           "\xff\xff"
                           "\x00\xff",
                           12);
    const QString in =
        dir.write(QStringLiteral("sendump"),
                  sendump({"BEGIN FILE FORMAT", "feature_count 2", "mixw_shift 10"}, 3, 2, bytes));
    const QString mixw = dir.file(QStringLiteral("mixw"));
    QString error;
    ASSERT_TRUE(writeMixtureWeights(in, mixw, &error)) << qPrintable(error);

    // As bw reads it: the text header to "endhdr", the byte-order mark, senones, streams,
    // codewords, the count, and that many weights.
    QFile file(mixw);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    ASSERT_TRUE(data.startsWith("s3\n"));
    const qsizetype body = data.indexOf("endhdr\n") + 7;
    ASSERT_EQ(data.size(), body + 5 * 4 + 12 * 4);
    std::uint32_t head[5];
    float weights[12];
    std::memcpy(head, data.constData() + body, sizeof head);
    std::memcpy(weights, data.constData() + body + sizeof head, sizeof weights);
    EXPECT_EQ(std::vector<std::uint32_t>(head, head + 5),
              (std::vector<std::uint32_t>{0x11223344, 2, 2, 3, 12}));
    // Senone 0 stream 0, senone 0 stream 1, senone 1 stream 0, senone 1 stream 1.
    const float expected[12] = {0.5059f, 0.2470f, 0.2470f, 0, 0, 1, 0, 1, 0, 1, 0, 0};
    for (int i = 0; i < 12; ++i)
        EXPECT_NEAR(weights[i], expected[i], 1e-3) << "weight " << i;
}

TEST(MixtureWeightsTest, MalformedSendumpsAreRefusedAndNothingIsWritten)
{
    TempDir dir;
    const QByteArray six(6, '\x10');
    const QByteArray good = sendump({"feature_count 2"}, 3, 1, six);
    const std::vector<std::pair<const char*, QByteArray>> cases{
        {"empty", {}},
        {"header cut short", good.left(10)},
        {"no end of header", good.left(20)},
        {"counts cut short", good.left(28)},
        {"other byte order", QByteArray("\0\0\0\x10", 4) + QByteArray(16, 'x')},
        {"clustered", sendump({"cluster_count 4", "feature_count 2"}, 3, 1, six)},
        {"no streams", sendump({"feature_count 0"}, 6, 1, six)},
        {"no codewords", sendump({"feature_count 2"}, 0, 1, {})},
        {"shift too far", sendump({"feature_count 2", "mixw_shift 40"}, 3, 1, six)},
        {"weights left over", good + '\0'},
        {"counts past the file", sendump({"feature_count 2"}, 3, 100, six)}};
    const QString out = dir.file(QStringLiteral("mixw"));
    for (const auto& [name, bytes] : cases) {
        QString error;
        EXPECT_FALSE(writeMixtureWeights(dir.write(QStringLiteral("sendump"), bytes), out, &error))
            << name;
        EXPECT_TRUE(error.contains(QLatin1String("not a model's"))) << name;
        EXPECT_FALSE(QFile::exists(out)) << name;
    }
    QString error;
    EXPECT_FALSE(writeMixtureWeights(dir.file(QStringLiteral("none")), out, &error));
    EXPECT_TRUE(error.contains(QLatin1String("cannot be read"))) << qPrintable(error);
    const QString nowhere = dir.file(QStringLiteral("no/such/folder/mixw"));
    EXPECT_FALSE(writeMixtureWeights(dir.write(QStringLiteral("sendump"), good), nowhere, &error));
    EXPECT_TRUE(error.contains(QLatin1String("cannot be written"))) << qPrintable(error);
}

// Counts whose product passes 2^64 and wraps round to the 64 weight bytes there are: the
// conversion must refuse them, not read gigabytes past the weights.
TEST(MixtureWeightsTest, CountsThatOverflowAreRefused)
{
    TempDir dir;
    // 8 * 536903681 * 4294705160 = 2^64 + 64.
    const QString in =
        dir.write(QStringLiteral("sendump"),
                  sendump({"feature_count 8"}, 536903681u, 4294705160u, QByteArray(64, '\x10')));
    QString error;
    EXPECT_FALSE(writeMixtureWeights(in, dir.file(QStringLiteral("mixw")), &error));
}
