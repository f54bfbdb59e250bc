// 16.16 fixed point as the rasterizer and the particles use it, and the conversion that brings floating
// point into it.
#pragma once

#include <cstdint>
#include <limits>

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

// The low 32 bits of the 64-bit product shifted right by 14: with b = 2^30 / c it is the 16.16 quotient
// a / c without dividing a large a by a tiny c.
constexpr Fixed16 fix_mul14(Fixed16 a, Fixed16 b) {
  return static_cast<Fixed16>(static_cast<std::uint32_t>((std::int64_t{a} * b) >> 14));
}

// The 16.16 quotient a / b, truncated toward zero and kept to its low 32 bits. b must not be 0.
constexpr Fixed16 fix_div(Fixed16 a, Fixed16 b) {
  return static_cast<Fixed16>(static_cast<std::uint32_t>(std::int64_t{a} * 65536 / b));
}

// `value` truncated toward zero to 32 bits; values beyond the range saturate and NaN gives 0, where a
// plain conversion would be undefined.
constexpr std::int32_t truncate_to_int32(double value) {
  if (!(value > -2147483648.0)) return value != value ? 0 : std::numeric_limits<std::int32_t>::min();
  if (!(value < 2147483647.0)) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(value);
}

}  // namespace base
