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
#include "support/torus_mesh.h"
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
    folder.write("3d-obj.3d", test_support::torus_object_text(40, 15, 8, 6));
  }
  // Runs the program, noting the mode each presented frame was drawn in.
  int run(std::uint32_t frame_step_ms = 10) {
    platform::headless::set_frame_step_ms(frame_step_ms);
    platform::headless::set_present_hook([this](const std::uint16_t*, std::uint64_t number) {
      modes.push_back(shell::frame_state.run_mode);
      return number < 100000;  // a runaway loop ends the test instead of hanging it
    });
    return shell::run_program();
  }
  test_support::WorkingFolder folder;
  std::vector<std::int32_t> modes;
};

// The folder holds no bitmap at all: every screen draws what it can without its pictures.
TEST_F(LifeCycleTest, SpaceGoesOnToTheIntroAndEscapeEndsTheProgram) {
  platform::headless::script_key(3500, shell::key_space, true);
  platform::headless::script_key(3600, shell::key_space, false);
  platform::headless::script_key(4000, shell::key_escape, true);
  EXPECT_EQ(run(), shell::normal_end_exit);

  ASSERT_FALSE(modes.empty());
  EXPECT_EQ(modes.front(), shell::run_mode_nfo);
  EXPECT_NE(std::find(modes.begin(), modes.end(), shell::run_mode_intro), modes.end());
  EXPECT_EQ(modes.back(), shell::run_mode_end);  // the frame that saw Escape is still presented
  EXPECT_EQ(shell::frame_state.frame_buffer, nullptr);        // the normal end frees the frame buffer
  EXPECT_EQ(shell::frame_state.running, 0);
  EXPECT_FALSE(platform::headless::window_open());
}

TEST_F(LifeCycleTest, ClosingTheWindowEndsWithoutTheNormalCleanUp) {
  platform::headless::script_close(500);
  EXPECT_EQ(run(), shell::normal_end_exit);
  EXPECT_EQ(modes.size(), 50u);  // frames at 0, 10, ... 490 ms; the close comes with the 50th
  EXPECT_NE(shell::frame_state.frame_buffer, nullptr);
  EXPECT_EQ(shell::frame_state.running, 0);
  EXPECT_FALSE(platform::headless::window_open());
}

TEST_F(LifeCycleTest, LostDisplayEndsTheLoop) {
  platform::headless::set_frame_step_ms(10);
  platform::headless::set_present_hook([](const std::uint16_t*, std::uint64_t number) { return number < 5; });
  EXPECT_EQ(shell::run_program(), shell::normal_end_exit);
  EXPECT_EQ(platform::headless::presented_count(), 6u);
  EXPECT_EQ(shell::frame_state.running, 0);
}

TEST_F(LifeCycleTest, MissingScriptEndsStartUpBeforeTheWindow) {
  std::filesystem::remove("zarn.dat");
  EXPECT_EQ(run(), shell::start_up_failure_exit);
  EXPECT_EQ(platform::headless::shown_messages(),
            std::vector<std::string>{"ZARN: Can't find data file zarn.dat"});
  EXPECT_EQ(platform::headless::presented_count(), 0u);
  EXPECT_FALSE(platform::headless::window_open());
}

TEST_F(LifeCycleTest, NoSoundOutputEndsStartUpWithItsMessageBeforeAnyPicture) {
  platform::headless::set_wave_available(false);
  EXPECT_EQ(run(), shell::start_up_failure_exit);
  EXPECT_EQ(platform::headless::shown_messages(),
            std::vector<std::string>{"]-ZARN-[: Can't initialize SoundSystem"});
  EXPECT_EQ(platform::headless::presented_count(), 0u);
  EXPECT_FALSE(platform::headless::window_open());
}

