// The BMP reader over any bytes: it loads or refuses and, when it loads, hands back exactly the pixel rows
// and palette its header describes.
#include <cstdint>
#include <cstdlib>

#include "shell/bmp_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  base::Image image;
  const base::LoadResult result = shell::read_bmp_bytes({data, size}, image);
  if (result.loaded()) {
    const auto rows = static_cast<std::size_t>(image.row_count());
    if (image.pixels.size() != static_cast<std::size_t>(image.pitch) * rows) std::abort();
    if (!image.palette.empty() && image.palette.size() != 256) std::abort();
  } else if (result.status != base::LoadStatus::refused || result.reason.empty() || !image.pixels.empty() ||
             !image.palette.empty()) {
    std::abort();  // bytes are never "cannot open", and a refusal says why and leaves the Image empty
  }
  return 0;
}
