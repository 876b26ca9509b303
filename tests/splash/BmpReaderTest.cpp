#include "splash/bmp.h"
#include "tests/splash/BmpBuilder.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <climits>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using Rows = std::vector<std::vector<std::uint32_t>>;

// The decoded picture as rows of 0xRRGGBB, top row first; empty when not loaded.
Rows decode(const std::vector<std::uint8_t>& file)
{
    bmp_image image{7, 7, nullptr};
    const int ok = bmp_decode(file.data(), file.size(), &image);
    Rows rows;
    if (!ok) {
        EXPECT_EQ(image.pixels, nullptr);
        EXPECT_EQ(image.width, 0u);
        return rows;
    }
    for (std::uint32_t y = 0; y < image.height; ++y)
        rows.emplace_back(image.pixels + y * image.width, image.pixels + (y + 1) * image.width);
    bmp_free(&image);
    return rows;
}

bool loads(const std::vector<std::uint8_t>& file)
{
    return !decode(file).empty();
}

const std::uint32_t red = 0xff0000, green = 0x00ff00, blue = 0x0000ff, white = 0xffffff;

BmpBuilder paletted(std::uint16_t bits, std::int32_t width, std::int32_t height,
                    std::vector<std::uint32_t> palette, const Rows& fileRows)
{
    BmpBuilder b;
    b.bits = bits;
    b.width = width;
    b.height = height;
    b.palette = std::move(palette);
    b.coloursUsed = static_cast<std::uint32_t>(b.palette.size());
    b.pixels = BmpBuilder::rows(bits, fileRows);
    return b;
}

} // namespace

TEST(SplashBmp, TrueColourBottomUpAndTopDown)
{
    BmpBuilder b;
    b.width = 3; // 9 bytes a row, padded to 12
    b.height = 2;
    b.pixels = BmpBuilder::rows(24, {{red, green, blue}, {white, 0x123456, 0}});
    EXPECT_EQ(decode(b.build()), (Rows{{white, 0x123456, 0}, {red, green, blue}}));

    b.height = -2;
    EXPECT_EQ(decode(b.build()), (Rows{{red, green, blue}, {white, 0x123456, 0}}));

    // 32 bits without bit fields: the fourth byte is ignored.
    b.bits = 32;
    b.pixels = BmpBuilder::rows(32, {{0xffff0000, 0x0000ff00, 0x80000001}, {0, 0, 0xffffff}});
    EXPECT_EQ(decode(b.build()), (Rows{{red, green, 0x000001}, {0, 0, white}}));
}

TEST(SplashBmp, BitFieldsAndSixteenBits)
{
    // 16 bits without bit fields are 5-5-5.
    BmpBuilder b;
    b.bits = 16;
    b.width = 3;
    b.pixels = BmpBuilder::rows(16, {{0x7c00, 0x03e0, 0x7fff}});
    EXPECT_EQ(decode(b.build()), (Rows{{red, green, white}}));

    // 5-6-5 from masks behind a 40-byte header; channels are scaled to 8 bits.
    b.compression = 3;
    b.masks = {0xf800, 0x07e0, 0x001f};
    b.pixels = BmpBuilder::rows(16, {{0xf800, 0x0400, 0x0010}});
    EXPECT_EQ(decode(b.build()), (Rows{{red, 0x008100, 0x000083}}));

    // 32 bits with masks inside a V5 header, red in the top byte; a zero mask is black.
    BmpBuilder v5;
    v5.headerSize = 124;
    v5.bits = 32;
    v5.width = 2;
    v5.compression = 3;
    v5.masks = {0xff000000, 0x00ff0000, 0};
    v5.pixels = BmpBuilder::rows(32, {{0xff000000, 0x1234ffff}});
    EXPECT_EQ(decode(v5.build()), (Rows{{red, 0x123400}}));

    // Bit fields belong to 16 and 32 bits only.
    b.bits = 24;
    EXPECT_FALSE(loads(b.build()));
}

TEST(SplashBmp, PalettedForms)
{
    // 8 bits with a short palette: indices past it are black.
    EXPECT_EQ(decode(paletted(8, 3, 1, {red, green}, {{1, 0, 200}}).build()),
              (Rows{{green, red, 0}}));
    // 4 bits, odd width: high nibble first.
    EXPECT_EQ(decode(paletted(4, 3, 1, {0, red, green, blue}, {{3, 1, 2}}).build()),
              (Rows{{blue, red, green}}));
    // 1 bit across a byte boundary, with the palette's own colours.
    EXPECT_EQ(decode(paletted(1, 10, 1, {blue, white}, {{1, 0, 0, 0, 0, 0, 0, 0, 1, 0}}).build()),
              (Rows{{white, blue, blue, blue, blue, blue, blue, blue, white, blue}}));

    // No count of used colours means the full palette, which must then be there.
    BmpBuilder full = paletted(4, 1, 1, std::vector<std::uint32_t>(16, green), {{15}});
    full.coloursUsed = 0;
    EXPECT_EQ(decode(full.build()), (Rows{{green}}));
    // A count above what the bit depth can index is capped.
    BmpBuilder capped = paletted(1, 1, 1, {red, green}, {{1}});
    capped.coloursUsed = 1000;
    EXPECT_EQ(decode(capped.build()), (Rows{{green}}));
}

