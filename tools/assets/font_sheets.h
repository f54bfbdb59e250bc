// The two glyph sheets: "chars.bmp" (16x24 cells) for the scroll lines and "chars2.bmp" (8x14 cells) for
// the NFO screen, in the cell order the fonts map, with values 1..15 as a brightness ramp.
#pragma once

#include <optional>

#include "tools/assets/indexed_image.h"

namespace tools::assets {

// Nothing when the font file cannot be read.
std::optional<IndexedImage> make_large_font_sheet();
std::optional<IndexedImage> make_small_font_sheet();

}  // namespace tools::assets
