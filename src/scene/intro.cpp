// The intro screen. Until its effects are in place it shows the test picture.
#include "scene/intro.h"

#include "scene/test_picture.h"
#include "shell/frame_state.h"
#include "shell/presentation.h"

namespace scene {

void prepare_intro() {}

void intro_frame(float seconds) {
  draw_test_picture(shell::frame_buffer.get(), seconds, 1);
  if (shell::key_down[shell::key_escape]) shell::run_mode = shell::run_mode_end;
  shell::present_blended(shell::frame_buffer.get());
}

}  // namespace scene
