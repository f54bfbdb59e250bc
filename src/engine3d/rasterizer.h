// The depth-buffered triangle rasterizer: one screen triangle at a time into the 640x480 RGB565 frame,
// texel and shade interpolated without perspective, everything inside a row in 16.16 fixed point.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <memory>

#include "base/fixed_point.h"

namespace engine3d {

using base::Fixed16;

inline constexpr int shade_level_count = 32;
inline constexpr int palette_size = 256;
// Row L holds the 256 palette colours at brightness level L: the written pixel is shades[L·256 + texel].
using ObjectShades = std::array<std::uint16_t, shade_level_count * palette_size>;

// An 8-bit texture seen as a map 256 texels wide: texel (u, v) is byte (u + 256·v) modulo 65536.
// Every index a 16.16 coordinate can produce lies inside it.
inline constexpr int texture_map_size = 65536;
using TextureMap = std::array<std::uint8_t, texture_map_size>;

struct ScreenCorner {
  Fixed16 x = 0;      // 16.16 pixels, to the right
  Fixed16 y = 0;      // 16.16 pixels, downward
  Fixed16 u = 0;      // 16.16 texels
  Fixed16 v = 0;      // 16.16 texels
  Fixed16 shade = 0;  // 16.16 brightness level, 0 … 31
  Fixed16 depth = 0;  // 16.16 value of 65536 / camera z: larger is nearer
};

// Filled only when its corners run counter-clockwise on the screen; the other winding draws nothing.
struct ScreenTriangle {
  std::array<ScreenCorner, 3> corners;
};

// The 16-bit depth of every pixel, shared by all objects of a frame.
struct DepthBuffer {
  // 640 x 480 entries, row by row, plus 64 spare ones: one in front of row 0, so that the depth test's
  // read of the left neighbour stays inside the block at pixel (0, 0), and 63 behind the last row.
  std::unique_ptr<std::int16_t[]> block;

  // Entry of pixel (x, y) at y·640 + x; entry −1 is the spare one in front.
  std::int16_t* entries() { return block.get() + 1; }
};

inline constexpr int depth_buffer_spare_entries = 64;

extern DepthBuffer depth_buffer;

// Allocates the depth buffer, all 0; false when there is no memory for it.
bool allocate_depth_buffer(DepthBuffer& target = depth_buffer);

// Sets every entry, spare ones included, to 0, so anything in front of the camera passes; does nothing
// when the buffer was never allocated.
void clear_depth_buffer(DepthBuffer& target = depth_buffer);

// Fills the pixels of `triangle` that pass the depth test with shades[level][texture[u, v]]. Whatever the
// corners hold, it writes only inside the 640x480 frame and reads only inside its tables.
void rasterize_triangle(const ScreenTriangle& triangle, std::uint16_t* frame, const TextureMap& texture,
                        const ObjectShades& shades, DepthBuffer& depth = depth_buffer);

// The low 32 bits of the 64-bit product shifted right by 14.
constexpr Fixed16 fix_mul14(Fixed16 a, Fixed16 b) {
  return static_cast<Fixed16>(static_cast<std::uint32_t>((std::int64_t{a} * b) >> 14));
}

// The 16.16 quotient a / b, truncated toward zero and kept to its low 32 bits. b must not be 0.
constexpr Fixed16 fix_div(Fixed16 a, Fixed16 b) {
  return static_cast<Fixed16>(static_cast<std::uint32_t>(std::int64_t{a} * 65536 / b));
}

// `value` truncated toward zero to 32 bits; values beyond the range saturate and NaN gives 0, where a
// plain conversion would be undefined.
constexpr std::int32_t truncate_to_int32(double value) {
  if (!(value > -2147483648.0)) return value != value ? 0 : std::numeric_limits<std::int32_t>::min();
  if (!(value < 2147483647.0)) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(value);
}

}  // namespace engine3d
