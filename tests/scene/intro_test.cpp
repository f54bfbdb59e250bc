// The intro frame: how its two scroll lines move and restart, and Escape.
#include <gtest/gtest.h>

#include <memory>

#include "base/rgb565.h"
#include "platform/headless/headless.h"
#include "scene/intro.h"
#include "shell/presentation.h"

namespace {

class IntroFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::headless::reset();
    base::set_up_pixel_format();
    shell::set_up_blended_presentation();
    shell::reset_frame_state(state);
    shell::allocate_frame_buffer(state);
    state.run_mode = shell::run_mode_intro;
    scene::prepare_intro(*scene);
  }
  void play_frame() { scene::intro_frame(4.0f, *scene, state, script); }

  std::unique_ptr<scene::IntroScene> scene = std::make_unique<scene::IntroScene>();
  std::unique_ptr<shell::FrameState> state_owner = std::make_unique<shell::FrameState>();
  shell::FrameState& state = *state_owner;
  shell::ScriptText script;
};

TEST_F(IntroFrameTest, LinesMoveThreeAndTwoPixelsAFrameAndRestartOnceWhollyOffTheLeft) {
  scene->top_text_width = 100;
  scene->bottom_text_width = 0;  // an empty part: its pen cycles without drawing
  struct Seen {
    int frame;
    std::int32_t top, bottom;
  };
  const Seen expected[] = {
      {1, 657, 658},    // the first intro frame: both lines still right of the clip
      {9, 633, 642},    // the upper line's first glyph comes into the clip (columns 7 … 634)
      {13, 621, 634},   // and the lower line's
      {253, -99, 154},  // the upper line's last pixel is still on the screen's left edge
      {254, 660, 152},  // now it has left: back to the start
      {330, 432, 0},    // an empty line is at 0 …
      {331, 429, 660},  // … and restarts as soon as it drops below
  };
  int frame = 0;
  for (const Seen& seen : expected) {
    while (frame < seen.frame) {
      play_frame();
      ++frame;
    }
    EXPECT_EQ(scene->top_scroll_x, seen.top) << "frame " << frame;
    EXPECT_EQ(scene->bottom_scroll_x, seen.bottom) << "frame " << frame;
  }
}

TEST_F(IntroFrameTest, EscapeEndsTheIntroAfterItsFrameIsShown) {
  play_frame();
  EXPECT_EQ(state.run_mode, shell::run_mode_intro);
  shell::set_key_state(state, shell::key_escape, true);
  shell::set_key_state(state, shell::key_escape, false);  // a tap between two frames
  shell::take_key_presses(state);
  play_frame();
  EXPECT_EQ(state.run_mode, shell::run_mode_end);
  EXPECT_EQ(platform::headless::presented_count(), 2u);
}

}  // namespace
