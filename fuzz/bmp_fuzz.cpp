// load_bmp over any bytes: it must return one of its three codes and, when it loads, hand back exactly
// the pixel rows and palette its header describes.
#include <cstdint>
#include <cstdlib>

#include "input_file.h"
#include "shell/bmp_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::InputFile input;
  base::Image image;
  const int result = shell::load_bmp(input.hold(data, size), image);
  if (result == shell::bmp_loaded) {
    const auto rows = static_cast<std::size_t>(image.row_count());
    if (image.pixels.size() != static_cast<std::size_t>(image.pitch) * rows) std::abort();
    if (!image.palette.empty() && image.palette.size() != 256) std::abort();
  } else if (result != shell::bmp_not_supported || !image.pixels.empty() || !image.palette.empty()) {
    std::abort();  // an input that exists is never "cannot open", and a refusal leaves the Image empty
  }
  return 0;
}
