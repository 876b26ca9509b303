#ifndef SPLASH_BMP_H
#define SPLASH_BMP_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Limits of a picture the splash shows; larger ones are refused rather than allocated. */
#define BMP_MAX_DIMENSION 16384
#define BMP_MAX_PIXELS (1u << 24)
#define BMP_MAX_FILE_SIZE (128u << 20)

/* A decoded picture: `width` x `height` pixels as 0x00RRGGBB, top row first. */
struct bmp_image
{
    uint32_t width;
    uint32_t height;
    uint32_t* pixels;
};

/* Decodes a Windows bitmap file held in memory: the 12-byte core header or the 40 to
   124-byte info headers; 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed or with bit
   fields, bottom-up or top-down; RLE8 and RLE4 (bottom-up only). Returns 1 and fills
   `out` on success; returns 0 with `out` emptied for anything truncated, inconsistent,
   unsupported or beyond the limits above. Pixels an RLE stream skips stay black. */
int bmp_decode(const unsigned char* data, size_t size, struct bmp_image* out);

/* Reads and decodes the regular file `path`. Returns 0 when it cannot be read or decoded. */
int bmp_load_file(const char* path, struct bmp_image* out);

void bmp_free(struct bmp_image* image);

#ifdef __cplusplus
}
#endif

#endif
