#define _POSIX_C_SOURCE 200809L

#include "splash/bmp.h"

#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

enum
{
    FILE_HEADER_SIZE = 14,
    CORE_HEADER_SIZE = 12,
    INFO_HEADER_SIZE = 40,
    COMPRESSION_RGB = 0,
    COMPRESSION_RLE8 = 1,
    COMPRESSION_RLE4 = 2,
    COMPRESSION_BITFIELDS = 3,
};

/* How one colour channel sits in a 16 or 32-bit pixel. */
struct channel
{
    uint32_t mask;
    unsigned shift;
    uint32_t max; /* mask >> shift; 0 for a missing channel */
};

struct layout
{
    uint32_t width;
    uint32_t height;
    int top_down;
    unsigned bits;
    uint32_t compression;
    uint32_t palette[256];
    uint32_t palette_size;
    struct channel red, green, blue;
};

static uint16_t u16(const unsigned char* p)
{
    return (uint16_t)(p[0] | p[1] << 8);
}

static uint32_t u32(const unsigned char* p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

static struct channel make_channel(uint32_t mask)
{
    struct channel c = {mask, 0, 0};
    if (mask) {
        while (!(mask & 1u)) {
            mask >>= 1;
            ++c.shift;
        }
        c.max = mask;
    }
    return c;
}

static uint32_t channel_value(const struct channel* c, uint32_t pixel)
{
    if (!c->max)
        return 0;
    const uint64_t value = (pixel & c->mask) >> c->shift;
    return (uint32_t)(value * 255u / c->max);
}

static uint32_t masked_colour(const struct layout* l, uint32_t pixel)
{
    return channel_value(&l->red, pixel) << 16 | channel_value(&l->green, pixel) << 8 |
           channel_value(&l->blue, pixel);
}

static uint32_t palette_colour(const struct layout* l, unsigned index)
{
    return index < l->palette_size ? l->palette[index] : 0;
}

/* Reads the headers, the bit fields and the palette; returns the offset of the pixel data,
   or 0 when the file is not a bitmap this reader takes. */
static size_t read_layout(const unsigned char* data, size_t size, struct layout* l)
{
    if (size < FILE_HEADER_SIZE + CORE_HEADER_SIZE || data[0] != 'B' || data[1] != 'M')
        return 0;
    const uint32_t pixels_at = u32(data + 10);
    const uint32_t header_size = u32(data + 14);
    if (header_size > size - FILE_HEADER_SIZE)
        return 0;
    const unsigned char* h = data + FILE_HEADER_SIZE;
    size_t palette_at = FILE_HEADER_SIZE + (size_t)header_size;
    unsigned palette_entry = 4;
    uint32_t colours_used = 0;
    int64_t height;

    if (header_size == CORE_HEADER_SIZE) {
        l->width = u16(h + 4);
        height = u16(h + 6);
        if (u16(h + 8) != 1)
            return 0;
        l->bits = u16(h + 10);
        l->compression = COMPRESSION_RGB;
        palette_entry = 3;
        if (l->bits != 1 && l->bits != 4 && l->bits != 8 && l->bits != 24)
            return 0;
    } else if (header_size == 40 || header_size == 52 || header_size == 56 || header_size == 108 ||
               header_size == 124) {
        const int32_t width = (int32_t)u32(h + 4);
        if (width <= 0)
            return 0;
        l->width = (uint32_t)width;
        height = (int32_t)u32(h + 8);
        if (u16(h + 12) != 1)
            return 0;
        l->bits = u16(h + 14);
        l->compression = u32(h + 16);
        colours_used = u32(h + 32);
    } else {
        return 0;
    }

    l->top_down = height < 0;
    if (height < 0)
        height = -height;
    if (l->width == 0 || height == 0 || l->width > BMP_MAX_DIMENSION ||
        height > BMP_MAX_DIMENSION || (uint64_t)l->width * (uint64_t)height > BMP_MAX_PIXELS)
        return 0;
    l->height = (uint32_t)height;

    switch (l->compression) {
    case COMPRESSION_RGB:
        if (l->bits != 1 && l->bits != 4 && l->bits != 8 && l->bits != 16 && l->bits != 24 &&
            l->bits != 32)
            return 0;
        break;
    case COMPRESSION_RLE8:
        if (l->bits != 8 || l->top_down)
            return 0;
        break;
    case COMPRESSION_RLE4:
        if (l->bits != 4 || l->top_down)
            return 0;
        break;
    case COMPRESSION_BITFIELDS:
        if (l->bits != 16 && l->bits != 32)
            return 0;
        break;
    default:
        return 0;
    }

    if (l->compression == COMPRESSION_BITFIELDS) {
        const size_t masks_at = FILE_HEADER_SIZE + INFO_HEADER_SIZE;
        if (header_size == INFO_HEADER_SIZE) {
            palette_at += 12;
            if (palette_at > size)
                return 0;
        }
        l->red = make_channel(u32(data + masks_at));
        l->green = make_channel(u32(data + masks_at + 4));
        l->blue = make_channel(u32(data + masks_at + 8));
    } else if (l->bits == 16) {
        l->red = make_channel(0x7c00);
        l->green = make_channel(0x03e0);
        l->blue = make_channel(0x001f);
    } else if (l->bits == 32) {
        l->red = make_channel(0xff0000);
        l->green = make_channel(0x00ff00);
        l->blue = make_channel(0x0000ff);
    }

    l->palette_size = 0;
    if (l->bits <= 8) {
        const uint32_t most = 1u << l->bits;
        const uint32_t count = colours_used == 0 || colours_used > most ? most : colours_used;
        if ((size - palette_at) / palette_entry < count)
            return 0;
        for (uint32_t i = 0; i < count; ++i) {
            const unsigned char* e = data + palette_at + (size_t)i * palette_entry;
            l->palette[i] = (uint32_t)e[2] << 16 | (uint32_t)e[1] << 8 | e[0];
        }
        l->palette_size = count;
    }

    if (pixels_at < FILE_HEADER_SIZE + (size_t)header_size || pixels_at >= size)
        return 0;
    return pixels_at;
}

static void decode_row(const struct layout* l, const unsigned char* row, uint32_t* out)
{
    for (uint32_t x = 0; x < l->width; ++x) {
        switch (l->bits) {
        case 1:
            out[x] = palette_colour(l, (row[x / 8] >> (7 - x % 8)) & 1u);
            break;
        case 4:
            out[x] = palette_colour(l, (row[x / 2] >> (x % 2 ? 0 : 4)) & 0xfu);
            break;
        case 8:
            out[x] = palette_colour(l, row[x]);
            break;
        case 16:
            out[x] = masked_colour(l, u16(row + (size_t)x * 2));
            break;
        case 24: {
            const unsigned char* p = row + (size_t)x * 3;
            out[x] = (uint32_t)p[2] << 16 | (uint32_t)p[1] << 8 | p[0];
            break;
        }
        default:
            out[x] = masked_colour(l, u32(row + (size_t)x * 4));
            break;
        }
    }
}

static int decode_uncompressed(const struct layout* l, const unsigned char* pixels,
                               size_t available, uint32_t* out)
{
    const uint64_t stride = ((uint64_t)l->width * l->bits + 31) / 32 * 4;
    if (stride * l->height > available)
        return 0;
    for (uint32_t r = 0; r < l->height; ++r) {
        const uint32_t y = l->top_down ? r : l->height - 1 - r;
        decode_row(l, pixels + (size_t)(stride * r), out + (size_t)y * l->width);
    }
    return 1;
}

/* Sets the pixel at column `x` of bitmap row `y` (counted from the bottom), if it lies in
   the picture. */
static void put(const struct layout* l, uint32_t* out, uint64_t x, uint64_t y, unsigned index)
{
    if (x < l->width && y < l->height)
        out[(size_t)(l->height - 1 - y) * l->width + (size_t)x] = palette_colour(l, index);
}

/* The run-length forms: pairs of (count, index) runs and escapes for the end of a line,
   the end of the picture, a jump, and a literal run padded to an even length. */
static int decode_rle(const struct layout* l, const unsigned char* p, size_t available,
                      uint32_t* out)
{
    const int four = l->compression == COMPRESSION_RLE4;
    const unsigned char* end = p + available;
    uint64_t x = 0, y = 0;
    while (end - p >= 2 && y < l->height) {
        const unsigned count = p[0];
        const unsigned value = p[1];
        p += 2;
        if (count > 0) {
            for (unsigned i = 0; i < count; ++i)
                put(l, out, x + i, y, four ? (i % 2 ? value & 0xfu : value >> 4) : value);
            x += count;
            continue;
        }
        if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            return 1;
        } else if (value == 2) {
            if (end - p < 2)
                return 0;
            x += p[0];
            y += p[1];
            p += 2;
        } else {
            size_t bytes = four ? (value + 1) / 2 : value;
            bytes += bytes % 2;
            if ((size_t)(end - p) < bytes)
                return 0;
            for (unsigned i = 0; i < value; ++i, ++x) {
                const unsigned index = four ? (i % 2 ? p[i / 2] & 0xfu : p[i / 2] >> 4) : p[i];
                put(l, out, x, y, index);
            }
            p += bytes;
        }
    }
    return 1;
}

