// Writes pictures as PNG files through libpng, so frames can be looked at anywhere.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

struct Rgb888 {
  std::uint8_t r = 0, g = 0, b = 0;
};

// An RGB565 pixel widened to 8 bits a channel by repeating each channel's top bits, so full stays 255.
constexpr Rgb888 rgb888_of(std::uint16_t p) {
  const int r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
  return {static_cast<std::uint8_t>((r << 3) | (r >> 2)), static_cast<std::uint8_t>((g << 2) | (g >> 4)),
          static_cast<std::uint8_t>((b << 3) | (b >> 2))};
}

// PNG bytes of an 8-bit RGB picture of width x height, rows top to bottom; none when libpng cannot make
// them (out of memory).
std::vector<std::uint8_t> encode_png_rgb(const std::uint8_t* rgb, int width, int height);

// Writes a width x height RGB565 picture as a PNG file ("-" is standard output); false when it cannot be
// written, and `failure` says why.
bool write_png_rgb565(const std::string& path, const std::uint16_t* pixels, int width, int height,
                      std::string& failure);

}  // namespace tools
