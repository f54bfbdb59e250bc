// A group's own picture (PNG or JPEG) made into the 8-bit bitmap one of the intro's picture slots needs:
// the slot's size, and the palette structure its effect reads.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/image/indexed_image.h"

namespace tools {

enum class ImageSlot { logo, banner, credits, blob };

// "logo", "banner", "credits" or "blob"; none for any other name.
std::optional<ImageSlot> image_slot_named(std::string_view name);

// The slot's file in the intro's folder: "logo.bmp", "zarn.bmp", "credits.bmp" or "blob.bmp".
const char* image_slot_file_name(ImageSlot slot);

struct ImportedImage {
  IndexedImage picture{0, 0};
  std::string summary;  // one line: what was scaled, cropped, composited and quantised
};

// Makes the picture of `slot` from a PNG or JPEG file's bytes (`name` for messages), fitted into the
// slot and centred on black:
//  - logo (640x480): quantised to 256 colours ordered by brightness, so the lit logo reads the picture's
//    brightness as its relief;
//  - banner (640x150): 256 colours, black at entry 0 around the picture;
//  - credits (400x40): the picture below the gold rule of row 0, whose brightest gold at pixel 257 is the
//    3D objects' colour; `gold` is that rule's ramp;
//  - blob (28x28): 255 colours; entry 0 is transparent where the picture is (mostly) transparent.
// Nothing when the bytes are not a PNG or JPEG that decodes: `failure` says why.
std::optional<ImportedImage> import_image(const std::vector<std::uint8_t>& file, const std::string& name,
                                          ImageSlot slot, const std::vector<Rgb888>& gold, std::string& failure);

}  // namespace tools
