// The lit logo and the blobs.
#include "scene/image_effects.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "base/frame_geometry.h"
#include "base/rgb565.h"

namespace scene {
namespace {

constexpr int blob_count = 10;
// Largest light map offset a pixel may read: row 958, so a column of up to 1280 stays inside the map.
constexpr int light_row_limit = 958 * light_map_width;

// One row of the lit logo. The row's light offset and the column table already hold the light position.
void light_logo_row(std::uint16_t* out, const std::uint8_t* logo_row, const BumpEntry* bumps, const int* columns,
                    int row_offset, const std::uint8_t* light, const base::ShadeTable& shades) {
  for (int x = 0; x < base::frame_width; ++x) {
    const int lx = std::clamp(bumps[x].dx + columns[x], 0, light_map_width);
    const int ly = std::clamp(bumps[x].dy1280 + row_offset, 0, light_row_limit);
    out[x] = shades[light[ly + lx]][logo_row[x]];
  }
}

// The same row read from the padded light map, whose margins hold what the clamps would give: each
// pixel's displacement and column are one offset from the row's start. This loop is most of the intro's
// logo time; unrolled on purpose, as the compiler leaves it rolled and the loop's own counting is a
// good part of its work.
void light_padded_row(std::uint16_t* out, const std::uint8_t* logo_row, const std::int32_t* offsets,
                      const std::uint8_t* light_row, const base::ShadeTable& shades) {
#pragma GCC unroll 8
  for (int x = 0; x < base::frame_width; ++x) out[x] = shades[light_row[offsets[x]]][logo_row[x]];
}

// Where the padded light map starts the row that lights frame row 0; null when the light stands where the
// padding would not serve, which the light's path never reaches.
const std::uint8_t* padded_origin(LightPosition light, const EffectTables& tables) {
  const bool inside = light.x >= 0 && light.x + base::frame_width - 1 <= light_map_width && light.y >= 0 &&
                      light.y + base::frame_height - 1 <= light_map_height;
  if (!inside) return nullptr;
  return tables.padded_light_map.data() + static_cast<std::ptrdiff_t>(light.y + light_margin) * padded_light_width +
         light.x + light_margin;
}

}  // namespace

LightPosition light_position(std::uint32_t elapsed_ms) {
  const double s = elapsed_ms * 0.01;
  const int x = static_cast<int>(std::sin(s * 0.03237113402061856) * 100) -
                static_cast<int>(std::cos(s * 0.04686567164179105) * -120) + 320;
  const int y = static_cast<int>(std::cos(s * 0.037831325301204824) * 100) -
                static_cast<int>(std::sin(s * 0.04485714285714286) * -120) + 240;
  return {x, y};
}

void draw_lit_logo(std::uint16_t* frame, std::uint32_t elapsed_ms, const base::Image& logo,
                   const EffectTables& tables) {
  if (!logo_is_usable(logo)) {
    std::memset(frame, 0, base::frame_bytes);
    return;
  }
  const LightPosition light = light_position(elapsed_ms);
  const std::uint8_t* padded = padded_origin(light, tables);
  std::array<int, base::frame_width> columns;
  for (int k = 0; k < base::frame_width; ++k) columns[k] = std::min(light.x + k, light_map_width);
  for (int y = 0; y < base::frame_height; ++y) {
    const std::size_t i = static_cast<std::size_t>(y) * base::frame_width;
    if (padded && tables.bump_row_padded[y]) {
      light_padded_row(frame + i, logo.pixels.data() + i, tables.bump_offsets.data() + i,
                       padded + static_cast<std::ptrdiff_t>(y) * padded_light_width, tables.logo_shades);
    } else {
      const int row_offset = std::min(light.y + y, light_map_height) * light_map_width;
      light_logo_row(frame + i, logo.pixels.data() + i, tables.bump_map.data() + i, columns.data(), row_offset,
                     tables.light_map.data(), tables.logo_shades);
    }
  }
}

BlobPosition blob_position(int i, float t) {
  // The float time is widened first: an int minus a float is worked out in float, which puts a blob a
  // pixel off at some moments of the intro's first seconds.
  const double time = t;
  const double k = i * 3.14;
  const int x = static_cast<int>(std::cos(i - time + k) * 50 + 560);
  const int y = static_cast<int>(std::sin((time + k) * 0.5 + i) * 50 + 310);
  return {x, y};
}

void draw_blobs(std::uint16_t* frame, float t) {
  for (int i = 0; i < blob_count; ++i) {
    const BlobPosition at = blob_position(i, t);
    draw_blob(frame, at.x, at.y, blob_image, effect_tables.saturating_double_table);
  }
}

void draw_blob(std::uint16_t* frame, int x, int y, const ShadedImage& image,
               const std::vector<std::uint16_t>& brighten) {
  const int c0 = std::max(0, -x), c1 = std::min(image.width, base::frame_width - x);
  const int r0 = std::max(0, -y), r1 = std::min(image.height, base::frame_height - y);
  const auto& colours = image.shades[drawn_shade_level];
  for (int r = r0; r < r1; ++r) {
    std::uint16_t* out = frame + (y + r) * base::frame_width + x;
    for (int j = c0; j < c1; ++j) {
      const std::uint8_t v = image.at(j, r);
      if (v == 0) continue;
      const std::uint16_t b = brighten[colours[v]];
      out[j] = static_cast<std::uint16_t>(((b >> 1) & base::halve_mask) + ((out[j] >> 1) & base::halve_mask));
    }
  }
}

}  // namespace scene
