// Writes pictures as PNG files through libpng, so frames can be looked at anywhere.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/rgb565.h"

namespace tools {

// The tools' one colour type.
using base::Rgb888;

// An 8-bit RGB picture being put together for a PNG file, filled with one colour at first. What is put
// outside it is left out.
struct RgbCanvas {
  int width;
  int height;
  std::vector<std::uint8_t> rgb;  // rows top to bottom, three bytes a pixel

  RgbCanvas(int w, int h, Rgb888 fill) : width(w), height(h), rgb(static_cast<std::size_t>(w) * h * 3) {
    for (std::size_t i = 0; i < rgb.size(); i += 3) put_at(i, fill);
  }
  void put(int x, int y, Rgb888 c) {
    if (x >= 0 && y >= 0 && x < width && y < height) put_at((static_cast<std::size_t>(y) * width + x) * 3, c);
  }

 private:
  void put_at(std::size_t i, Rgb888 c) {
    rgb[i] = c.r;
    rgb[i + 1] = c.g;
    rgb[i + 2] = c.b;
  }
};

// PNG bytes of the canvas; none when libpng cannot make them (out of memory).
std::vector<std::uint8_t> encode_png(const RgbCanvas& canvas);

// Writes a width x height RGB565 picture as a PNG file ("-" is standard output); false when it cannot be
// written, and `failure` says why.
bool write_png_rgb565(const std::string& path, const std::uint16_t* pixels, int width, int height,
                      std::string& failure);

}  // namespace tools
