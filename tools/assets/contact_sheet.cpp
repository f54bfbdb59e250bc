// The contact sheet.
#include "tools/assets/contact_sheet.h"

#include <memory>

#include "base/frame_geometry.h"
#include "base/rgb565.h"
#include "scene/effect_tables.h"
#include "scene/image_effects.h"
#include "tools/files/png_file.h"

namespace tools::assets {
namespace {

constexpr int sheet_width = 1296;
constexpr int sheet_height = 800;
constexpr int margin = 8;

constexpr Rgb888 background{24, 24, 30};

// Pastes an indexed picture through its palette, each pixel as a zoom x zoom square.
void paste(RgbCanvas& canvas, const IndexedImage& image, int left, int top, int zoom = 1) {
  for (int y = 0; y < image.height * zoom; ++y) {
    for (int x = 0; x < image.width * zoom; ++x) canvas.put(left + x, top + y, image.palette[image.at(x / zoom, y / zoom)]);
  }
}

base::Image as_bitmap(const IndexedImage& image) {
  base::Image bitmap;
  bitmap.width = image.width;
  bitmap.height = image.height;
  bitmap.bits_per_pixel = 8;
  bitmap.pitch = image.width;
  bitmap.pixels = image.pixels;
  for (const Rgb888& c : image.palette) bitmap.palette.push_back(c.r | (c.g << 8) | (c.b << 16));
  return bitmap;
}

// The logo as the intro shows it, lit by the effect itself a few seconds in.
void paste_lit_logo(RgbCanvas& canvas, const IndexedImage& logo, int left, int top) {
  base::set_up_pixel_format();
  const base::Image bitmap = as_bitmap(logo);
  auto tables = std::make_unique<scene::EffectTables>();
  scene::fill_logo_shades(bitmap, *tables);
  scene::fill_light_map(*tables);
  scene::fill_bump_map(bitmap, *tables);
  std::vector<std::uint16_t> frame(base::frame_pixel_count);
  scene::draw_lit_logo(frame.data(), 7000, bitmap, *tables);
  for (int y = 0; y < base::frame_height; ++y) {
    for (int x = 0; x < base::frame_width; ++x) {
      canvas.put(left + x, top + y, base::unpack_rgb565(frame[y * base::frame_width + x]));
    }
  }
}

}  // namespace

std::vector<std::uint8_t> make_contact_sheet(const SheetPictures& p) {
  RgbCanvas canvas(sheet_width, sheet_height, background);
  paste(canvas, p.logo, margin, margin);
  paste_lit_logo(canvas, p.logo, 2 * margin + 640, margin);
  const int row2 = 2 * margin + 480;
  paste(canvas, p.banner, margin, row2);
  paste(canvas, p.credits, 2 * margin + 640, row2);
  paste(canvas, p.blob, 3 * margin + 640 + 400, row2, 4);
  const int row3 = row2 + 150 + margin;
  paste(canvas, p.large_font, margin, row3, 2);
  paste(canvas, p.small_font, 2 * margin + 640, row3, 2);
  return encode_png(canvas);
}

}  // namespace tools::assets
