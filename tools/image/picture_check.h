// The structure of a group's PNG or JPEG checked before stb_image decodes it: the decoder trusts what the
// file says about itself, so whatever would make it allocate without bound, run without bound or read past
// what it filled is refused here first, with where it is in the file.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tools {

// The largest picture taken, from its header, before anything is decoded: 64 times the logo slot's side
// is far beyond any slot, and 32 million pixels keep the decoded picture (four bytes a pixel) at 128 MB.
constexpr int picture_max_side = 16384;
constexpr long long picture_max_pixels = 1LL << 25;

// The most scans a JPEG may have. A progressive JPEG has about ten (libjpeg's default script has ten for
// colour); each scan walks the whole picture, so thousands of empty ones would keep the decoder busy for
// minutes on a file of a few kilobytes.
constexpr int jpeg_max_scans = 100;

// The CRC-32 a PNG chunk ends with, over its type and content.
std::uint32_t png_crc32(std::span<const std::uint8_t> bytes);

// "PNG" or "JPEG" by the file's first bytes; null for anything else.
const char* picture_format(std::span<const std::uint8_t> file);

// Why the PNG or JPEG in `file` must not be decoded, in words that follow the picture's name and a colon
// ("chunk IDAT at byte 1234 has a wrong checksum"); empty when its structure is sound. A file that is
// neither is "not a PNG or JPEG file".
std::string picture_fault(std::span<const std::uint8_t> file);

}  // namespace tools
