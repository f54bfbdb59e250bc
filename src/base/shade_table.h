// A 256-colour palette at 32 brightness levels, as RGB565: what the lit logo, the shaded images and the
// 3D objects draw from. Each builder chooses how a level brightens its palette.
#pragma once

#include <array>
#include <cstdint>

namespace base {

inline constexpr int shade_level_count = 32;
inline constexpr int palette_size = 256;

// Entry [L][j] is palette colour j at brightness level L (0 … 31).
using ShadeTable = std::array<std::array<std::uint16_t, palette_size>, shade_level_count>;

}  // namespace base