// A failed or missing NFO is the program doing its job: Escape on its verdict is a normal end.
TEST_F(LifeCycleTest, EscapeOnAVerdictThatStopsTheIntroIsANormalEnd) {
  struct Case {
    const char* what;
    const char* nfo_text;  // nullptr: no NFO at all
    shell::NfoVerdict verdict;
  };
  const Case cases[] = {
      {"unsigned", "release information\r\n", shell::nfo_verdict_failed},
      {"missing", nullptr, shell::nfo_verdict_missing},
  };
  for (const Case& c : cases) {
    SetUp();
    std::filesystem::remove("ZARN.NFO");
    if (c.nfo_text) folder.write("ZARN.NFO", c.nfo_text);
    platform::headless::script_key(shell::nfo_verdict_delay_ms + 500, shell::key_escape, true);
    EXPECT_EQ(run(), shell::normal_end_exit) << c.what;
    EXPECT_EQ(shell::nfo_state.verdict, c.verdict) << c.what;
    EXPECT_EQ(modes.back(), shell::run_mode_end) << c.what;
  }
}

TEST_F(LifeCycleTest, NoWindowEndsStartUpAsAFailure) {
  platform::headless::set_window_available(false);
  EXPECT_EQ(run(), shell::start_up_failure_exit);
  EXPECT_EQ(platform::headless::presented_count(), 0u);
  EXPECT_FALSE(platform::headless::window_open());
}

TEST_F(LifeCycleTest, MusicStartsWithTheIntroAndTheNormalEndClosesTheSound) {
  folder.write("music.xm", music::write_xm(test_support::small_song()));
  platform::headless::script_key(3500, shell::key_space, true);
  platform::headless::script_key(3600, shell::key_space, false);
  platform::headless::script_key(4000, shell::key_escape, true);
  std::vector<std::pair<std::int32_t, bool>> music_by_mode;  // per frame: the mode and whether music plays
  platform::headless::set_frame_step_ms(10);
  platform::headless::set_present_hook([&](const std::uint16_t*, std::uint64_t) {
    const music::Module* module = music::sound_system.music_module.get();
    music_by_mode.emplace_back(shell::frame_state.run_mode, module && module->playing);
    return true;
  });
  EXPECT_EQ(shell::run_program(), shell::normal_end_exit);
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

TEST_F(LifeCycleTest, QuickTapsOfSpaceAndEscapeReachTheScreens) {
  // Each key goes down and up within one frame's present: no frame ever sees it held.
  for (const std::uint8_t key : {shell::key_space, shell::key_escape}) {
    platform::headless::script_key(key == shell::key_space ? 3505 : 4005, key, true);
    platform::headless::script_key(key == shell::key_space ? 3505 : 4005, key, false);
  }
  EXPECT_EQ(run(), shell::normal_end_exit);
  EXPECT_NE(std::find(modes.begin(), modes.end(), shell::run_mode_intro), modes.end());
  EXPECT_EQ(modes.back(), shell::run_mode_end);
  EXPECT_EQ(shell::frame_state.frame_buffer, nullptr);  // the normal end, not a closed window
}

TEST_F(LifeCycleTest, ObjectFileThatCannotBeUsedEndsStartUpWithItsMessage) {
  struct Case {
    const char* what;
    const char* object_text;  // nullptr: no file
    const char* message;
  };
  const Case cases[] = {
      {"missing", nullptr, "ZARN: Can't find data file 3d-obj.3d"},
      {"malformed", "3 1\n0 0 0\n", "ZARN: Bad data file 3d-obj.3d"},
  };
  for (const Case& c : cases) {
    SetUp();
    std::filesystem::remove("3d-obj.3d");
    if (c.object_text) folder.write("3d-obj.3d", c.object_text);
    EXPECT_EQ(run(), shell::start_up_failure_exit) << c.what;
    EXPECT_EQ(platform::headless::shown_messages(), std::vector<std::string>{c.message}) << c.what;
    EXPECT_EQ(platform::headless::presented_count(), 0u) << c.what;
    EXPECT_FALSE(platform::headless::window_open()) << c.what;
  }
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
  shell::frame_state.start_tick = 0xFFFFFFF0u;
  platform::headless::set_clock_ms(0x10);
  EXPECT_EQ(shell::elapsed_ms(), 0x20u);
}

}  // namespace
