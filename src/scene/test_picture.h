// A moving test picture that stands in for screens that are not drawn yet.
#pragma once

#include <cstdint>

namespace scene {

// Fills a 640x480 RGB565 picture with colour bars that scroll with `seconds`; `hue` tints them.
void draw_test_picture(std::uint16_t* pixels, float seconds, int hue);

}  // namespace scene
