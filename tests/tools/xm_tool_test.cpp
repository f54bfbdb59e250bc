// zarn-tool xm trace and render: the line trace prints for each tick, the WAV file render writes, and
// the exit codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "support/replay_fixture.h"
#include "support/temp_dir.h"
#include "support/xm_fixture.h"
#include "tools/file_bytes.h"
#include "tools/tool_command.h"
#include "tools/xm.h"

namespace {

class XmTool : public ::testing::Test {
 protected:
  int run(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    return tools::xm_main(static_cast<int>(argv.size()), argv.data());
  }
  test_support::WorkingFolder folder;
};

TEST_F(XmTool, TracePrintsEachTick) {
  music::XmSong song = test_support::song_with(2, 2, {{0, 0, {test_support::c4, 1, 0, 0, 0}}});
  song.default_speed = 2;
  folder.write("song.xm", music::write_xm(song));
  ::testing::internal::CaptureStdout();
  ASSERT_EQ(run({"trace", "song.xm", "--ticks", "3"}), tools::exit_ok);
  std::istringstream out(::testing::internal::GetCapturedStdout());
  std::vector<std::string> lines;
  for (std::string line; std::getline(out, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 4u);  // a heading and three ticks
  // Order, row, tick, speed, BPM; then note, period, volume, panning, Hz, left and right per channel.
  EXPECT_EQ(lines[1], "  0   0   0   2 125 | C-4  4608 64 128   8363  63  63 | C-0     0  0   0      0   0   0");
  EXPECT_EQ(lines[3].substr(0, 19), "  0   1   0   2 125");
}

TEST_F(XmTool, RenderWritesTheSameWavFileEveryTime) {
  folder.write("song.xm", music::write_xm(test_support::small_song()));
  ASSERT_EQ(run({"render", "song.xm", "first.wav", "--seconds", "0.5"}), tools::exit_ok);
  ASSERT_EQ(run({"render", "song.xm", "second.wav", "--seconds", "0.5"}), tools::exit_ok);
  const auto first = tools::read_file_bytes("first.wav");
  const auto second = tools::read_file_bytes("second.wav");
  ASSERT_TRUE(first && second);
  constexpr std::size_t header = 44;
  ASSERT_EQ(first->size(), header + 22050u * 4);  // half a second of 16-bit stereo at 44100 Hz
  EXPECT_EQ(std::string(first->begin(), first->begin() + 4), "RIFF");
  EXPECT_EQ(std::string(first->begin() + 8, first->begin() + 16), "WAVEfmt ");
  EXPECT_EQ(*first, *second);
  EXPECT_NE(std::count(first->begin() + header, first->end(), 0), static_cast<std::ptrdiff_t>(first->size() - header));
  EXPECT_FALSE(platform::headless::wave_is_open());
}

// A voice running backward through a ping-pong loop from frame 0 lands exactly on that frame at E-4
// with finetune 10; it once kept its direction there and held the block fill for ever.
TEST_F(XmTool, RenderFinishesOnAPingPongLoopFromFrameZero) {
  music::XmSong song = test_support::song_with(1, 4, {{0, 0, {test_support::c4 + 4, 1, 0, 0, 0}}});
  music::XmSample sample = test_support::ramp_sample(3);
  sample.loop_bits = music::xm_loop_ping_pong;
  sample.loop_start = 0;
  sample.loop_length = 3;
  sample.finetune = 10;
  song.instruments = {test_support::instrument_with({sample})};
  folder.write("ping-pong.xm", music::write_xm(song));
  ASSERT_EQ(run({"render", "ping-pong.xm", "out.wav", "--seconds", "2"}), tools::exit_ok);
  const auto wav = tools::read_file_bytes("out.wav");
  ASSERT_TRUE(wav);
  EXPECT_EQ(wav->size(), 44u + 88200u * 4);
}

TEST_F(XmTool, ExitCodes) {
  folder.write("song.xm", music::write_xm(test_support::song_with(1, 1, {})));
  folder.write("junk.xm", "not a module");
  struct Case {
    std::vector<std::string> args;
    int exit_code;
  };
  const Case cases[] = {
      {{}, tools::exit_usage},
      {{"trace"}, tools::exit_usage},
      {{"trace", "song.xm", "--ticks"}, tools::exit_usage},
      {{"trace", "song.xm", "--ticks", "0"}, tools::exit_usage},
      {{"trace", "song.xm", "--ticks", "5x"}, tools::exit_usage},
      {{"trace", "song.xm", "--ticks", "1"}, tools::exit_ok},
      {{"trace", "junk.xm"}, tools::exit_failure},
      {{"trace", "missing.xm"}, tools::exit_failure},
      {{"render", "song.xm"}, tools::exit_usage},
      {{"render", "song.xm", "out.wav", "--seconds"}, tools::exit_usage},
      {{"render", "song.xm", "out.wav", "--seconds", "0"}, tools::exit_usage},
      {{"render", "song.xm", "out.wav", "--seconds", "1s"}, tools::exit_usage},
      {{"render", "song.xm", "out.wav", "--seconds", "0.1"}, tools::exit_ok},
      {{"render", "junk.xm", "out.wav"}, tools::exit_failure},
      {{"render", "song.xm", "no-such-folder/out.wav", "--seconds", "0.1"}, tools::exit_failure},
  };
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& a : c.args) line += a + " ";
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(run(c.args), c.exit_code) << line;
    ::testing::internal::GetCapturedStdout();
  }
}

}  // namespace
