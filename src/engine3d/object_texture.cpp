// Object texture and shade table.
#include "engine3d/object_texture.h"

#include "base/image.h"
#include "base/rgb565.h"
#include "engine3d/object3d.h"
#include "shell/bmp_reader.h"

namespace engine3d {
namespace {

// The object shows texel (1, 1) of a map 256 texels wide: pixel byte 257.
constexpr std::size_t min_texture_bytes = 258;
constexpr std::uint32_t fallback_grey = 0x00808080;  // red, green and blue 128
// The palette level that shows a colour as it is.
constexpr int natural_level = 12;
// Levels above this one add an equal amount of white to every component.
constexpr int white_ramp_start = 24;
constexpr int white_per_level = 16;

}  // namespace

void object_shades(const std::vector<std::uint32_t>& palette, base::ShadeTable& shades) {
  for (int level = 0; level < base::shade_level_count; ++level) {
    const int white = level > white_ramp_start ? white_per_level * (level - white_ramp_start) : 0;
    for (int n = 0; n < base::palette_size; ++n) {
      const std::uint32_t entry = palette[n];
      const int r = static_cast<int>(entry & 0xFF);
      const int g = static_cast<int>((entry >> 8) & 0xFF);
      const int b = static_cast<int>((entry >> 16) & 0xFF);
      shades[level][n] = base::pack_rgb565(white + level * r / natural_level, white + level * g / natural_level,
                                           white + level * b / natural_level);
    }
  }
}

bool load_object_shades(Object3D& object, const char* path) {
  base::Image image;
  if (shell::load_bmp(path, image) != shell::bmp_loaded) return false;
  if (image.bits_per_pixel != 8 || image.pixels.size() < min_texture_bytes ||
      image.palette.size() != static_cast<std::size_t>(base::palette_size)) {
    return false;
  }
  // A bitmap smaller than the 256 x 256 map repeats, so every texel read lands inside the image.
  for (std::size_t i = 0; i < object.texture.size(); ++i) object.texture[i] = image.pixels[i % image.pixels.size()];
  object_shades(image.palette, object.shades);
  return true;
}

void set_fallback_texture(Object3D& object) {
  // The same for every object, so worked out once.
  static const base::ShadeTable fallback_shades = [] {
    base::ShadeTable shades;
    object_shades(std::vector<std::uint32_t>(base::palette_size, fallback_grey), shades);
    return shades;
  }();
  object.texture.fill(0);
  object.shades = fallback_shades;
}

}  // namespace engine3d
