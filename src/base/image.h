// A bitmap as read from a BMP file: rows top to bottom, each `pitch` bytes long.
#pragma once

#include <cstdint>
#include <vector>

namespace base {

struct Image {
  std::int32_t width = 0;
  std::int32_t height = 0;          // as stored in the file: negative for a top-down file
  std::int32_t bits_per_pixel = 0;  // 8 or more
  std::int32_t pitch = 0;           // bytes per row, a multiple of 4
  std::vector<std::uint8_t> pixels;    // |height| rows of `pitch` bytes, top row first
  std::vector<std::uint32_t> palette;  // 256 entries 0x00BBGGRR, or empty when the file has none

  std::int32_t row_count() const { return height < 0 ? -height : height; }
  bool empty() const { return pixels.empty(); }
};

}  // namespace base
