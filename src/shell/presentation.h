// Showing a frame: every new frame is averaged half and half with the picture shown before it,
// so moving things leave a fading trail.
#pragma once

#include <cstdint>
#include <vector>

namespace shell {

struct Presentation {
  // The picture last presented, 640x480 RGB565.
  std::vector<std::uint16_t> afterglow_buffer;
  // Two copies of the per-pixel halving mask, for two pixels per 32-bit word: 0x7BEF7BEF.
  std::uint32_t half_mask = 0;
};

extern Presentation presentation;

// Makes a cleared afterglow buffer and the half mask from the colour tables (set up the pixel format first).
void set_up_blended_presentation(Presentation& target = presentation);

// afterglow = floor(frame / 2) + floor(afterglow / 2) per channel of every pixel; `frame` is unchanged.
void blend_into_afterglow(Presentation& target, const std::uint16_t* frame);

// Blends `frame` (640x480 RGB565) into the afterglow buffer and presents that.
void present_blended(const std::uint16_t* frame);

// Shows a 640x480 RGB565 picture now; a lost display clears `running`.
void present(const std::uint16_t* pixels);

}  // namespace shell
