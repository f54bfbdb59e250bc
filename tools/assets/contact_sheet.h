// A contact sheet of the generated pictures, with the logo also shown as the intro lights it.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/image/indexed_image.h"

namespace tools::assets {

struct SheetPictures {
  const IndexedImage& logo;
  const IndexedImage& banner;
  const IndexedImage& credits;
  const IndexedImage& blob;
  const IndexedImage& large_font;
  const IndexedImage& small_font;
};

// PNG bytes of the sheet.
std::vector<std::uint8_t> make_contact_sheet(const SheetPictures& pictures);

}  // namespace tools::assets
