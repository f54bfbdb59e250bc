// Copy of a packed picture into a surface whose rows may lie further apart than the picture's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace platform::win32 {

// `pitch` is the distance between the surface's rows in bytes. One block copy when the rows touch,
// row by row otherwise.
inline void copy_to_pitched_surface(std::uint8_t* surface, std::ptrdiff_t pitch, const std::uint16_t* pixels,
                                    int width, int height) {
  const auto row_bytes = static_cast<std::size_t>(width) * sizeof(std::uint16_t);
  if (pitch == static_cast<std::ptrdiff_t>(row_bytes)) {
    std::memcpy(surface, pixels, row_bytes * static_cast<std::size_t>(height));
    return;
  }
  for (int y = 0; y < height; ++y) {
    std::memcpy(surface + y * pitch, pixels + static_cast<std::ptrdiff_t>(y) * width, row_bytes);
  }
}

}  // namespace platform::win32
