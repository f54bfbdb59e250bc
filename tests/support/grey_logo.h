// A synthetic logo for the lit-logo effect, so tests and benchmarks need no picture from the assets.
#pragma once

#include <cstdint>

#include "base/frame_geometry.h"
#include "base/image.h"

namespace test_support {

// A 640x480 8-bit logo with a grey palette (entry i is (i, i, i)) and pixel values from `value_at(x, y)`.
template <typename ValueAt>
base::Image grey_logo(ValueAt value_at) {
  base::Image logo;
  logo.width = base::frame_width;
  logo.height = base::frame_height;
  logo.bits_per_pixel = 8;
  logo.pitch = base::frame_width;
  logo.palette.resize(256);
  for (std::uint32_t i = 0; i < 256; ++i) logo.palette[i] = i | (i << 8) | (i << 16);
  logo.pixels.resize(base::frame_pixel_count);
  for (int y = 0; y < base::frame_height; ++y) {
    for (int x = 0; x < base::frame_width; ++x) logo.pixels[y * base::frame_width + x] = value_at(x, y);
  }
  return logo;
}

}  // namespace test_support
