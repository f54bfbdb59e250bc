// The frame loop.
#include "shell/frame_loop.h"

#include "music/sound_system.h"
#include "platform/platform.h"
#include "scene/intro.h"
#include "shell/frame_state.h"
#include "shell/nfo_screen.h"

namespace shell {

void frame_loop() {
  FrameState& state = frame_state;
  const std::uint32_t loop_start = elapsed_ms(state);
  scene::prepare_intro();
  bool first_intro_frame = true;
  while (state.running) {
    // Both screens get the same clock, counted from the start of the loop; unsigned so it survives the
    // tick count's wrap.
    const std::uint32_t ms = elapsed_ms(state) - loop_start;
    const float seconds = static_cast<float>(ms * 0.001);
    take_key_presses(state);
    switch (state.run_mode) {
      case run_mode_end:
        free_frame_buffer(state);
        music::end_sound();
        state.running = 0;
        break;
      case run_mode_nfo:
        nfo_screen(seconds);
        break;
      case run_mode_intro:
        if (first_intro_frame) {
          // Without music (no module loaded) this does nothing and the intro runs silent.
          music::start_module(music::sound_system.music_module.get());
          first_intro_frame = false;
        }
        scene::intro_frame(seconds);
        break;
      default:
        break;
    }
  }
}

void frame_thread_main() {
  frame_state.start_tick = platform::tick_ms();
  frame_loop();
  frame_state.running = 0;
  platform::request_quit();
}

}  // namespace shell
