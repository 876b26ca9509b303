/* libFuzzer entry point for the bitmap reader, built with the address and undefined
   behaviour sanitizers. An input whose first byte is odd is decoded as it is, to fuzz the
   header checks; otherwise its next bytes choose a plausible header (bit depth, compression,
   size, palette, header form) that is written in front of the rest, so that the decoders
   themselves get explored without a seed corpus. */
#include "splash/bmp.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

static void put16(unsigned char* p, uint32_t v)
{
    p[0] = (unsigned char)v;
    p[1] = (unsigned char)(v >> 8);
}

static void put32(unsigned char* p, uint32_t v)
{
    put16(p, v & 0xffff);
    put16(p + 2, v >> 16);
}

static int decode(const unsigned char* data, size_t size)
{
    struct bmp_image image;
    if (!bmp_decode(data, size, &image)) {
        if (image.pixels)
            abort();
        return 0;
    }
    uint32_t mix = 0;
    for (size_t i = 0; i < (size_t)image.width * image.height; ++i)
        mix |= image.pixels[i];
    if (mix >> 24)
        abort();
    bmp_free(&image);
    return 0;
}

int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 8 || data[0] % 2)
        return decode(size ? data + 1 : data, size ? size - 1 : 0);

    static const unsigned bits_choice[] = {1, 4, 8, 16, 24, 32};
    static const unsigned header_choice[] = {12, 40, 40, 108, 124};
    const unsigned bits = bits_choice[data[1] % 6];
    const unsigned compression = data[2] % 4;
    const unsigned width = data[3] % 64 + 1;
    const int height = (int8_t)data[4] ? (int8_t)data[4] : 1;
    const unsigned colours = data[5];
    const unsigned header = header_choice[data[6] % 5];
    const uint8_t* rest = data + 8;
    const size_t rest_size = size - 8;

    const size_t masks = header == 40 && compression == 3 ? 12 : 0;
    const size_t palette = (size_t)colours * (header == 12 ? 3 : 4);
    const size_t offset = 14 + header + masks + palette;
    unsigned char* file = calloc(offset + rest_size + 1, 1);
    if (!file)
        return 0;
    file[0] = 'B';
    file[1] = 'M';
    put32(file + 2, (uint32_t)(offset + rest_size));
    put32(file + 10, (uint32_t)offset);
    put32(file + 14, header);
    unsigned char* h = file + 14;
    if (header == 12) {
        put16(h + 4, width);
        put16(h + 6, (uint32_t)(height < 0 ? -height : height));
        put16(h + 8, 1);
        put16(h + 10, bits);
    } else {
        put32(h + 4, width);
        put32(h + 8, (uint32_t)height);
        put16(h + 12, 1);
        put16(h + 14, bits);
        put32(h + 16, compression);
        put32(h + 32, colours);
        if (compression == 3 && rest_size >= 12)
            memcpy(h + 40, rest, 12); /* behind a 40-byte header, else inside */
    }
    for (size_t i = 0; i < palette; ++i)
        file[14 + header + masks + i] = (unsigned char)(i * 37 + data[7]);
    memcpy(file + offset, rest, rest_size);
    decode(file, offset + rest_size);
    free(file);
    return 0;
}
