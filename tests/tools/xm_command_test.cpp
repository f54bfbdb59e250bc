// zarn-tool xm trace and render: the line trace prints for each tick, the WAV file render writes, and
// the exit codes.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <thread>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <sstream>
#include <thread>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "support/tool_run.h"
#include "support/replay_fixture.h"
#include "support/temp_dir.h"
#include "support/xm_fixture.h"
#include "tools/files/file_bytes.h"
#include "tools/cli/tool_command.h"
#include "tools/xm/xm_command.h"
#include "tools/xm/xm_play.h"
#include "music/effects.h"
#include "music/sound_system.h"
#if ZARN_TEST_SOUND_CARD_SDL
#include "platform/sdl/sdl_audio_device.h"
#endif

namespace {

class XmTool : public ::testing::Test {
 protected:
  int run(std::vector<std::string> args) {
    return test_support::run_tool(tools::xm_command, std::move(args));
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

// The names a musician knows the module by, made readable: other bytes show as '?', padding is left out.
TEST_F(XmTool, InfoShowsTheNamesOfModuleInstrumentsAndSamples) {
  music::XmSong song = test_support::small_song();
  song.name = "Song\x01name   ";
  song.instruments[0].name = "lead";
  song.instruments[0].samples[0].name = "saw \xE9";
  folder.write("song.xm", music::write_xm(song));
  ::testing::internal::CaptureStdout();
  ASSERT_EQ(run({"info", "song.xm"}), tools::exit_ok);
  const std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("name:          Song?name\n"), std::string::npos) << out;
  EXPECT_NE(out.find("instrument 1 \"lead\": 2 samples"), std::string::npos) << out;
  EXPECT_NE(out.find("sample 0 \"saw ?\": 40 frames"), std::string::npos) << out;
  EXPECT_NE(out.find("instrument 2 \"\": 0 samples"), std::string::npos) << out;
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

// The WAV goes where the path leads: through a symlink to its target, into a FIFO as a stream whose
// header says "until the end"; a directory is refused and stays as it was.
TEST_F(XmTool, RenderWritesThroughLinksAndIntoFifosAndRefusesADirectory) {
  namespace fs = std::filesystem;
  folder.write("song.xm", music::write_xm(test_support::small_song()));
  constexpr std::size_t header = 44;
  constexpr std::size_t half_second = 22050u * 4;

  fs::create_symlink("target.wav", "link.wav");
  ASSERT_EQ(run({"render", "song.xm", "link.wav", "--seconds", "0.5"}), tools::exit_ok);
  EXPECT_TRUE(fs::is_symlink("link.wav"));
  const auto through_link = tools::read_file_bytes("target.wav");
  ASSERT_TRUE(through_link);
  EXPECT_EQ(through_link->size(), header + half_second);

  ASSERT_EQ(mkfifo("stream.wav", 0600), 0);
  std::vector<std::uint8_t> streamed;
  std::thread reader([&] { streamed = tools::read_file_bytes("stream.wav").value_or(std::vector<std::uint8_t>{}); });
  EXPECT_EQ(run({"render", "song.xm", "stream.wav", "--seconds", "0.5"}), tools::exit_ok);
  reader.join();
  ASSERT_EQ(streamed.size(), header + half_second);
  EXPECT_TRUE(std::equal(streamed.begin() + header, streamed.end(), through_link->begin() + header));
  const auto data_size = static_cast<std::uint32_t>(streamed[40] | streamed[41] << 8 | streamed[42] << 16) |
                         static_cast<std::uint32_t>(streamed[43]) << 24;
  EXPECT_EQ(data_size, 0xFFFFFFFFu - 36)
      << "a stream cannot be rewound to its header: its data size says until the end";
  EXPECT_EQ(fs::status("stream.wav").type(), fs::file_type::fifo);

  fs::create_directory("folder.wav");
  EXPECT_EQ(run({"render", "song.xm", "folder.wav", "--seconds", "0.5"}), tools::exit_failure);
  EXPECT_TRUE(fs::is_empty("folder.wav"));
}

// Without --seconds a render plays the song once: up to where it comes back to an order position it has
// played (through the restart position or a jump), or runs off the end of its order table; --loops N
// plays N passes, --seconds caps them. One row is 6 ticks of 882 frames here.
TEST_F(XmTool, RenderPlaysOnePassOfTheSongOrAsManyAsAsked) {
  constexpr std::size_t row_frames = 6 * 882;
  const auto song_of = [](std::vector<std::uint8_t> orders, std::uint16_t restart, bool jump_back_to_1) {
    music::XmSong song = test_support::song_with(1, 4, {{0, 0, {test_support::c4, 1, 0, 0, 0}}});
    music::XmPattern jumping = song.patterns[0];
    jumping.cells[3] = {0, 0, 0, music::effect_position_jump, 1};  // B01 on the last row
    song.patterns.push_back(jumping);
    if (jump_back_to_1) orders.back() = 1;
    song.orders = orders;
    song.restart_position = restart;
    return song;
  };
  struct Case {
    const char* what;
    music::XmSong song;
    std::vector<std::string> options;
    std::size_t rows;
  };
  const Case cases[] = {
      {"to the end of the orders", song_of({0, 0, 0}, 0, false), {}, 12},
      {"to the end, restart inside", song_of({0, 0, 0}, 2, false), {}, 12},
      {"a jump back", song_of({0, 0, 0}, 0, true), {}, 12},
      {"two passes, restart inside", song_of({0, 0, 0}, 2, false), {"--loops", "2"}, 12 + 4},
      {"three passes of a jump back", song_of({0, 0, 0}, 0, true), {"--loops", "3"}, 12 + 8 + 8},
      {"capped", song_of({0, 0, 0}, 0, false), {"--seconds", "0.1", "--loops", "5"}, 0},
  };
  for (const Case& c : cases) {
    folder.write("song.xm", music::write_xm(c.song));
    std::vector<std::string> args = {"render", "song.xm", "out.wav"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    ASSERT_EQ(run(args), tools::exit_ok) << c.what;
    const auto wav = tools::read_file_bytes("out.wav");
    ASSERT_TRUE(wav) << c.what;
    const std::size_t frames = c.rows != 0 ? c.rows * row_frames : 4410;
    EXPECT_EQ(wav->size(), 44 + frames * 4) << c.what;
  }
}

// The header's speed and tempo as stored, to their extremes: every pass ends, however short or long its
// ticks. Four rows; frames per tick = 5 x 44100 / (2 x BPM).
TEST_F(XmTool, RenderEndsAtEverySpeedAndTempo) {
  const struct {
    std::uint16_t speed, bpm;
    std::size_t frames;
  } cases[] = {
      {0, 125, 4 * 882},          // a row on every tick
      {1, 65535, 4 * 1},          // one frame a tick
      {31, 1, 44100},             // 110250 frames a tick: the one second asked for ends first
      {6, 0, 44100},              // a tempo of 0 plays as 1
  };
  for (const auto& c : cases) {
    music::XmSong song = test_support::song_with(1, 4, {{0, 0, {test_support::c4, 1, 0, 0, 0}}});
    song.default_speed = c.speed;
    song.default_bpm = c.bpm;
    folder.write("song.xm", music::write_xm(song));
    ASSERT_EQ(run({"render", "song.xm", "out.wav", "--seconds", "1"}), tools::exit_ok) << c.speed << " " << c.bpm;
    const auto wav = tools::read_file_bytes("out.wav");
    ASSERT_TRUE(wav);
    EXPECT_EQ(wav->size(), 44 + c.frames * 4) << c.speed << " " << c.bpm;
  }
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
  ASSERT_EQ(run({"render", "ping-pong.xm", "out.wav", "--loops", "10", "--seconds", "2"}), tools::exit_ok);
  const auto wav = tools::read_file_bytes("out.wav");
  ASSERT_TRUE(wav);
  EXPECT_EQ(wav->size(), 44u + 88200u * 4);
}

#if ZARN_TEST_SOUND_CARD_SDL
// xm play through SDL's dummy audio driver, which takes the sound at the card's pace and plays it
// nowhere: one pass and out, for ever until Ctrl-C, and no card at all.
class XmPlay : public XmTool {
 protected:
  void SetUp() override {
    folder.write("song.xm", music::write_xm(test_support::song_with(1, 4, {{0, 0, {test_support::c4, 1, 0, 0, 0}}})));
    tools::set_sound_card([] { return &platform::sdl::sdl_audio_device(); });
  }
  void TearDown() override {
    tools::set_sound_card(nullptr);
    unsetenv("SDL_AUDIODRIVER");
  }
  // Afterwards the wave thread has joined and the device is closed.
  static void expect_all_closed() {
    EXPECT_FALSE(music::sound_system.open);
    EXPECT_FALSE(music::sound_system.thread.joinable());
    EXPECT_TRUE(music::sound_system.thread_done);
  }
};

TEST_F(XmPlay, PlaysOnePassAndEnds) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(run({"play", "song.xm"}), tools::exit_ok);
  const std::string status = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(status.find("order   0  pattern   0  row   3  speed  6  125 BPM"), std::string::npos) << status;
  expect_all_closed();
}

TEST_F(XmPlay, CtrlCStopsPlayingForEver) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  std::thread user([] {
    // Once the wave thread has filled blocks for a while the module plays and the handler is in place.
    while (music::sound_system.blocks_filled.load() < 30) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::raise(SIGINT);
  });
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(run({"play", "song.xm", "--loop"}), tools::exit_ok);
  ::testing::internal::GetCapturedStderr();
  user.join();
  expect_all_closed();
}

TEST_F(XmPlay, WithoutASoundDeviceSaysSoInOneLine) {
  for (const bool card : {true, false}) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    if (!card) tools::set_sound_card(nullptr);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(run({"play", "song.xm"}), tools::exit_failure);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("zarn-tool xm: no sound device to play on\n"), std::string::npos) << said;
    expect_all_closed();
  }
}
#endif

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
      {{"render", "song.xm", "out.wav", "--loops", "0"}, tools::exit_usage},
      {{"render", "song.xm", "out.wav", "--loops", "2", "--seconds"}, tools::exit_usage},
      {{"render", "song.xm", "out.wav", "--frobnicate", "2"}, tools::exit_usage},
      {{"play"}, tools::exit_usage},
      {{"play", "song.xm", "--frobnicate"}, tools::exit_usage},
      {{"play", "junk.xm"}, tools::exit_failure},
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