int bmp_decode(const unsigned char* data, size_t size, struct bmp_image* out)
{
    out->width = out->height = 0;
    out->pixels = NULL;
    struct layout l;
    memset(&l, 0, sizeof l);
    const size_t pixels_at = data ? read_layout(data, size, &l) : 0;
    if (!pixels_at)
        return 0;
    uint32_t* pixels = calloc((size_t)l.width * l.height, sizeof *pixels);
    if (!pixels)
        return 0;
    const int ok = l.compression == COMPRESSION_RLE8 || l.compression == COMPRESSION_RLE4
                       ? decode_rle(&l, data + pixels_at, size - pixels_at, pixels)
                       : decode_uncompressed(&l, data + pixels_at, size - pixels_at, pixels);
    if (!ok) {
        free(pixels);
        return 0;
    }
    out->width = l.width;
    out->height = l.height;
    out->pixels = pixels;
    return 1;
}

int bmp_load_file(const char* path, struct bmp_image* out)
{
    out->width = out->height = 0;
    out->pixels = NULL;
    /* Without O_NONBLOCK a named pipe would block here for ever; fstat refuses it below. */
    const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return 0;
    struct stat st;
    unsigned char* data = NULL;
    size_t size = 0;
    int ok = 0;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 &&
        (uint64_t)st.st_size <= BMP_MAX_FILE_SIZE) {
        size = (size_t)st.st_size;
        data = malloc(size);
        size_t got = 0;
        while (data && got < size) {
            const ssize_t n = read(fd, data + got, size - got);
            if (n <= 0)
                break;
            got += (size_t)n;
        }
        ok = data && got == size && bmp_decode(data, size, out);
    }
    free(data);
    close(fd);
    return ok;
}

void bmp_free(struct bmp_image* image)
{
    free(image->pixels);
    image->pixels = NULL;
    image->width = image->height = 0;
}
