// Glyph sheets rasterised from DejaVu Sans Mono Bold.
#include "tools/assets/font_sheets.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "tools/assets/glyph_raster.h"

namespace tools::assets {
namespace {

struct SheetLayout {
  int cell_width, cell_height;
  int pixel_height;  // of the font
  int baseline;      // within the cell
  std::vector<std::string> rows;
  int sheet_width, sheet_height;
};

// Coverage below this is left transparent, so no faint specks ring the glyphs.
constexpr int coverage_floor = 24;

// Value 1..15 of a covered pixel: its coverage times the row's brightness, at least 1.
std::uint8_t glyph_value(int coverage, double row_brightness) {
  if (coverage < coverage_floor) return 0;
  return static_cast<std::uint8_t>(std::clamp(static_cast<int>(coverage / 255.0 * row_brightness + 0.5), 1, 15));
}

// The brightness of a glyph's row, from its top's to its foot's. By default the scroll font shines at the
// top of each glyph and darkens toward its foot, a metal look, and the NFO screen's font is even.
double row_brightness(const ScrollFontShading& shading, int row, int height) {
  return shading.top + (shading.foot - shading.top) * static_cast<double>(row) / (height - 1);
}

constexpr ScrollFontShading even_shading{15, 15};

// Both fonts show capitals in every letter cell: the program draws one case.
// The sheet's palette shows the values in the font's own colours; the program colours glyphs from its
// tables and never reads it.
std::optional<IndexedImage> make_sheet(const SheetLayout& layout, const ScrollFontShading& shading,
                                       Rgb888 (*colour)(int value)) {
  const GlyphRaster raster(dejavu_font("DejaVuSansMono-Bold.ttf"), layout.pixel_height);
  if (!raster.ok()) return std::nullopt;
  IndexedImage sheet(layout.sheet_width, layout.sheet_height);
  for (int k = 0; k < 16; ++k) sheet.palette[k] = colour(k);
  for (std::size_t row = 0; row < layout.rows.size(); ++row) {
    for (std::size_t col = 0; col < layout.rows[row].size(); ++col) {
      const std::string glyph(1, static_cast<char>(std::toupper(static_cast<unsigned char>(layout.rows[row][col]))));
      const int left = (layout.cell_width - raster.text_width(glyph)) / 2;
      const Coverage cell = raster.render(glyph, layout.cell_width, layout.cell_height, left, layout.baseline);
      for (int y = 0; y < layout.cell_height; ++y) {
        for (int x = 0; x < layout.cell_width; ++x) {
          sheet.at(static_cast<int>(col) * layout.cell_width + x, static_cast<int>(row) * layout.cell_height + y) =
              glyph_value(cell.at(x, y), row_brightness(shading, y, layout.cell_height));
        }
      }
    }
  }
  return sheet;
}

const SheetLayout large_layout{16, 24, 25, 20, {"abcdefghijklmnopqrst", "uvwxyz0123456789.,:'", "-+*?!/() "}, 320, 72};

Rgb888 large_font_colour(int k) { return {to_byte(5 * k), to_byte(16 * k), to_byte(5 * k)}; }
Rgb888 small_font_colour(int k) { return {to_byte(8 * k), to_byte(8 * k), to_byte(16 * k)}; }

}  // namespace

std::optional<IndexedImage> make_large_font_sheet(const ScrollFontShading& shading) {
  return make_sheet(large_layout, shading, large_font_colour);
}

std::optional<IndexedImage> make_small_font_sheet() {
  return make_sheet({8, 14, 13, 11, {"abcdefghijklmnopqrstuvwxyz0123456789:;/-", "().,?!\"'#+ "}, 320, 28},
                    even_shading, small_font_colour);
}

bool large_font_has(char c) {
  const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const std::string& row : large_layout.rows) {
    if (row.find(lower) != std::string::npos) return true;
  }
  return false;
}

}  // namespace tools::assets
