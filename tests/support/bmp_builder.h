// Builds BMP files byte by byte, so a test can state exactly the header it feeds the reader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

struct BmpFields {
  std::uint16_t type = 0x4D42;
  std::int32_t width = 1;
  std::int32_t height = 1;
  std::uint16_t planes = 1;
  std::uint16_t bit_count = 8;
  std::uint32_t compression = 0;
  std::uint32_t colours_used = 0;
  std::uint32_t pixel_offset = 0;  // as written in the header; the reader ignores it
};

// The 14-byte file header and the 40-byte info header, followed by `colour_table` and `rows` as given.
inline std::vector<std::uint8_t> build_bmp(const BmpFields& f, const std::vector<std::uint8_t>& colour_table,
                                           const std::vector<std::uint8_t>& rows) {
  std::vector<std::uint8_t> out;
  auto u16 = [&](std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  auto u32 = [&](std::uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  };
  const auto size = static_cast<std::uint32_t>(54 + colour_table.size() + rows.size());
  u16(f.type);
  u32(size);
  u32(0);
  u32(f.pixel_offset ? f.pixel_offset : static_cast<std::uint32_t>(54 + colour_table.size()));
  u32(40);
  u32(static_cast<std::uint32_t>(f.width));
  u32(static_cast<std::uint32_t>(f.height));
  u16(f.planes);
  u16(f.bit_count);
  u32(f.compression);
  u32(static_cast<std::uint32_t>(rows.size()));
  u32(2835);
  u32(2835);
  u32(f.colours_used);
  u32(0);
  out.insert(out.end(), colour_table.begin(), colour_table.end());
  out.insert(out.end(), rows.begin(), rows.end());
  return out;
}

}  // namespace test_support
