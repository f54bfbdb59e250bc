// stb_image compiled into the tools: the PNG and JPEG decoder and its zlib inflater, portable C, so that a
// browser build decodes the same pixels as zarn-tool.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace tools {

void free_decoded_pixels(void* pixels);

// A decoded picture, four bytes a pixel (red, green, blue, alpha), rows top to bottom.
struct RgbaPixels {
  int width = 0, height = 0;
  std::unique_ptr<std::uint8_t, void (*)(void*)> pixels{nullptr, free_decoded_pixels};
};

// Decodes a PNG or JPEG that has passed `picture_fault`; nothing when stb_image refuses it, with its reason
// in `failure`.
std::optional<RgbaPixels> decode_rgba(std::span<const std::uint8_t> file, std::string& failure);

// Inflates a zlib stream into `out`, never past its end; the bytes written, or -1 with stb_image's reason
// in `failure` when the stream is corrupt or holds more than `out` takes.
long long inflate_zlib(std::span<const std::uint8_t> stream, std::span<std::uint8_t> out, std::string& failure);

}  // namespace tools
