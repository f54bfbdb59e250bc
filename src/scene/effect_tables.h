// Tables the lit logo and the blobs read every frame, computed once at start-up from the logo.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "base/image.h"
#include "base/zeroed_allocator.h"
#include "scene/shaded_image.h"

namespace scene {

inline constexpr int light_map_width = 1280;
inline constexpr int light_map_height = 960;

// How far the logo's brightness slope moves a pixel's lookup in the light map.
struct BumpEntry {
  std::int32_t dx = 0;      // columns
  std::int32_t dy1280 = 0;  // rows, times the light map's row length
};

// The largest slope a logo can have: the brightness of white, 3 x 255, against black.
inline constexpr int light_margin = 765;
// The light map with a margin of `light_margin` on every side, holding there what the clamped lookup of the
// light map reads: with it, a row of the lit logo needs no clamps wherever the light stands.
inline constexpr int padded_light_width = light_map_width + 1 + 2 * light_margin;
inline constexpr int padded_light_height = light_map_height + 1 + 2 * light_margin;

// The large tables are zeroed tables: every program that links the scene builds `effect_tables` at
// start-up, and a tool that never draws (a module render) then pays nothing for their megabytes.
struct EffectTables {
  // Each channel of an RGB565 pixel doubled, saturating.
  std::vector<std::uint16_t> saturating_double_table = std::vector<std::uint16_t>(65536);
  // The logo palette at 32 levels: level 20 is the palette itself, higher levels brighten toward white.
  base::ShadeTable logo_shades{};
  // Light intensity 0..31 around the light's centre at column 645, row 485.
  base::ZeroedTable<std::uint8_t> light_map = base::ZeroedTable<std::uint8_t>(light_map_width * light_map_height);
  // One entry per frame pixel; the border rows and columns stay 0.
  base::ZeroedTable<BumpEntry> bump_map = base::ZeroedTable<BumpEntry>(640 * 480);
  // Derived from the light map: entry (row, column) at (row + light_margin) · padded_light_width + column +
  // light_margin.
  base::ZeroedTable<std::uint8_t> padded_light_map =
      base::ZeroedTable<std::uint8_t>(padded_light_width * padded_light_height);
  // Per row, whether every entry moves by whole rows, and by at most `light_margin` rows and columns each
  // way, so that the padded light map serves the row; a logo's bump map always does.
  std::vector<std::uint8_t> bump_row_padded = std::vector<std::uint8_t>(480);
  // Each entry's displacement plus its column as one offset into the padded light map, for those rows.
  base::ZeroedTable<std::int32_t> bump_offsets = base::ZeroedTable<std::int32_t>(640 * 480);
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
// Brings `padded_light_map`, `bump_row_padded` and `bump_offsets` up to date with `light_map` and
// `bump_map`; the lit logo relies on them to skip its clamps. The fills keep them up to date themselves;
// this is for tables changed by hand.
void derive_bump_lookups(EffectTables& tables);

}  // namespace scene
