// Tables the lit logo and the blobs read every frame, computed once at start-up from the logo.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "base/image.h"
#include "scene/shaded_image.h"

namespace scene {

inline constexpr int light_map_width = 1280;
inline constexpr int light_map_height = 960;

// How far the logo's brightness slope moves a pixel's lookup in the light map.
struct BumpEntry {
  std::int32_t dx = 0;      // columns
  std::int32_t dy1280 = 0;  // rows, times the light map's row length
};

// The extremes of one bump map row: where the light keeps them inside the light map, the lit logo
// draws that row without clamping each lookup.
struct BumpRowRange {
  std::int32_t min_dx = 0, max_dx = 0;
  std::int32_t min_dy1280 = 0, max_dy1280 = 0;
};

struct EffectTables {
  // Each channel of an RGB565 pixel doubled, saturating.
  std::vector<std::uint16_t> saturating_double_table = std::vector<std::uint16_t>(65536);
  // The logo palette at 32 levels: level 20 is the palette itself, higher levels brighten toward white.
  ShadeTable logo_shades{};
  // Light intensity 0..31 around the light's centre at column 645, row 485.
  std::vector<std::uint8_t> light_map = std::vector<std::uint8_t>(light_map_width * light_map_height);
  // One entry per frame pixel; the border rows and columns stay 0.
  std::vector<BumpEntry> bump_map = std::vector<BumpEntry>(640 * 480);
  std::vector<BumpRowRange> bump_row_ranges = std::vector<BumpRowRange>(480);
  // dx + dy1280 of each entry: the whole displacement as one light map offset, for rows without clamps.
  std::vector<std::int32_t> bump_offsets = std::vector<std::int32_t>(640 * 480);
};

extern EffectTables effect_tables;
// "logo.bmp": 640x480, 8 bits, with a palette.
extern base::Image logo_image;

// Whether the logo is an image the lit logo can draw; any other leaves a black logo.
bool logo_is_usable(const base::Image& logo);

void fill_saturating_double_table(EffectTables& tables = effect_tables);
void fill_logo_shades(const base::Image& logo = logo_image, EffectTables& tables = effect_tables);
void fill_light_map(EffectTables& tables = effect_tables);
// False when the temporary brightness image cannot be allocated.
bool fill_bump_map(const base::Image& logo = logo_image, EffectTables& tables = effect_tables);
// Brings `bump_row_ranges` and `bump_offsets` up to date with `bump_map`; the lit logo relies on them
// to skip its clamps.
void derive_bump_lookups(EffectTables& tables);

}  // namespace scene
