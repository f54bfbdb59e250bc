// The NFO screen on the headless platform: when the verdict shows and which key it listens to.
#include <gtest/gtest.h>

#include <vector>

#include "platform/headless/headless.h"
#include "shell/frame_state.h"
#include "shell/nfo_check.h"
#include "shell/nfo_screen.h"
#include "shell/startup.h"
#include "support/temp_dir.h"
#include "support/torus_mesh.h"

namespace {

constexpr std::uint32_t frame_step_ms = 100;

class NfoScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::headless::reset();
    shell::reset_frame_state();
    shell::nfo_state = shell::NfoScreenState{};
    folder.write("zarn.dat", "ZARNSTART\na\nENDPART\nb\nZARNEND\n");
    folder.write("3d-obj.3d", test_support::torus_object_text(40, 15, 8, 6));
  }
  void write_nfo(bool passing) {
    const std::string text = "ZARN release info\r\n";
    auto nfo = shell::sign_nfo({text.begin(), text.end()});
    if (!passing) nfo[0] = 'z';
    folder.write("ZARN.NFO", nfo);
  }
  // Runs 60 frames, 100 ms apart, and returns the mode after each.
  std::vector<std::int32_t> run_frames() {
    std::vector<std::int32_t> modes;
    platform::headless::set_frame_step_ms(frame_step_ms);
    platform::headless::set_present_hook([&](const std::uint16_t*, std::uint64_t number) {
      modes.push_back(shell::frame_state.run_mode);
      return number + 1 < 60;
    });
    shell::run_program();
    return modes;
  }
  // Index of the first frame after which the mode was `mode`, or -1.
  static int first_frame_in(const std::vector<std::int32_t>& modes, std::int32_t mode) {
    const auto at = std::find(modes.begin(), modes.end(), mode);
    return at == modes.end() ? -1 : static_cast<int>(at - modes.begin());
  }
  test_support::WorkingFolder folder;
};

TEST_F(NfoScreenTest, KeysCountOnlyAfterThreeSecondsAndOnlyTheVerdictsKey) {
  struct Case {
    const char* what;
    int nfo;  // 0 none, 1 passing, 2 failing
    std::uint8_t key;
    std::int32_t mode_after;
    int first_frame;  // -1: the mode never changes
  };
  // Frame k is drawn at k * 100 ms; the verdict shows once more than 3000 ms have passed: frame 31.
  const Case cases[] = {
      {"space held from the start under a passing check", 1, shell::key_space, shell::run_mode_intro, 31},
      {"Escape under a passing check does nothing", 1, shell::key_escape, shell::run_mode_end, -1},
      {"Escape without an NFO file ends", 0, shell::key_escape, shell::run_mode_end, 31},
      {"space without an NFO file does nothing", 0, shell::key_space, shell::run_mode_intro, -1},
      {"Escape under a failed check ends", 2, shell::key_escape, shell::run_mode_end, 31},
      {"space under a failed check does nothing", 2, shell::key_space, shell::run_mode_intro, -1},
  };
  for (const Case& c : cases) {
    SetUp();
    std::filesystem::remove("ZARN.NFO");
    if (c.nfo != 0) write_nfo(c.nfo == 1);
    platform::headless::script_key(0, c.key, true);
    const auto modes = run_frames();
    EXPECT_EQ(first_frame_in(modes, c.mode_after), c.first_frame) << c.what;
    EXPECT_EQ(shell::nfo_state.verdict, c.nfo) << c.what;
  }
}

// A tap is a key that goes down and up between two frames: the window saw it, no frame saw it held.
TEST_F(NfoScreenTest, TapBetweenFramesCountsOnceInTheNextFrame) {
  struct Case {
    const char* what;
    std::uint32_t tap_ms;
    int first_intro_frame;  // -1: the intro never starts
  };
  // Frame k is drawn at k * 100 ms; its present moves the clock on and delivers the keys due by then.
  const Case cases[] = {
      {"a tap under the verdict goes on", 3550, 36},
      {"a tap before the verdict is seen by one frame and forgotten", 1050, -1},
  };
  for (const Case& c : cases) {
    SetUp();
    write_nfo(true);
    platform::headless::script_key(c.tap_ms, shell::key_space, true);
    platform::headless::script_key(c.tap_ms, shell::key_space, false);
    EXPECT_EQ(first_frame_in(run_frames(), shell::run_mode_intro), c.first_intro_frame) << c.what;
  }
}

TEST_F(NfoScreenTest, CheckRunsOnceInTheFirstFrame) {
  write_nfo(true);
  platform::headless::set_present_hook([&](const std::uint16_t*, std::uint64_t number) {
    if (number == 0) {
      EXPECT_FALSE(shell::nfo_state.check_pending);
      std::filesystem::remove("ZARN.NFO");  // removing the file later changes nothing
    }
    return number < 40;
  });
  platform::headless::set_frame_step_ms(frame_step_ms);
  shell::run_program();
  EXPECT_EQ(shell::nfo_state.verdict, shell::nfo_verdict_passed);
}

TEST(VerdictText, LinesOfEachVerdict) {
  EXPECT_STREQ(shell::verdict_text(shell::nfo_verdict_missing).verdict, "Unable to locate any ZARN NFO file!");
  EXPECT_STREQ(shell::verdict_text(shell::nfo_verdict_passed).release, "This release is an official ZARN release!");
  EXPECT_STREQ(shell::verdict_text(shell::nfo_verdict_passed).key_hint, "Press -SPACE- to continue!");
  EXPECT_STREQ(shell::verdict_text(shell::nfo_verdict_failed).verdict, "CRC Check failed!");
  EXPECT_STREQ(shell::verdict_text(shell::nfo_verdict_failed).key_hint, "Press -ESCAPE- to continue!");
  EXPECT_STREQ(shell::verdict_text(shell::nfo_verdict_missing).key_hint, "Press -ESCAPE- to exit!");
}

}  // namespace
