// zarn-tool preview: the whole program on the headless platform, its pictures, its sheet and the music of
// the same span.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/frame_state.h"
#include "shell/nfo_screen.h"
#include "support/small_release.h"
#include "support/temp_dir.h"
#include "support/wav_samples.h"
#include "tools/file_bytes.h"
#include "tools/preview.h"
#include "tools/tool_command.h"

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
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    return tools::preview_main(static_cast<int>(argv.size()), argv.data());
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
