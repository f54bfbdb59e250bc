// The lit logo and the translucent blobs.
#pragma once

#include <cstdint>
#include <vector>

#include "scene/effect_tables.h"
#include "scene/shaded_image.h"

namespace scene {

// Where the light's offset into the light map stands after `elapsed_ms` milliseconds.
struct LightPosition {
  int x;  // 100..540
  int y;  // 20..460
};
LightPosition light_position(std::uint32_t elapsed_ms);

// Fills every pixel of `frame` with the logo bump-mapped under the light at `elapsed_ms`.
// A logo that is not 640x480 at 8 bits gives a black frame.
void draw_lit_logo(std::uint16_t* frame, std::uint32_t elapsed_ms, const base::Image& logo = logo_image,
                   const EffectTables& tables = effect_tables);

// Top-left corner of blob `i` (0..9) at the intro's time `t` in seconds: columns 510..610, rows 260..360.
struct BlobPosition {
  int x;
  int y;
};
BlobPosition blob_position(int i, float t);

// Blends the ten blobs of `blob_image` over `frame` at the intro's time `t` in seconds.
void draw_blobs(std::uint16_t* frame, float t);

// Blends one blob with its top-left pixel at (x, y): half the brightened blob colour plus half the frame.
// Value 0 is transparent; the blob is cut at the frame's edges.
void draw_blob(std::uint16_t* frame, int x, int y, const ShadedImage& image, const std::vector<std::uint16_t>& brighten);

}  // namespace scene
