// 16.16 fixed point as the rasterizer and the particles use it.
#pragma once

#include <cstdint>

namespace base {

// A signed value times 65536.
using Fixed16 = std::int32_t;

inline constexpr Fixed16 fixed_one = 0x10000;

// The 64-bit product shifted right arithmetically by 16, kept to its low 32 bits.
constexpr Fixed16 fix_mul(Fixed16 a, Fixed16 b) {
  const std::int64_t product = std::int64_t{a} * b;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(product >> 16));
}

// Smallest integer not below a / 65536. The sum wraps like the 32-bit addition it stands for.
constexpr std::int32_t fix_ceil(Fixed16 a) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + 0xFFFFu) >> 16;
}

}  // namespace base