TEST(SplashBmp, CoreHeader)
{
    BmpBuilder b = paletted(8, 2, 2, std::vector<std::uint32_t>(256, 0), {{1, 2}, {3, 4}});
    b.headerSize = 12; // three-byte palette entries
    b.palette[1] = red;
    b.palette[2] = green;
    b.palette[3] = blue;
    b.palette[4] = white;
    EXPECT_EQ(decode(b.build()), (Rows{{blue, white}, {red, green}}));

    BmpBuilder rgb;
    rgb.headerSize = 12;
    rgb.width = 1;
    rgb.pixels = BmpBuilder::rows(24, {{0x010203}});
    EXPECT_EQ(decode(rgb.build()), (Rows{{0x010203}}));
    rgb.bits = 32; // the core header knows no 32 bits
    EXPECT_FALSE(loads(rgb.build()));
}

TEST(SplashBmp, RunLengthEight)
{
    BmpBuilder b = paletted(8, 5, 4, {0, red, green, blue}, {});
    b.compression = 1;
    b.pixels = {
        3, 1,             // three red
        0, 3, 2, 3, 1, 0, // literal green blue red, padded to even length
        0, 0,             // end of line (row 0 is already full: the last run was clipped)
        0, 2, 1, 1,       // jump one right, one up: row 2, column 1
        2, 3,             // two blue
        0, 0,             // end of line: row 3
        9, 2,             // nine green: clipped at the row's end
        0, 1,             // end of bitmap
        5, 1,             // never read
    };
    EXPECT_EQ(decode(b.build()), (Rows{
                                     {green, green, green, green, green},
                                     {0, blue, blue, 0, 0},
                                     {0, 0, 0, 0, 0},
                                     {red, red, red, green, blue},
                                 }));

    // A stream may end without its end-of-bitmap mark.
    b.pixels = {1, 3};
    EXPECT_EQ(decode(b.build()).back(), (std::vector<std::uint32_t>{blue, 0, 0, 0, 0}));
    // Runs beyond the last row are dropped.
    b.pixels = {0, 2, 0, 200, 5, 1, 0, 0, 5, 1};
    EXPECT_EQ(decode(b.build()).size(), 4u);
}

TEST(SplashBmp, RunLengthFour)
{
    BmpBuilder b = paletted(4, 7, 2, {0, red, green, blue}, {});
    b.compression = 2;
    b.pixels = {
        5, 0x12,                         // red green red green red
        0, 3,    0x31, 0x20,             // literal blue red green, two bytes: already even
        0, 0,                            // end of line
        0, 5,    0x12, 0x31, 0x20, 0x00, // literal of five nibbles: three bytes, padded to four
        0, 1,
    };
    EXPECT_EQ(decode(b.build()), (Rows{
                                     {red, green, blue, red, green, 0, 0},
                                     {red, green, red, green, red, blue, red},
                                 }));
}

TEST(SplashBmp, RunLengthRules)
{
    BmpBuilder b = paletted(8, 2, 2, {red}, {});
    b.compression = 1;
    b.pixels = {0, 2}; // a jump without its two bytes
    EXPECT_FALSE(loads(b.build()));
    b.pixels = {0, 5, 0, 0, 0}; // a literal run past the end of the file
    EXPECT_FALSE(loads(b.build()));
    b.pixels = {0, 1};
    EXPECT_TRUE(loads(b.build()));
    b.height = -2; // run-length pictures are bottom-up only
    EXPECT_FALSE(loads(b.build()));
    b.height = 2;
    b.bits = 4; // RLE8 needs 8 bits, RLE4 needs 4
    EXPECT_FALSE(loads(b.build()));
    b.compression = 2;
    EXPECT_TRUE(loads(b.build()));
    b.bits = 8;
    EXPECT_FALSE(loads(b.build()));
}

TEST(SplashBmp, SizeLimits)
{
    // The largest picture is taken, cheaply written as an empty run-length stream.
    BmpBuilder b = paletted(8, BMP_MAX_DIMENSION, BMP_MAX_PIXELS / BMP_MAX_DIMENSION, {red}, {});
    b.compression = 1;
    b.pixels = {0, 1};
    const Rows rows = decode(b.build());
    ASSERT_EQ(rows.size(), BMP_MAX_PIXELS / BMP_MAX_DIMENSION);
    EXPECT_EQ(rows[0].size(), static_cast<std::size_t>(BMP_MAX_DIMENSION));

    for (const auto& [w, h] : std::vector<std::pair<std::int32_t, std::int32_t>>{
             {BMP_MAX_DIMENSION + 1, 1},
             {1, BMP_MAX_DIMENSION + 1},
             {1, -(BMP_MAX_DIMENSION + 1)},
             {BMP_MAX_DIMENSION, BMP_MAX_PIXELS / BMP_MAX_DIMENSION + 1},
             {0, 1},
             {1, 0},
             {-1, 1},
             {INT_MAX, INT_MAX},
             {1, INT_MIN},
             {INT_MIN, 1},
         }) {
        SCOPED_TRACE(testing::Message() << w << " x " << h);
        b.width = w;
        b.height = h;
        EXPECT_FALSE(loads(b.build()));
    }
}

