// Reads uncompressed BMP bitmaps of 8 or more bits per pixel into an Image.
//
// The pixel rows are taken from right after the colour table (or the 40-byte info header when there is
// none); the header's pixel-data offset is ignored, as the program's bitmaps have always been read.
// A file that ends early leaves its missing rows zero. Failures leave the Image all zero.
#pragma once

#include <cstdint>

#include "base/image.h"
#include "base/load_result.h"

namespace shell {

inline constexpr int bmp_loaded = 1;
inline constexpr int bmp_cannot_open = -1;
inline constexpr int bmp_not_supported = -2;

// Largest width or height accepted; anything larger is refused before allocating.
inline constexpr int bmp_max_side = 16384;
// Largest pixel block accepted (a 16384 x 16384 bitmap of 8 bits): a few header bytes must not
// make the reader clear gigabytes.
inline constexpr std::int64_t bmp_max_pixel_bytes = std::int64_t{256} << 20;

// Reads the bitmap at `path` into `image`: cannot_open when it is not a regular file that opens, refused
// (with what the reader cannot take) when it is not a BMP this reader supports.
base::LoadResult read_bmp_file(const char* path, base::Image& image);

// The same read with the program's codes: bmp_loaded, bmp_cannot_open or bmp_not_supported.
int load_bmp(const char* path, base::Image& image);

}  // namespace shell
