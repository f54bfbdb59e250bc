// Bitmap fonts: an 8-bit glyph sheet and a table of glyph rectangles, drawn through a colour table with
// value 0 transparent and clipped to the font's rectangle.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>

#include "base/image.h"

namespace scene {

struct Glyph {
  std::int32_t x = 0;       // left edge in the sheet
  std::int32_t y = 0;       // top edge in the sheet (row 0 is the top)
  std::int32_t width = 0;   // also the pen advance; 0 means no glyph
  std::int32_t height = 0;  // 0 also means no glyph
};

// RGB565 colour of each sheet pixel value; value 0 is transparent and never looked up.
using FontColours = std::array<std::uint16_t, 256>;

class BitmapFont {
 public:
  BitmapFont() = default;
  // Reads the sheet (a missing or unusable sheet leaves the font drawing nothing), clips to the whole
  // 640x480 frame and clears the glyph table.
  explicit BitmapFont(const char* path);

  // Columns left..right-1 and rows top..bottom-1 of the destination may be written.
  void set_clip(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
  void set_glyph(int code, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
  // Character i of row j gets the cell (i * cell_width, j * cell_height); a later mapping of a code wins.
  void map_glyph_rows(std::initializer_list<const char*> rows, std::int32_t cell_width, std::int32_t cell_height);

  // Draws one glyph with its top-left corner at (x, y), clipped to the clip rectangle and to the sheet.
  void draw_glyph(std::uint16_t* dst, const FontColours& colours, int dst_stride, int code, int x, int y) const;
  // Draws every byte of the text, however far outside the clip the pen goes.
  void draw_text(std::uint16_t* dst, const FontColours& colours, int dst_stride, const char* text, int x, int y) const;
  // Draws the text but stops after the glyph that carries the pen past the clip's right edge.
  void draw_text_to_edge(std::uint16_t* dst, const FontColours& colours, int dst_stride, const char* text, int x,
                         int y) const;
  // Sum of the glyph widths of the text's bytes.
  std::int32_t text_width(const char* text) const;

  const Glyph& glyph(int code) const { return glyphs_[code & 0xFF]; }
  const base::Image& sheet() const { return sheet_; }

 private:
  std::array<Glyph, 256> glyphs_{};
  base::Image sheet_;
  std::int32_t left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
};

// The intro's scroll font ("chars.bmp", 16x24 cells) and the NFO screen's font ("chars2.bmp", 8x14 cells).
extern BitmapFont large_font;
extern BitmapFont small_font;
extern FontColours large_font_colours;
extern FontColours small_font_colours;

// Load the two fonts with their glyph rows, clip rectangles and colour tables.
void create_large_font();
void create_small_font();

}  // namespace scene