TEST(SplashBmp, MalformedFilesAreNotLoaded)
{
    BmpBuilder good;
    good.width = 2;
    good.height = 2;
    good.pixels = BmpBuilder::rows(24, {{red, red}, {red, red}});
    const std::vector<std::uint8_t> file = good.build();
    ASSERT_TRUE(loads(file));

    auto bent = [&](auto change) {
        BmpBuilder b = good;
        change(b);
        return b.build();
    };
    EXPECT_FALSE(loads({}));
    EXPECT_FALSE(loads({'B', 'M'}));
    EXPECT_FALSE(loads(std::vector<std::uint8_t>(file.begin(), file.begin() + 30)));
    EXPECT_FALSE(loads(std::vector<std::uint8_t>(file.begin(), file.end() - 1)))
        << "pixel data one byte short";
    std::vector<std::uint8_t> magic = file;
    magic[1] = 'A';
    EXPECT_FALSE(loads(magic));
    std::vector<std::uint8_t> header = file;
    BmpBuilder::put32(header, 14, 0xffffffff);
    EXPECT_FALSE(loads(header)) << "header larger than the file";
    for (std::uint32_t size : {0u, 16u, 20u, 64u, 100u}) {
        BmpBuilder::put32(header, 14, size);
        EXPECT_FALSE(loads(header)) << "header size " << size;
    }
    EXPECT_FALSE(loads(bent([](BmpBuilder& b) { b.planes = 0; })));
    for (std::uint16_t bits : {0, 2, 7, 48, 64})
        EXPECT_FALSE(loads(bent([&](BmpBuilder& b) { b.bits = bits; }))) << bits << " bits";
    for (std::uint32_t compression : {4u, 5u, 6u, 0xffffffffu})
        EXPECT_FALSE(loads(bent([&](BmpBuilder& b) { b.compression = compression; })))
            << "compression " << compression;
    // The pixel data may not start inside the headers or at the end of the file.
    std::vector<std::uint8_t> offset = file;
    BmpBuilder::put32(offset, 10, 20);
    EXPECT_FALSE(loads(offset));
    BmpBuilder::put32(offset, 10, static_cast<std::uint32_t>(file.size()));
    EXPECT_FALSE(loads(offset));
    BmpBuilder::put32(offset, 10, 0xfffffff0);
    EXPECT_FALSE(loads(offset));
    // Bit fields whose masks the file cuts off.
    std::vector<std::uint8_t> masks = bent([](BmpBuilder& b) {
        b.bits = 32;
        b.compression = 3;
        b.pixels.clear();
    });
    masks.resize(14 + 40 + 8);
    EXPECT_FALSE(loads(masks));
    // A palette the file cuts off.
    std::vector<std::uint8_t> palette = paletted(8, 1, 1, {red, green, blue}, {{0}}).build();
    palette.resize(14 + 40 + 8);
    EXPECT_FALSE(loads(palette));
}

TEST(SplashBmp, LoadingFiles)
{
    TempDir dir;
    BmpBuilder b;
    b.pixels = BmpBuilder::rows(24, {{green}});
    const std::vector<std::uint8_t> bytes = b.build();
    const QString good = dir.write(QStringLiteral("good.bmp"),
                                   QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<qsizetype>(bytes.size())));
    bmp_image image{};
    ASSERT_TRUE(bmp_load_file(QFile::encodeName(good).constData(), &image));
    EXPECT_EQ(image.width, 1u);
    EXPECT_EQ(image.pixels[0], green);
    bmp_free(&image);
    EXPECT_EQ(image.pixels, nullptr);

    const QString empty = dir.write(QStringLiteral("empty.bmp"), {});
    QDir(dir.path()).mkdir(QStringLiteral("folder.bmp"));
    // A named pipe nobody writes to would block the splash for ever.
    const QString pipe = dir.file(QStringLiteral("pipe.bmp"));
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    for (const QString& path : {empty, dir.file(QStringLiteral("folder.bmp")),
                                dir.file(QStringLiteral("missing.bmp")), pipe}) {
        EXPECT_FALSE(bmp_load_file(QFile::encodeName(path).constData(), &image))
            << path.toStdString();
        EXPECT_EQ(image.pixels, nullptr);
    }
}
