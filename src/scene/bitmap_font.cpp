// Bitmap font drawing and the program's two fonts.
#include "scene/bitmap_font.h"

#include <algorithm>

#include "base/asset_files.h"
#include "base/frame_geometry.h"
#include "base/rgb565.h"
#include "shell/bmp_reader.h"

namespace scene {

BitmapFont large_font;
BitmapFont small_font;
FontColours large_font_colours{};
FontColours small_font_colours{};

BitmapFont::BitmapFont(const char* path) {
  shell::load_bmp(path, sheet_);
  // Glyphs are one byte per pixel; any other sheet would be read as something it is not.
  if (sheet_.bits_per_pixel != 8) sheet_ = base::Image{};
  set_clip(0, 0, base::frame_width, base::frame_height);
}

void BitmapFont::set_clip(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
  left_ = left;
  top_ = top;
  right_ = right;
  bottom_ = bottom;
}

void BitmapFont::set_glyph(int code, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  glyphs_[code & 0xFF] = Glyph{x, y, width, height};
}

void BitmapFont::map_glyph_rows(std::initializer_list<const char*> rows, std::int32_t cell_width,
                                std::int32_t cell_height) {
  std::int32_t row_top = 0;
  for (const char* row : rows) {
    std::int32_t cell_left = 0;
    for (const char* c = row; *c; ++c, cell_left += cell_width) {
      set_glyph(static_cast<unsigned char>(*c), cell_left, row_top, cell_width, cell_height);
    }
    row_top += cell_height;
  }
}

void BitmapFont::draw_glyph(std::uint16_t* dst, const FontColours& colours, int dst_stride, int code, int x,
                            int y) const {
  const Glyph& g = glyph(code);
  if (g.width <= 0 || g.height <= 0 || sheet_.empty()) return;
  // Destination column c shows sheet column g.x + (c - x): cut the glyph to the clip rectangle and to
  // the part of its cell that lies on the sheet. 64-bit, since glyph rectangles are arbitrary numbers.
  const std::int64_t sheet_left = std::int64_t{x} - g.x;
  const std::int64_t sheet_top = std::int64_t{y} - g.y;
  const std::int64_t c0 = std::max({std::int64_t{x}, std::int64_t{left_}, sheet_left});
  const std::int64_t r0 = std::max({std::int64_t{y}, std::int64_t{top_}, sheet_top});
  const std::int64_t c1 = std::min({std::int64_t{x} + g.width, std::int64_t{right_}, sheet_left + sheet_.width});
  const std::int64_t r1 = std::min({std::int64_t{y} + g.height, std::int64_t{bottom_}, sheet_top + sheet_.row_count()});
  if (c0 >= c1 || r0 >= r1) return;
  for (std::int64_t r = r0; r < r1; ++r) {
    const std::uint8_t* src = sheet_.pixels.data() + (r - sheet_top) * sheet_.pitch + (c0 - sheet_left);
    std::uint16_t* out = dst + r * dst_stride + c0;
    for (std::int64_t c = c0; c < c1; ++c, ++src, ++out) {
      if (*src != 0) *out = colours[*src];
    }
  }
}

void BitmapFont::draw_text(std::uint16_t* dst, const FontColours& colours, int dst_stride, const char* text, int x,
                           int y) const {
  int pen = x;
  for (const char* c = text; *c; ++c) {
    draw_glyph(dst, colours, dst_stride, static_cast<unsigned char>(*c), pen, y);
    pen += glyph(static_cast<unsigned char>(*c)).width;
  }
}

void BitmapFont::draw_text_to_edge(std::uint16_t* dst, const FontColours& colours, int dst_stride, const char* text,
                                   int x, int y) const {
  int pen = x;
  for (const char* c = text; *c; ++c) {
    draw_glyph(dst, colours, dst_stride, static_cast<unsigned char>(*c), pen, y);
    pen += glyph(static_cast<unsigned char>(*c)).width;
    if (pen > right_) return;
  }
}

std::int32_t BitmapFont::text_width(const char* text) const {
  std::int32_t width = 0;
  for (const char* c = text; *c; ++c) width += glyph(static_cast<unsigned char>(*c)).width;
  return width;
}

void create_large_font() {
  large_font = BitmapFont(base::large_font_file_name);
  large_font.set_clip(7, 0, 635, 480);
  large_font.map_glyph_rows({"abcdefghijklmnopqrst", "uvwxyz0123456789.,:'", "-+*?!/() "}, 16, 24);
  // Capitals share the cells of the small letters: the font has one case.
  large_font.map_glyph_rows({"ABCDEFGHIJKLMNOPQRST", "UVWXYZ"}, 16, 24);
  large_font_colours.fill(0);
  for (int k = 0; k < 16; ++k) large_font_colours[k] = base::pack_rgb565(5 * k, 16 * k, 5 * k);
}

void create_small_font() {
  small_font = BitmapFont(base::small_font_file_name);
  small_font.set_clip(0, 0, 640, 480);
  small_font.map_glyph_rows({"abcdefghijklmnopqrstuvwxyz0123456789:;/-", "().,?!\"'#+ "}, 8, 14);
  small_font.map_glyph_rows({"ABCDEFGHIJKLMNOPQRSTUVWXYZ"}, 8, 14);
  small_font_colours.fill(0);
  for (int k = 0; k < 16; ++k) small_font_colours[k] = base::pack_rgb565(8 * k, 8 * k, 16 * k);
}

}  // namespace scene
