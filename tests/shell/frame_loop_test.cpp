// The program's life cycle on the headless platform: start-up, screens by run_mode, the ways it ends.
#include <gtest/gtest.h>

#include <vector>

#include "music/sound_system.h"
#include "platform/headless/headless.h"
#include "shell/frame_state.h"
#include "shell/nfo_check.h"
#include "shell/nfo_screen.h"
#include "shell/startup.h"
#include "support/temp_dir.h"
#include "support/xm_fixture.h"

namespace {

class LifeCycleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::headless::reset();
    shell::reset_frame_state();
    shell::nfo_state = shell::NfoScreenState{};
    folder.write("zarn.dat", "ZARNSTART\ntop line\nENDPART\nbottom line\nZARNEND\n");
    const std::string nfo = "release information\r\n";
    folder.write("ZARN.NFO", shell::sign_nfo({nfo.begin(), nfo.end()}));
  }
  // Runs the program, noting the mode each presented frame was drawn in.
  int run(std::uint32_t frame_step_ms = 10) {
    platform::headless::set_frame_step_ms(frame_step_ms);
    platform::headless::set_present_hook([this](const std::uint16_t*, std::uint64_t number) {
      modes.push_back(shell::run_mode);
      return number < 100000;  // a runaway loop ends the test instead of hanging it
    });
    return shell::run_program();
  }
  test_support::WorkingFolder folder;
  std::vector<std::int32_t> modes;
};

TEST_F(LifeCycleTest, SpaceGoesOnToTheIntroAndEscapeEndsTheProgram) {
  platform::headless::script_key(3500, 0x20, true);
  platform::headless::script_key(3600, 0x20, false);
  platform::headless::script_key(4000, 0x1B, true);
  EXPECT_EQ(run(), 0);

  ASSERT_FALSE(modes.empty());
  EXPECT_EQ(modes.front(), shell::run_mode_nfo);
  EXPECT_NE(std::find(modes.begin(), modes.end(), shell::run_mode_intro), modes.end());
  EXPECT_EQ(modes.back(), shell::run_mode_end);  // the frame that saw Escape is still presented
  EXPECT_EQ(shell::frame_buffer, nullptr);        // the normal end frees the frame buffer
  EXPECT_EQ(shell::running, 0);
  EXPECT_FALSE(platform::headless::window_open());
}

TEST_F(LifeCycleTest, ClosingTheWindowEndsWithoutTheNormalCleanUp) {
  platform::headless::script_close(500);
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(modes.size(), 50u);  // frames at 0, 10, ... 490 ms; the close comes with the 50th
  EXPECT_NE(shell::frame_buffer, nullptr);
  EXPECT_EQ(shell::running, 0);
  EXPECT_FALSE(platform::headless::window_open());
}

TEST_F(LifeCycleTest, LostDisplayEndsTheLoop) {
  platform::headless::set_frame_step_ms(10);
  platform::headless::set_present_hook([](const std::uint16_t*, std::uint64_t number) { return number < 5; });
  EXPECT_EQ(shell::run_program(), 0);
  EXPECT_EQ(platform::headless::presented_count(), 6u);
  EXPECT_EQ(shell::running, 0);
}

TEST_F(LifeCycleTest, MissingScriptEndsStartUpBeforeTheWindow) {
  std::filesystem::remove("zarn.dat");
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(platform::headless::shown_messages(),
            std::vector<std::string>{"ZARN: Can't find data file zarn.dat"});
  EXPECT_EQ(platform::headless::presented_count(), 0u);
  EXPECT_FALSE(platform::headless::window_open());
}

TEST_F(LifeCycleTest, NoSoundOutputEndsStartUpWithItsMessageBeforeAnyPicture) {
  platform::headless::set_wave_available(false);
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(platform::headless::shown_messages(),
            std::vector<std::string>{"]-ZARN-[: Can't initialize SoundSystem"});
  EXPECT_EQ(platform::headless::presented_count(), 0u);
  EXPECT_FALSE(platform::headless::window_open());
}

TEST_F(LifeCycleTest, MusicStartsWithTheIntroAndTheNormalEndClosesTheSound) {
  folder.write("music.xm", music::write_xm(test_support::small_song()));
  platform::headless::script_key(3500, 0x20, true);
  platform::headless::script_key(3600, 0x20, false);
  platform::headless::script_key(4000, 0x1B, true);
  std::vector<std::pair<std::int32_t, bool>> music_by_mode;  // per frame: the mode and whether music plays
  platform::headless::set_frame_step_ms(10);
  platform::headless::set_present_hook([&](const std::uint16_t*, std::uint64_t) {
    const music::Module* module = music::sound_system.music_module.get();
    music_by_mode.emplace_back(shell::run_mode, module && module->playing);
    return true;
  });
  EXPECT_EQ(shell::run_program(), 0);
  ASSERT_NE(music::sound_system.music_module, nullptr);
  // A frame notes the mode its screen left behind: the music plays from the frame after the one that
  // chose the intro, up to the last one shown.
  ASSERT_FALSE(music_by_mode.empty());
  EXPECT_FALSE(music_by_mode.front().second);
  for (std::size_t i = 1; i < music_by_mode.size(); ++i) {
    EXPECT_EQ(music_by_mode[i].second, music_by_mode[i - 1].first == shell::run_mode_intro) << "frame " << i;
  }
  EXPECT_EQ(music_by_mode.back().first, shell::run_mode_end);
  EXPECT_FALSE(music::sound_system.open);
  EXPECT_FALSE(platform::headless::wave_is_open());
}

TEST_F(LifeCycleTest, ElapsedTimeRunsOnThroughTheTickCountWrap) {
  platform::headless::set_clock_ms(0xFFFFFF00u);
  std::vector<std::uint32_t> elapsed;
  platform::headless::set_frame_step_ms(16);
  platform::headless::set_present_hook([&](const std::uint16_t*, std::uint64_t number) {
    elapsed.push_back(shell::elapsed_ms());
    return number < 40;  // 40 x 16 ms carries the clock past 2^32
  });
  shell::run_program();
  ASSERT_EQ(elapsed.size(), 41u);
  for (std::size_t i = 0; i < elapsed.size(); ++i) EXPECT_EQ(elapsed[i], 16u * i);
}

TEST(ElapsedMs, IsUnsignedDifferenceOfTicks) {
  platform::headless::reset();
  shell::start_tick = 0xFFFFFFF0u;
  platform::headless::set_clock_ms(0x10);
  EXPECT_EQ(shell::elapsed_ms(), 0x20u);
}

}  // namespace
