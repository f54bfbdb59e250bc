// Lines and shaded images.
#include "shell/screen_drawing.h"

#include <algorithm>
#include <cstdlib>

#include "base/frame_geometry.h"

namespace shell {
namespace {

int sign_of(int v) { return (v > 0) - (v < 0); }

}  // namespace

void draw_line(std::uint16_t* dst, int x0, int y0, int x1, int y1, std::uint16_t colour) {
  const int ddx = x1 - x0, ddy = y1 - y0;
  const int sx = sign_of(ddx), sy = sign_of(ddy);
  const bool mostly_across = std::abs(ddx) >= std::abs(ddy);
  const int long_side = mostly_across ? std::abs(ddx) : std::abs(ddy);
  const int short_side = mostly_across ? std::abs(ddy) : std::abs(ddx);
  const int straight_x = mostly_across ? sx : 0, straight_y = mostly_across ? 0 : sy;
  int e = long_side / 2;
  int x = x0, y = y0;
  for (int n = 0; n <= long_side; ++n) {
    if (x >= 0 && x < base::frame_width && y >= 0 && y < base::frame_height) dst[y * base::frame_width + x] = colour;
    e += short_side;
    if (e > long_side) {
      e -= long_side;
      x += sx;
      y += sy;
    } else {
      x += straight_x;
      y += straight_y;
    }
  }
}

void draw_shaded_image(std::uint16_t* dst, int x, int y, const scene::ShadedImage& image) {
  const int c0 = std::max(0, -x), c1 = std::min(image.width, base::frame_width - x);
  const int r0 = std::max(0, -y), r1 = std::min(image.height, base::frame_height - y);
  const auto& colours = image.shades[scene::drawn_shade_level];
  for (int r = r0; r < r1; ++r) {
    std::uint16_t* out = dst + (y + r) * base::frame_width + x;
    for (int j = c0; j < c1; ++j) out[j] = colours[image.at(j, r)];
  }
}

}  // namespace shell
