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
  std::uint32_t pixel_offset = 0;       // as written in the header; 0 writes where the pixels start
  std::uint32_t info_header_size = 40;  // 108 and 124 are the later headers many editors write
  std::uint32_t gap = 0;                // junk bytes between the colour table and the pixels
};

// The 14-byte file header and the info header (its later fields zero), followed by `colour_table`, the gap
// and `rows` as given.
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
  const auto pixels_at = static_cast<std::uint32_t>(14 + f.info_header_size + colour_table.size() + f.gap);
  u16(f.type);
  u32(static_cast<std::uint32_t>(pixels_at + rows.size()));
  u32(0);
  u32(f.pixel_offset ? f.pixel_offset : pixels_at);
  u32(f.info_header_size);
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
  out.resize(14 + f.info_header_size, 0);
  out.insert(out.end(), colour_table.begin(), colour_table.end());
  out.insert(out.end(), f.gap, 0xEE);
  out.insert(out.end(), rows.begin(), rows.end());
  return out;
}

}  // namespace test_support
