// PNG pictures through libpng.
#include "tools/files/png_file.h"

#include <csetjmp>
#include <new>

#include <png.h>
#include <zlib.h>

#include "tools/files/file_bytes.h"

namespace tools {
namespace {

void append_to_bytes(png_structp png, png_bytep data, std::size_t size) {
  auto& bytes = *static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  try {
    bytes.insert(bytes.end(), data, data + size);
  } catch (const std::bad_alloc&) {
    png_error(png, "out of memory");
  }
}

void nothing_to_flush(png_structp) {}

// Writes the picture's chunks through `png`; false when libpng gives up, which it says by jumping back
// here, so nothing in this frame needs a destructor.
bool write_picture(png_structp png, png_infop info, const RgbCanvas& canvas) {
  if (setjmp(png_jmpbuf(png))) return false;
  const std::size_t row_bytes = static_cast<std::size_t>(canvas.width) * 3;
  const std::size_t scanline_bytes = (row_bytes + 1) * static_cast<std::size_t>(canvas.height);
  png_set_IHDR(png, info, static_cast<png_uint_32>(canvas.width), static_cast<png_uint_32>(canvas.height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // Rows unfiltered, deflated at the best level so committed pictures stay small, in one IDAT chunk: the
  // committed pictures hold these very bytes.
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_level(png, Z_BEST_COMPRESSION);
  png_set_compression_buffer_size(png, compressBound(static_cast<uLong>(scanline_bytes)));
  png_write_info(png, info);
  for (int y = 0; y < canvas.height; ++y) {
    png_write_row(png, canvas.rgb.data() + static_cast<std::size_t>(y) * row_bytes);
  }
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

std::vector<std::uint8_t> encode_png(const RgbCanvas& canvas) {
  std::vector<std::uint8_t> bytes;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (info) {
    png_set_write_fn(png, &bytes, append_to_bytes, nothing_to_flush);
    if (!write_picture(png, info, canvas)) bytes.clear();
  }
  png_destroy_write_struct(&png, &info);
  return bytes;
}

bool write_png_rgb565(const std::string& path, const std::uint16_t* pixels, int width, int height,
                      std::string& failure) {
  RgbCanvas canvas(width, height, {});
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) canvas.put(x, y, base::unpack_rgb565(pixels[static_cast<std::size_t>(y) * width + x]));
  }
  const std::vector<std::uint8_t> png = encode_png(canvas);
  if (png.empty()) {
    failure = "cannot encode the picture as PNG";
    return false;
  }
  return write_file_bytes(path, png, failure);
}

}  // namespace tools
