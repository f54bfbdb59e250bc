// stb_image, built here with only what the picture import needs.
#include "tools/image/stb_image_decoder.h"

#include <climits>

#include "tools/image/picture_check.h"

// The implementation is compiled here alone, its functions static: no symbol clashes with a system stb
// library that carries its own copy, and the fuzz build instruments the decoder with the rest. Memory
// only, PNG and JPEG only; a side past the import's own limit is refused by the decoder too.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_MAX_DIMENSIONS (tools::picture_max_side)
#include <stb_image.h>
#pragma GCC diagnostic pop

namespace tools {

void free_decoded_pixels(void* pixels) { stbi_image_free(pixels); }

std::optional<RgbaPixels> decode_rgba(std::span<const std::uint8_t> file, std::string& failure) {
  if (file.size() > static_cast<std::size_t>(INT_MAX)) {
    failure = "too large to decode";
    return std::nullopt;
  }
  RgbaPixels out;
  int channels = 0;
  out.pixels.reset(stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &out.width, &out.height,
                                         &channels, 4));
  if (!out.pixels) {
    failure = stbi_failure_reason();
    return std::nullopt;
  }
  return out;
}

long long inflate_zlib(std::span<const std::uint8_t> stream, std::span<std::uint8_t> out, std::string& failure) {
  if (stream.size() > static_cast<std::size_t>(INT_MAX) || out.size() > static_cast<std::size_t>(INT_MAX)) {
    failure = "too large to inflate";
    return -1;
  }
  const int written = stbi_zlib_decode_buffer(reinterpret_cast<char*>(out.data()), static_cast<int>(out.size()),
                                              reinterpret_cast<const char*>(stream.data()),
                                              static_cast<int>(stream.size()));
  if (written < 0) failure = stbi_failure_reason();
  return written;
}

}  // namespace tools
