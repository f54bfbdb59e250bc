// PNG writer with stored (uncompressed) deflate blocks: no compression library needed.
#include "tools/png_file.h"

#include <array>
#include <fstream>

namespace tools {
namespace {

std::uint32_t crc32_of(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
  static const auto table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void put_u32_be(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void put_chunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data) {
  put_u32_be(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t type_at = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  put_u32_be(out, crc32_of(out.data() + type_at, data.size() + 4));
}

// A zlib stream of stored deflate blocks holding `raw`.
std::vector<std::uint8_t> zlib_stored(const std::vector<std::uint8_t>& raw) {
  constexpr std::size_t max_block = 65535;
  std::vector<std::uint8_t> out{0x78, 0x01};
  std::size_t at = 0;
  do {
    const std::size_t size = std::min(max_block, raw.size() - at);
    const bool last = at + size == raw.size();
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<std::uint8_t>(size));
    out.push_back(static_cast<std::uint8_t>(size >> 8));
    out.push_back(static_cast<std::uint8_t>(~size));
    out.push_back(static_cast<std::uint8_t>(~size >> 8));
    out.insert(out.end(), raw.begin() + at, raw.begin() + at + size);
    at += size;
  } while (at < raw.size());
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  put_u32_be(out, (b << 16) | a);
  return out;
}

}  // namespace

std::vector<std::uint8_t> encode_png_rgb(const std::uint8_t* rgb, int width, int height) {
  std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  put_u32_be(header, static_cast<std::uint32_t>(width));
  put_u32_be(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter method, no interlace
  put_chunk(png, "IHDR", header);

  std::vector<std::uint8_t> scanlines;
  const std::size_t row_bytes = static_cast<std::size_t>(width) * 3;
  scanlines.reserve((row_bytes + 1) * height);
  for (int y = 0; y < height; ++y) {
    scanlines.push_back(0);  // filter type: none
    scanlines.insert(scanlines.end(), rgb + y * row_bytes, rgb + (y + 1) * row_bytes);
  }
  put_chunk(png, "IDAT", zlib_stored(scanlines));
  put_chunk(png, "IEND", {});
  return png;
}

bool write_png_rgb565(const std::string& path, const std::uint16_t* pixels, int width, int height) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i) {
    const std::uint16_t p = pixels[i];
    // Widen each channel by repeating its top bits, so full intensity stays 255.
    const int r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
    rgb[i * 3] = static_cast<std::uint8_t>((r << 3) | (r >> 2));
    rgb[i * 3 + 1] = static_cast<std::uint8_t>((g << 2) | (g >> 4));
    rgb[i * 3 + 2] = static_cast<std::uint8_t>((b << 3) | (b >> 2));
  }
  const std::vector<std::uint8_t> png = encode_png_rgb(rgb.data(), width, height);
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  return static_cast<bool>(file);
}

}  // namespace tools
