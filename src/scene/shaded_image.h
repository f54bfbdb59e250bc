// Shaded images: 8-bit bitmaps with 32 precomputed brightness levels of their palette.
#pragma once

#include <cstdint>
#include <vector>

#include "base/image.h"
#include "base/shade_table.h"

namespace scene {

// The level every drawer uses: 31/32 of each palette colour.
inline constexpr int drawn_shade_level = 31;

struct ShadedImage {
  std::int32_t width = 0;
  std::int32_t height = 0;
  base::ShadeTable shades{};  // entry [L][j]: palette colour j at L/32 of its brightness
  std::vector<std::uint8_t> pixels;  // height rows of width bytes, top row first

  std::uint8_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

extern ShadedImage blob_image;
extern ShadedImage zarn_image;
extern ShadedImage credits_image;

// Fills `table` from a 256-entry palette (0x00BBGGRR); an empty palette gives an all-black table.
void build_shade_table(const std::vector<std::uint32_t>& palette, base::ShadeTable& table);

// Reads an 8-bit BMP into `image`. A missing file or one of another depth leaves an empty image of
// width and height 0, which the drawers draw as nothing.
void load_shaded_image(const char* path, ShadedImage& image);

// The same from an Image already read.
void make_shaded_image(const base::Image& bitmap, ShadedImage& image);

}  // namespace scene
