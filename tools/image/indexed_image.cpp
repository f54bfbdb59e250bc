// Indexed pictures and their BMP encoding.
#include "tools/image/indexed_image.h"

#include <algorithm>
#include <cmath>

namespace tools {
namespace {

void put_u16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put_u32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  put_u16(out, v & 0xFFFF);
  put_u16(out, v >> 16);
}

}  // namespace

std::uint8_t to_byte(double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

std::vector<std::uint8_t> encode_bmp8(const IndexedImage& image) {
  const std::uint32_t pitch = (static_cast<std::uint32_t>(image.width) + 3) & ~3u;
  const std::uint32_t pixel_offset = 14 + 40 + 256 * 4;
  const std::uint32_t pixel_bytes = pitch * static_cast<std::uint32_t>(image.height);
  std::vector<std::uint8_t> out;
  out.reserve(pixel_offset + pixel_bytes);
  put_u16(out, 0x4D42);
  put_u32(out, pixel_offset + pixel_bytes);
  put_u32(out, 0);
  put_u32(out, pixel_offset);
  put_u32(out, 40);
  put_u32(out, static_cast<std::uint32_t>(image.width));
  put_u32(out, static_cast<std::uint32_t>(image.height));
  put_u16(out, 1);
  put_u16(out, 8);
  put_u32(out, 0);
  put_u32(out, pixel_bytes);
  put_u32(out, 2835);  // 72 dots per inch
  put_u32(out, 2835);
  put_u32(out, 256);
  put_u32(out, 0);
  for (const Rgb888& c : image.palette) {
    out.insert(out.end(), {c.b, c.g, c.r, 0});
  }
  for (int y = image.height - 1; y >= 0; --y) {
    const auto row = image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.width;
    out.insert(out.end(), row, row + image.width);
    out.insert(out.end(), pitch - static_cast<std::uint32_t>(image.width), 0);
  }
  return out;
}

void fill_palette_ramp(IndexedImage& image, int from, int to, const std::vector<Rgb888>& stops) {
  const int count = to - from;
  for (int i = from; i <= to; ++i) {
    const double t = count > 0 ? static_cast<double>(i - from) / count * (stops.size() - 1) : 0.0;
    const std::size_t k = std::min(static_cast<std::size_t>(t), stops.size() - 2);
    const double f = t - k;
    const Rgb888& a = stops[k];
    const Rgb888& b = stops[k + 1];
    image.palette[i] = {to_byte(a.r + (b.r - a.r) * f), to_byte(a.g + (b.g - a.g) * f), to_byte(a.b + (b.b - a.b) * f)};
  }
}

}  // namespace tools
