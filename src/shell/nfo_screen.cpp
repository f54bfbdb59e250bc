// The NFO check screen. Until the check is in place it shows the test picture and lets space go on
// to the intro and Escape end the program.
#include "shell/nfo_screen.h"

#include "scene/test_picture.h"
#include "shell/frame_state.h"
#include "shell/presentation.h"

namespace shell {

void nfo_screen(float seconds) {
  scene::draw_test_picture(frame_buffer.get(), seconds, 0);
  if (key_down[key_space]) run_mode = run_mode_intro;
  if (key_down[key_escape]) run_mode = run_mode_end;
  present_blended(frame_buffer.get());
}

}  // namespace shell
