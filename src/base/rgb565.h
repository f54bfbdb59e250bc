// RGB565 pixels: packing, the per-component tables and the masks that halve or add pixels safely.
#pragma once

#include <array>
#include <cstdint>

namespace base {

// Bits that survive when each channel of an RGB565 pixel is shifted right by one:
// the mask clears the bit each channel received from its upper neighbour.
inline constexpr std::uint16_t halve_mask = 0x7BEF;
// Applied to both pixels before a sum, so that adding two halves cannot carry between channels.
inline constexpr std::uint16_t sum_mask = 0xF7DE;

// Clamps each component to 0..255 and packs the top 5, 6 and 5 bits.
constexpr std::uint16_t pack_rgb565(std::int32_t r, std::int32_t g, std::int32_t b) {
  auto clamp = [](std::int32_t v) { return v < 0 ? 0 : (v > 255 ? 255 : v); };
  r = clamp(r);
  g = clamp(g);
  b = clamp(b);
  return static_cast<std::uint16_t>(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3));
}

// A colour of 8 bits a channel, as pictures outside the frame buffer hold it (PNG, a BMP's palette).
struct Rgb888 {
  std::uint8_t r = 0, g = 0, b = 0;
};

// An RGB565 pixel widened to 8 bits a channel by repeating each channel's top bits, so that full stays 255
// and black stays 0.
constexpr Rgb888 unpack_rgb565(std::uint16_t p) {
  const int r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
  return {static_cast<std::uint8_t>((r << 3) | (r >> 2)), static_cast<std::uint8_t>((g << 2) | (g >> 4)),
          static_cast<std::uint8_t>((b << 3) | (b >> 2))};
}

// Entry i is the RGB565 pixel with only that one component at intensity i.
struct ColourTables {
  std::array<std::int32_t, 256> red{};
  std::array<std::int32_t, 256> green{};
  std::array<std::int32_t, 256> blue{};
};

extern ColourTables colour_tables;

// Fills `colour_tables`; always succeeds (returns 1).
int set_up_pixel_format();

}  // namespace base
