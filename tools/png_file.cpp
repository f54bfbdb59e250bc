// PNG writer on zlib.
#include "tools/png_file.h"

#include <array>

#include <zlib.h>

#include "tools/file_bytes.h"

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

// A zlib stream of `raw`, compressed at the best level so committed pictures stay small.
std::vector<std::uint8_t> zlib_compressed(const std::vector<std::uint8_t>& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::vector<std::uint8_t> out(size);
  if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), Z_BEST_COMPRESSION) != Z_OK) return {};
  out.resize(size);
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
  put_chunk(png, "IDAT", zlib_compressed(scanlines));
  put_chunk(png, "IEND", {});
  return png;
}

bool write_png_rgb565(const std::string& path, const std::uint16_t* pixels, int width, int height,
                      std::string& failure) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i) {
    const Rgb888 c = rgb888_of(pixels[i]);
    rgb[i * 3] = c.r;
    rgb[i * 3 + 1] = c.g;
    rgb[i * 3 + 2] = c.b;
  }
  return write_file_bytes(path, encode_png_rgb(rgb.data(), width, height), failure);
}

}  // namespace tools
