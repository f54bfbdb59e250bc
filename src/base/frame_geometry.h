// Size of the one picture every screen draws: 640 x 480 RGB565 pixels, rows top to bottom.
#pragma once

#include <cstddef>
#include <cstdint>

namespace base {

inline constexpr int frame_width = 640;
inline constexpr int frame_height = 480;
inline constexpr int frame_pixel_count = frame_width * frame_height;               // 307200
inline constexpr std::size_t frame_bytes = frame_pixel_count * sizeof(std::uint16_t);  // 614400

}  // namespace base
