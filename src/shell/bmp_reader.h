// Reads uncompressed BMP bitmaps of 8 or more bits per pixel into an Image.
//
// The pixel rows are taken from right after the colour table (or the 40-byte info header when there is
// none); the header's pixel-data offset is ignored, as the program's bitmaps have always been read.
// A file that ends early leaves its missing rows zero. Failures leave the Image all zero.
#pragma once

#include <cstdint>
#include <span>

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
// Largest file read: room for the largest pixel block and as large a gap before it. A larger file is
// refused unread.
inline constexpr std::int64_t bmp_max_file_bytes = 2 * bmp_max_pixel_bytes;

// Reads a bitmap file's bytes into `image`; refused (with what the reader cannot take) when they are not a
// BMP this reader supports.
base::LoadResult read_bmp_bytes(std::span<const std::uint8_t> bytes, base::Image& image);

// Reads the bitmap at `path` into `image` as read_bmp_bytes reads its bytes: cannot_open when it is not a
// regular file that opens, refused when it is larger than bmp_max_file_bytes.
base::LoadResult read_bmp_file(const char* path, base::Image& image);

// The same read with the program's codes: bmp_loaded, bmp_cannot_open or bmp_not_supported.
int load_bmp(const char* path, base::Image& image);

}  // namespace shell
