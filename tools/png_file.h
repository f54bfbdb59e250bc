// Writes pictures as PNG files, so frames can be looked at anywhere.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

// PNG bytes of an 8-bit RGB picture of width x height, rows top to bottom.
std::vector<std::uint8_t> encode_png_rgb(const std::uint8_t* rgb, int width, int height);

// Writes a width x height RGB565 picture as a PNG file; false when the file cannot be written.
bool write_png_rgb565(const std::string& path, const std::uint16_t* pixels, int width, int height);

}  // namespace tools
