// Blended presentation of the frame buffer.
#include "shell/presentation.h"

#include "base/frame_geometry.h"
#include "base/hot_loop.h"
#include "base/rgb565.h"
#include "platform/platform.h"
#include "shell/frame_state.h"

namespace shell {

Presentation presentation;

void set_up_blended_presentation(Presentation& target) {
  target.afterglow_buffer.assign(base::frame_pixel_count, 0);
  const auto& tables = base::colour_tables;
  const auto half_of = [](std::int32_t full) { return static_cast<std::uint32_t>(full & (full >> 1)); };
  const std::uint32_t m = half_of(tables.blue[255]) | half_of(tables.green[255]) | half_of(tables.red[255]);
  target.half_mask = m | (m << 16);
}

namespace {

// 32-bit words of two pixels, seen over 16-bit pixel storage as a C runtime's block routines see memory.
using PixelPair = std::uint32_t __attribute__((may_alias));

// The blend over n words. The buffers never overlap, which lets the compiler take several words at a time.
ZARN_HOT_LOOP
void blend_words(PixelPair* __restrict glow, const PixelPair* __restrict fresh, int n, std::uint32_t mask) {
  for (int i = 0; i < n; ++i) glow[i] = ((fresh[i] >> 1) & mask) + ((glow[i] >> 1) & mask);
}

}  // namespace

void blend_into_afterglow(Presentation& target, const std::uint16_t* frame) {
  // One shift, one mask and one addition per source for each word of two pixels.
  blend_words(reinterpret_cast<PixelPair*>(target.afterglow_buffer.data()), reinterpret_cast<const PixelPair*>(frame),
              base::frame_pixel_count / 2, target.half_mask);
}

void present_blended(const std::uint16_t* frame) {
  blend_into_afterglow(presentation, frame);
  present(presentation.afterglow_buffer.data());
}

void present(const std::uint16_t* pixels) {
  if (!platform::present(pixels)) frame_state.running = 0;
}

}  // namespace shell
