// The intro's pictures: the bump-mapped logo, the blob, the NFO screen's banner and the credits strip.
#pragma once

#include <optional>

#include "tools/assets/indexed_image.h"

namespace tools::assets {

// "logo.bmp": 640x480 height map of embossed "ZARN" lettering over a textured plate; palette brightness
// rises smoothly with the index, so the lit logo's bump map reads the relief from it.
std::optional<IndexedImage> make_logo();

// "blob.bmp": a soft round glow, 28x28, value 0 transparent.
IndexedImage make_blob();

// "zarn.bmp": the NFO screen's banner, 640x150 on black.
std::optional<IndexedImage> make_banner();

// "credits.bmp": 400x40. Its pixel byte 257 (row 0, column 257) is the 3D objects' colour: a gold rule
// along the top row carries it.
std::optional<IndexedImage> make_credits();

// Palette entry the 3D objects are drawn in.
inline constexpr int credits_object_colour_index = 15;

}  // namespace tools::assets
