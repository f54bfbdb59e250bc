// The frame state shared by the frame loop and the screens.
#include "shell/frame_state.h"

#include "base/frame_geometry.h"
#include "platform/platform.h"

namespace shell {

FrameState frame_state;

std::uint32_t elapsed_ms(const FrameState& state) { return platform::tick_ms() - state.start_tick.load(); }

void allocate_frame_buffer(FrameState& state) {
  state.frame_buffer = std::make_unique<std::uint16_t[]>(base::frame_pixel_count);
}

void free_frame_buffer(FrameState& state) { state.frame_buffer.reset(); }

void set_key_state(std::uint8_t virtual_key, bool down) { set_key_state(frame_state, virtual_key, down); }

void set_key_state(FrameState& state, std::uint8_t virtual_key, bool down) {
  state.key_down[virtual_key] = down ? 1 : 0;
  if (down) state.key_pressed[virtual_key] = 1;
}

void take_key_presses(FrameState& state) {
  // A press that lands while this frame runs stays latched for the next one.
  for (int key = 0; key < 256; ++key) state.frame_presses[key] = state.key_pressed[key].exchange(0);
}

bool key_seen(std::uint8_t virtual_key, const FrameState& state) {
  return state.key_down[virtual_key] != 0 || state.frame_presses[virtual_key] != 0;
}

void reset_frame_state(FrameState& state) {
  free_frame_buffer(state);
  for (auto& key : state.key_down) key = 0;
  for (auto& key : state.key_pressed) key = 0;
  state.frame_presses.fill(0);
  state.run_mode = run_mode_nfo;
  state.running = 0;
  state.start_tick = 0;
}

}  // namespace shell
