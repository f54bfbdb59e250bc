// The texture and shade table an object is drawn with: an 8-bit bitmap ("credits.bmp" in the intro) seen
// as a map 256 texels wide, and its palette at 32 brightness levels.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "base/asset_files.h"
#include "base/shade_table.h"

namespace engine3d {

struct Object3D;

inline constexpr const char* object_texture_file_name = base::credits_file_name;

// An 8-bit texture seen as a map 256 texels wide: texel (u, v) is byte (u + 256·v) modulo 65536.
// Every index a 16.16 coordinate can produce lies inside it.
inline constexpr int texture_map_size = 65536;
using TextureMap = std::array<std::uint8_t, texture_map_size>;

// Fills `shades` from a 256-entry palette (0x00BBGGRR): level 12 is the palette colour itself, 0 black,
// higher levels brighter, and levels 25 … 31 add a white ramp.
void object_shades(const std::vector<std::uint32_t>& palette, base::ShadeTable& shades);

// Gives the object the texture and shades of the BMP at `path`. False, leaving both as they were, when
// the bitmap cannot be read, is not 8 bits per pixel, or holds fewer than 258 pixel bytes (the object's
// one texel is byte 257).
bool load_object_shades(Object3D& object, const char* path);

// The grey an object shows when it has no usable texture: (128, 128, 128) over the 32 levels.
void set_fallback_texture(Object3D& object);

}  // namespace engine3d
