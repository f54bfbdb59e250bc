// The frame state shared by the frame loop and the screens.
#include "shell/frame_state.h"

#include "base/frame_geometry.h"
#include "platform/platform.h"

namespace shell {

std::unique_ptr<std::uint16_t[]> frame_buffer;
std::array<std::atomic<std::uint8_t>, 256> key_down{};
std::int32_t run_mode = run_mode_nfo;
std::atomic<std::int32_t> running{0};
std::atomic<std::uint32_t> start_tick{0};

std::uint32_t elapsed_ms() { return platform::tick_ms() - start_tick.load(); }

void allocate_frame_buffer() { frame_buffer = std::make_unique<std::uint16_t[]>(base::frame_pixel_count); }

void free_frame_buffer() { frame_buffer.reset(); }

void set_key_state(std::uint8_t virtual_key, bool down) { key_down[virtual_key] = down ? 1 : 0; }

void reset_frame_state() {
  free_frame_buffer();
  for (auto& key : key_down) key = 0;
  run_mode = run_mode_nfo;
  running = 0;
  start_tick = 0;
}

}  // namespace shell
