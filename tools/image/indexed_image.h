// An 8-bit picture with its 256-colour palette, as the generated bitmaps are made and written.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/files/png_file.h"

namespace tools {

struct IndexedImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // rows top to bottom, `width` bytes each
  std::array<Rgb888, 256> palette{};

  IndexedImage(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, 0) {}
  std::uint8_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
  std::uint8_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// The bytes of an uncompressed 8-bit BMP (bottom-up, full colour table) of the image.
std::vector<std::uint8_t> encode_bmp8(const IndexedImage& image);

// Palette entries from..to (inclusive) as a smooth run through the given colours, evenly spaced.
void fill_palette_ramp(IndexedImage& image, int from, int to, const std::vector<Rgb888>& stops);

// 0..255 with values outside clamped, rounded to nearest.
std::uint8_t to_byte(double v);

}  // namespace tools
