// Test picture of scrolling colour bars.
#include "scene/test_picture.h"

#include <cmath>

#include "base/frame_geometry.h"
#include "base/rgb565.h"

namespace scene {

void draw_test_picture(std::uint16_t* pixels, float seconds, int hue) {
  const int shift = static_cast<int>(seconds * 120.0f);
  for (int y = 0; y < base::frame_height; ++y) {
    const int wave = static_cast<int>(std::sin(y * 0.02f + seconds) * 40.0f);
    for (int x = 0; x < base::frame_width; ++x) {
      const int bar = ((x + shift + wave) / 80) & 7;
      const int level = 64 + 24 * bar;
      pixels[y * base::frame_width + x] =
          base::pack_rgb565(hue == 0 ? level : level / 3, (y * 255) / base::frame_height, hue == 0 ? 255 - level : level);
    }
  }
}

}  // namespace scene
