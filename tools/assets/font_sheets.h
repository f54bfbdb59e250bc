// The two glyph sheets: "chars.bmp" (16x24 cells) for the scroll lines and "chars2.bmp" (8x14 cells) for
// the NFO screen, in the cell order the fonts map, with values 1..15 as a brightness ramp.
#pragma once

#include <optional>

#include "tools/image/indexed_image.h"

namespace tools::assets {

// How the scroll font is shaded: the value (1..15) at the top of each glyph and at its foot. The intro
// colours the values from its own table (a green ramp); the shading is what a kit can change.
struct ScrollFontShading {
  int top = 15;
  int foot = 9;
};

// Nothing when the font file cannot be read.
std::optional<IndexedImage> make_large_font_sheet(const ScrollFontShading& shading = {});
std::optional<IndexedImage> make_small_font_sheet();

// Whether the scroll font has a glyph for the character (either case of a letter).
bool large_font_has(char c);

}  // namespace tools::assets
