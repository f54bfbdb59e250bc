// The frame loop.
#include "shell/frame_loop.h"

#include "platform/platform.h"
#include "scene/intro.h"
#include "shell/frame_state.h"
#include "shell/nfo_screen.h"

namespace shell {

void frame_loop() {
  const std::uint32_t loop_start = elapsed_ms();
  scene::prepare_intro();
  while (running) {
    // Both screens get the same clock, counted from the start of the loop; unsigned so it survives the
    // tick count's wrap.
    const std::uint32_t ms = elapsed_ms() - loop_start;
    const float seconds = static_cast<float>(ms * 0.001);
    switch (run_mode) {
      case run_mode_end:
        free_frame_buffer();
        running = 0;
        break;
      case run_mode_nfo:
        nfo_screen(seconds);
        break;
      case run_mode_intro:
        scene::intro_frame(seconds);
        break;
      default:
        break;
    }
  }
}

void frame_thread_main() {
  start_tick = platform::tick_ms();
  frame_loop();
  running = 0;
  platform::request_quit();
}

}  // namespace shell
