// Filling the effect tables.
#include "scene/effect_tables.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>

#include "base/frame_geometry.h"
#include "base/rgb565.h"

namespace scene {
namespace {

constexpr int light_centre_x = 645;
constexpr int light_centre_y = 485;
// Palette level at which the logo shows its own colours.
constexpr int logo_palette_level = 20;
// Levels above this add a lift toward white.
constexpr int logo_lift_start = 24;

int red_of(std::uint32_t entry) { return entry & 0xFF; }
int green_of(std::uint32_t entry) { return (entry >> 8) & 0xFF; }
int blue_of(std::uint32_t entry) { return (entry >> 16) & 0xFF; }

// What the lit logo reads at (row, column) of the light map when it clamps the lookup: the row is held to
// 0 … 958 and the column to 0 … 1280, where column 1280 is the next row's first entry.
void pad_light_map(EffectTables& tables) {
  constexpr int last_row = light_map_height - 2;
  for (int padded_row = 0; padded_row < padded_light_height; ++padded_row) {
    const int row = std::clamp(padded_row - light_margin, 0, last_row);
    const std::uint8_t* source = tables.light_map.data() + static_cast<std::size_t>(row) * light_map_width;
    std::uint8_t* out = tables.padded_light_map.data() + static_cast<std::size_t>(padded_row) * padded_light_width;
    std::fill_n(out, light_margin, source[0]);
    std::copy_n(source, light_map_width + 1, out + light_margin);
    std::fill_n(out + light_margin + light_map_width + 1, light_margin, source[light_map_width]);
  }
}

bool moves_within_margin(const BumpEntry& entry) {
  return entry.dy1280 % light_map_width == 0 && std::abs(entry.dy1280 / light_map_width) <= light_margin &&
         entry.dx >= -light_margin && entry.dx <= light_margin;
}

// Which rows the padded light map serves, and their offsets into it.
void derive_bump_offsets(EffectTables& tables) {
  for (int y = 0; y < base::frame_height; ++y) {
    const std::size_t row_start = static_cast<std::size_t>(y) * base::frame_width;
    bool padded = true;
    for (int x = 0; x < base::frame_width; ++x) padded = padded && moves_within_margin(tables.bump_map[row_start + x]);
    tables.bump_row_padded[y] = padded;
    for (int x = 0; x < base::frame_width; ++x) {
      const BumpEntry& entry = tables.bump_map[row_start + x];
      tables.bump_offsets[row_start + x] =
          padded ? entry.dx + entry.dy1280 / light_map_width * padded_light_width + x : 0;
    }
  }
}

}  // namespace

EffectTables effect_tables;
base::Image logo_image;

bool logo_is_usable(const base::Image& logo) {
  return logo.bits_per_pixel == 8 && logo.width == base::frame_width && logo.row_count() == base::frame_height &&
         logo.palette.size() == 256;
}

void fill_saturating_double_table(EffectTables& tables) {
  for (int p = 0; p < 65536; ++p) {
    const int r5 = p >> 11, g6 = (p >> 5) & 63, b5 = p & 31;
    tables.saturating_double_table[p] =
        base::pack_rgb565(std::min(255, 16 * r5), std::min(255, 8 * g6), std::min(255, 16 * b5));
  }
}

void fill_logo_shades(const base::Image& logo, EffectTables& tables) {
  tables.logo_shades = base::ShadeTable{};
  if (!logo_is_usable(logo)) return;
  for (int m = 0; m < base::shade_level_count; ++m) {
    const int lift = m <= logo_lift_start ? 0 : 16 * (m - logo_lift_start);
    for (int i = 0; i < 256; ++i) {
      const std::uint32_t e = logo.palette[i];
      tables.logo_shades[m][i] =
          base::pack_rgb565(red_of(e) * m / logo_palette_level + lift, green_of(e) * m / logo_palette_level + lift,
                            blue_of(e) * m / logo_palette_level + lift);
    }
  }
}

void fill_light_map(EffectTables& tables) {
  for (int y = 0; y < light_map_height; ++y) {
    for (int x = 0; x < light_map_width; ++x) {
      const double dy = y - light_centre_y, dx = x - light_centre_x;
      const double d = std::sqrt(dy * dy + dx * dx) * 0.3333333333333333;
      const int value = d <= 200 ? static_cast<int>(31 - 31 * std::sin(d * 0.00785)) : 0;
      tables.light_map[static_cast<std::size_t>(y) * light_map_width + x] = static_cast<std::uint8_t>(value);
    }
  }
  pad_light_map(tables);
}

namespace {

// The brightness slopes of the logo; `brightness` is scratch room for 640 x 480 values.
void fill_bump_entries(const base::Image& logo, std::int32_t* brightness, EffectTables& tables) {
  constexpr int w = base::frame_width, h = base::frame_height;
  for (int i = 0; i < w * h; ++i) {
    const std::uint32_t e = logo.palette[logo.pixels[i]];
    brightness[i] = red_of(e) + green_of(e) + blue_of(e);
  }
  for (int y = 1; y < h - 1; ++y) {
    for (int x = 1; x < w - 1; ++x) {
      const int i = y * w + x;
      tables.bump_map[i].dx = brightness[i - 1] - brightness[i + 1];
      tables.bump_map[i].dy1280 = (brightness[i - w] - brightness[i + w]) * light_map_width;
    }
  }
}

}  // namespace

bool fill_bump_map(const base::Image& logo, EffectTables& tables) {
  constexpr int w = base::frame_width, h = base::frame_height;
  std::unique_ptr<std::int32_t[]> brightness(new (std::nothrow) std::int32_t[w * h]);
  if (!brightness) return false;
  std::fill(tables.bump_map.begin(), tables.bump_map.end(), BumpEntry{});
  // A logo the lit logo cannot draw has no relief.
  if (logo_is_usable(logo)) fill_bump_entries(logo, brightness.get(), tables);
  derive_bump_offsets(tables);
  return true;
}

void derive_bump_lookups(EffectTables& tables) {
  pad_light_map(tables);
  derive_bump_offsets(tables);
}

}  // namespace scene
