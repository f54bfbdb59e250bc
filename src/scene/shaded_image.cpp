// Shaded images and their shade tables.
#include "scene/shaded_image.h"

#include <cstring>

#include "base/rgb565.h"
#include "shell/bmp_reader.h"

namespace scene {

ShadedImage blob_image;
ShadedImage zarn_image;
ShadedImage credits_image;

void build_shade_table(const std::vector<std::uint32_t>& palette, base::ShadeTable& table) {
  for (int level = 0; level < base::shade_level_count; ++level) {
    for (int j = 0; j < 256; ++j) {
      const std::uint32_t entry = j < static_cast<int>(palette.size()) ? palette[j] : 0;
      const int r = entry & 0xFF, g = (entry >> 8) & 0xFF, b = (entry >> 16) & 0xFF;
      table[level][j] = base::pack_rgb565(level * r / 32, level * g / 32, level * b / 32);
    }
  }
}

void make_shaded_image(const base::Image& bitmap, ShadedImage& image) {
  image = ShadedImage{};
  if (bitmap.bits_per_pixel != 8 || bitmap.empty()) return;
  build_shade_table(bitmap.palette, image.shades);
  image.width = bitmap.width;
  image.height = bitmap.row_count();
  // Rows are kept exactly `width` bytes apart: the BMP row padding is dropped, so widths that are not
  // a multiple of 4 draw straight instead of sheared.
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
  for (int y = 0; y < image.height; ++y) {
    std::memcpy(image.pixels.data() + static_cast<std::size_t>(y) * image.width,
                bitmap.pixels.data() + static_cast<std::size_t>(y) * bitmap.pitch, image.width);
  }
}

void load_shaded_image(const char* path, ShadedImage& image) {
  base::Image bitmap;
  shell::load_bmp(path, bitmap);
  make_shaded_image(bitmap, image);
}

}  // namespace scene
