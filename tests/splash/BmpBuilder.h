#pragma once

#include <cstdint>
#include <vector>

// Writes Windows bitmap files for the tests, field by field, so that each test can bend
// exactly the field it is about.
struct BmpBuilder
{
    std::uint32_t headerSize = 40; // 12 writes the core header
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t planes = 1;
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    std::vector<std::uint32_t> palette; // 0xRRGGBB
    std::vector<std::uint32_t> masks;   // written after a 40-byte header, inside larger ones
    std::vector<std::uint8_t> pixels;
    std::int64_t pixelOffset = -1; // -1: right after the palette

    static void put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
    {
        out[at] = static_cast<std::uint8_t>(v);
        out[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    static void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
    {
        put16(out, at, v & 0xffff);
        put16(out, at + 2, v >> 16);
    }

    std::vector<std::uint8_t> build() const
    {
        std::vector<std::uint8_t> out(14 + headerSize, 0);
        out[0] = 'B';
        out[1] = 'M';
        const std::size_t h = 14;
        put32(out, h, headerSize);
        if (headerSize == 12) {
            put16(out, h + 4, static_cast<std::uint32_t>(width));
            put16(out, h + 6, static_cast<std::uint32_t>(height));
            put16(out, h + 8, planes);
            put16(out, h + 10, bits);
        } else if (headerSize >= 40) {
            put32(out, h + 4, static_cast<std::uint32_t>(width));
            put32(out, h + 8, static_cast<std::uint32_t>(height));
            put16(out, h + 12, planes);
            put16(out, h + 14, bits);
            put32(out, h + 16, compression);
            put32(out, h + 20, static_cast<std::uint32_t>(pixels.size()));
            put32(out, h + 32, coloursUsed);
            if (headerSize >= 52)
                for (std::size_t i = 0; i < masks.size() && i < 3; ++i)
                    put32(out, h + 40 + 4 * i, masks[i]);
        }
        if (headerSize == 40)
            for (const std::uint32_t m : masks) {
                out.resize(out.size() + 4);
                put32(out, out.size() - 4, m);
            }
        for (const std::uint32_t c : palette) {
            out.push_back(static_cast<std::uint8_t>(c));
            out.push_back(static_cast<std::uint8_t>(c >> 8));
            out.push_back(static_cast<std::uint8_t>(c >> 16));
            if (headerSize != 12)
                out.push_back(0);
        }
        const std::size_t offset =
            pixelOffset < 0 ? out.size() : static_cast<std::size_t>(pixelOffset);
        if (out.size() < offset)
            out.resize(offset, 0);
        put32(out, 10, static_cast<std::uint32_t>(offset));
        out.resize(offset);
        out.insert(out.end(), pixels.begin(), pixels.end());
        put32(out, 2, static_cast<std::uint32_t>(out.size()));
        return out;
    }

    // Packs rows of pixel values (indices, or 0xRRGGBB for 24 bits, raw words for 16 and
    // 32 bits), in file order, each padded to four bytes.
    static std::vector<std::uint8_t> rows(unsigned bits,
                                          const std::vector<std::vector<std::uint32_t>>& values)
    {
        std::vector<std::uint8_t> out;
        for (const auto& row : values) {
            std::vector<std::uint8_t> bytes((row.size() * bits + 31) / 32 * 4, 0);
            for (std::size_t x = 0; x < row.size(); ++x) {
                const std::uint32_t v = row[x];
                switch (bits) {
                case 1:
                    bytes[x / 8] |= static_cast<std::uint8_t>((v & 1) << (7 - x % 8));
                    break;
                case 4:
                    bytes[x / 2] |= static_cast<std::uint8_t>((v & 0xf) << (x % 2 ? 0 : 4));
                    break;
                case 8:
                    bytes[x] = static_cast<std::uint8_t>(v);
                    break;
                case 16:
                    put16(bytes, x * 2, v);
                    break;
                case 24:
                    bytes[x * 3] = static_cast<std::uint8_t>(v);
                    bytes[x * 3 + 1] = static_cast<std::uint8_t>(v >> 8);
                    bytes[x * 3 + 2] = static_cast<std::uint8_t>(v >> 16);
                    break;
                default:
                    put32(bytes, x * 4, v);
                }
            }
            out.insert(out.end(), bytes.begin(), bytes.end());
        }
        return out;
    }
};
