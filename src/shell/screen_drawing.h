// Small drawing routines of the NFO screen: lines and opaque shaded images, both cut at the frame's edges.
#pragma once

#include <cstdint>

#include "scene/shaded_image.h"

namespace shell {

// A line of one RGB565 colour from (x0, y0) to (x1, y1), both ends included, into a 640x480 buffer.
void draw_line(std::uint16_t* dst, int x0, int y0, int x1, int y1, std::uint16_t colour);

// Copies the image opaquely with its top-left corner at (x, y), at shade level 31.
void draw_shaded_image(std::uint16_t* dst, int x, int y, const scene::ShadedImage& image);

}  // namespace shell
