// The depth-buffered triangle rasterizer: one screen triangle at a time into the 640x480 RGB565 frame,
// texel and shade interpolated without perspective, everything inside a row in 16.16 fixed point.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "base/fixed_point.h"
#include "base/frame_geometry.h"
#include "base/shade_table.h"
#include "engine3d/object_texture.h"

namespace engine3d {

using base::Fixed16;

struct ScreenCorner {
  Fixed16 x = 0;      // 16.16 pixels, to the right
  Fixed16 y = 0;      // 16.16 pixels, downward
  Fixed16 u = 0;      // 16.16 texels
  Fixed16 v = 0;      // 16.16 texels
  Fixed16 shade = 0;  // 16.16 brightness level, 0 … 31
  Fixed16 depth = 0;  // 16.16 value of 65536 / camera z: larger is nearer
};

// Filled only when its corners run counter-clockwise on the screen; the other winding draws nothing.
struct ScreenTriangle {
  std::array<ScreenCorner, 3> corners;
};

// The 16-bit depth of every pixel, shared by all objects of a frame.
struct DepthBuffer {
  // 640 x 480 entries, row by row, plus 64 spare ones: one in front of row 0, so that the depth test's
  // read of the left neighbour stays inside the block at pixel (0, 0), and 63 behind the last row.
  std::unique_ptr<std::int16_t[]> block;
  // Rows first_drawn_row … end_drawn_row − 1 may hold depths the rasterizer wrote since the buffer was last
  // cleared; every other entry is 0 unless written from outside the rasterizer. None: from the screen's
  // height to 0, so that each triangle's rows widen the record with a min and a max.
  int first_drawn_row = base::frame_height;
  int end_drawn_row = 0;

  // Entry of pixel (x, y) at y·640 + x; entry −1 is the spare one in front.
  std::int16_t* entries() { return block.get() + 1; }
};

inline constexpr int depth_buffer_spare_entries = 64;

extern DepthBuffer depth_buffer;

// Allocates the depth buffer, all 0; false when there is no memory for it.
bool allocate_depth_buffer(DepthBuffer& target = depth_buffer);

// Sets every entry, spare ones included, to 0, so anything in front of the camera passes; does nothing
// when the buffer was never allocated.
void clear_depth_buffer(DepthBuffer& target = depth_buffer);

// Sets to 0 the rows the rasterizer has drawn into since the last clear. The same as clear_depth_buffer when
// only the rasterizer writes to the buffer, for a fraction of the work when the objects cover part of the
// screen; does nothing when the buffer was never allocated.
void clear_drawn_depth(DepthBuffer& target = depth_buffer);

// Fills the pixels of `triangle` that pass the depth test with shades[level][texture[u, v]]. Whatever the
// corners hold, it writes only inside the 640x480 frame and reads only inside its tables.
void rasterize_triangle(const ScreenTriangle& triangle, std::uint16_t* frame, const TextureMap& texture,
                        const base::ShadeTable& shades, DepthBuffer& depth = depth_buffer);

}  // namespace engine3d
