// zarn-tool preview: the whole program on the headless platform, its pictures, its sheet and the music of
// the same span.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "music/offline_render.h"
#include "music/sound_system.h"
#include "platform/headless/headless.h"
#include "shell/frame_state.h"
#include "shell/nfo_screen.h"
#include "support/tool_run.h"
#include "support/small_release.h"
#include "support/temp_dir.h"
#include "support/wav_samples.h"
#include "tools/files/file_bytes.h"
#include "tools/capture/preview_command.h"
#include "tools/cli/tool_command.h"
#include "tools/xm/xm_command.h"

namespace {

namespace fs = std::filesystem;

class PreviewTool : public ::testing::Test {
 protected:
  void SetUp() override {
    shell::reset_frame_state();
    shell::nfo_state = shell::NfoScreenState{};
    test_support::write_small_release(folder);
  }
  int run(std::vector<std::string> args) {
    return test_support::run_tool(tools::preview_command, std::move(args));
  }
  test_support::WorkingFolder folder;
};

TEST_F(PreviewTool, WritesFramesSheetAndTheMusicInStepWithTheClock) {
  const fs::path out = folder.path() / "out";
  ASSERT_EQ(run({"--assets", folder.path().string(), "--out", out.string(), "--seconds", "5", "--every", "50"}),
            tools::exit_ok);
  for (const char* name : {"frame-00000.png", "frame-00050.png", "frame-00200.png", "sheet.png", "music.wav"}) {
    EXPECT_TRUE(fs::is_regular_file(out / name)) << name;
  }
  EXPECT_FALSE(fs::exists(out / "frame-00250.png"));  // 5 s at 50 frames a second are frames 0 … 249

  // 5 s of 44100 Hz stereo: silent on the NFO screen, the song from the intro's first frame after the
  // press of space at 3.5 s.
  const std::vector<std::int16_t> samples = test_support::wav_samples(out / "music.wav");
  ASSERT_EQ(samples.size(), 5u * 44100 * 2);
  const auto loudest = [&](double from_s, double to_s) {
    int peak = 0;
    for (auto i = static_cast<std::size_t>(from_s * 44100) * 2; i < static_cast<std::size_t>(to_s * 44100) * 2; ++i) {
      peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
    }
    return peak;
  };
  EXPECT_EQ(loudest(0, 3.5), 0);
  EXPECT_GT(loudest(3.6, 5), 100);
}

// The first `frames` frames of the module in a sound system of its own, opened afresh on the headless
// device, as nothing else in the process has touched it.
std::vector<std::int16_t> render_in_a_fresh_system(const std::vector<std::uint8_t>& module_file, std::size_t frames) {
  const test_support::LoadedModule load = test_support::load_bytes(module_file);
  EXPECT_TRUE(load.module);
  if (!load.module) return {};
  platform::headless::reset();
  music::SoundSystem fresh;
  std::vector<std::int16_t> out;
  EXPECT_TRUE(music::sound_start_with(nullptr, music::intro_mix_rate, fresh));
  EXPECT_TRUE(music::start_module(load.module.get(), fresh));
  while (out.size() < 2 * frames && music::render_blocks(1, out, {}, fresh)) {
  }
  music::stop_module(load.module.get(), fresh);
  out.resize(2 * frames);
  return out;
}

// A whole run of the program leaves nothing in the process that a module started afterwards would hear:
// its music ends with the run, and the next module renders to the bytes of a fresh sound system.
TEST_F(PreviewTool, AModuleRenderedAfterAWholeRunSoundsAsInAFreshSoundSystem) {
  const std::vector<std::uint8_t> song = music::write_xm(test_support::small_song());
  folder.write("song.xm", song);
  constexpr std::size_t frames = 2 * 44100;
  const std::vector<std::int16_t> fresh = render_in_a_fresh_system(song, frames);

  // Into the intro at 3.5 s; the run ends with the music playing, as preview's runs do.
  ASSERT_EQ(run({"--assets", folder.path().string(), "--out", (folder.path() / "out").string(), "--seconds", "5"}),
            tools::exit_ok);
  EXPECT_GT(test_support::wav_samples(folder.path() / "out" / "music.wav").size(), 0u);
  ASSERT_NE(music::sound_system.music_module, nullptr);
  EXPECT_FALSE(music::sound_system.music_module->playing);

  std::vector<std::string> args = {"render", (folder.path() / "song.xm").string(),
                                    (folder.path() / "after.wav").string(), "--seconds", "2", "--loops", "3"};
  ASSERT_EQ(test_support::run_tool(tools::xm_command, std::move(args)), tools::exit_ok);
  EXPECT_EQ(test_support::wav_samples(folder.path() / "after.wav"), fresh);
}

TEST_F(PreviewTool, RefusesNumbersThatAreNotWhatTheOptionTakes) {
  const std::vector<std::string> cases[] = {
      {"--seconds", "nan"}, {"--seconds", "inf"}, {"--seconds", "1x"},   {"--seconds", "0"},
      {"--seconds", "-2"},  {"--every", "3x"},    {"--every", "0"},      {"--every", "99999999999"},
      {"--seconds", " 1"}, {"--seconds", "+1"}, {"--seconds", "1e3"}, {"--every", "+3"},
      {"--press", "x:space"}, {"--press", "100:enter"}, {"--press", " 5:space"}, {"--seconds"},
  };
  for (const auto& args : cases) EXPECT_EQ(run(args), tools::exit_usage) << args[0] << " " << args.back();
}

}  // namespace
