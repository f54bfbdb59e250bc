// zarn-tool record: the whole program captured on an exact clock as an MP4 file, read back with ffprobe
// and ffmpeg: its frame count and rate, its sound, a frame against the headless one of the same time, and
// its music against the song rendered alone.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/headless/headless.h"
#include "shell/frame_state.h"
#include "shell/nfo_screen.h"
#include "support/tool_run.h"
#include "support/small_release.h"
#include "support/temp_dir.h"
#include "tools/files/file_bytes.h"
#include "tools/capture/preview_command.h"
#include "tools/capture/record_command.h"
#include "tools/cli/tool_command.h"
#include "tools/xm/xm_command.h"

namespace {

namespace fs = std::filesystem;

// A command run on a fresh frame state, as a new process of the tool would start.
int run_fresh(const tools::Command& command, std::vector<std::string> args) {
  shell::reset_frame_state();
  shell::nfo_state = shell::NfoScreenState{};
  return test_support::run_tool(command, std::move(args));
}

// Everything a shell command wrote on its standard output.
std::string command_output(const std::string& command) {
  std::string out;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[65536];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
  pclose(pipe);
  return out;
}

// "key=value" lines of ffprobe about one stream of `file` ("v:0" or "a:0").
std::map<std::string, std::string> probe(const fs::path& file, const std::string& stream) {
  std::istringstream lines(command_output(
      "ffprobe -v error -count_frames -select_streams " + stream +
      " -show_entries stream=codec_name,width,height,r_frame_rate,nb_read_frames,duration,sample_rate,channels"
      " -of default=noprint_wrappers=1 '" + file.string() + "'"));
  std::map<std::string, std::string> fields;
  for (std::string line; std::getline(lines, line);) {
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos) fields[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return fields;
}

// 8-bit RGB pixels of frame `frame` of a picture or video, through ffmpeg, scaled to the frame's own size
// by averaging.
std::string rgb_of(const fs::path& file, int frame) {
  return command_output("ffmpeg -v error -i '" + file.string() + "' -vf 'select=eq(n\\," + std::to_string(frame) +
                        "),scale=640:480:flags=area' -fps_mode passthrough -frames:v 1 -f rawvideo -pix_fmt rgb24 -");
}

struct Area {
  int left, top, right, bottom;
};

// Peak signal to noise ratio in dB of two 640x480 RGB pictures within `area`.
double psnr(const std::string& a, const std::string& b, const Area& area) {
  double squares = 0;
  std::size_t count = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (std::size_t i = (y * 640 + area.left) * 3; i < static_cast<std::size_t>(y * 640 + area.right) * 3; ++i) {
      const double d = static_cast<unsigned char>(a[i]) - static_cast<unsigned char>(b[i]);
      squares += d * d;
      ++count;
    }
  }
  return 10 * std::log10(255.0 * 255.0 / (squares / static_cast<double>(count) + 1e-9));
}

// Left and right added, from interleaved 16-bit stereo.
std::vector<float> mono(const std::string& bytes) {
  std::vector<float> out(bytes.size() / 4);
  for (std::size_t i = 0; i < out.size(); ++i) {
    std::int16_t pair[2];
    std::memcpy(pair, bytes.data() + i * 4, 4);
    out[i] = static_cast<float>(pair[0]) + static_cast<float>(pair[1]);
  }
  return out;
}

// How alike `length` samples of `a` from `from` are to the start of `b`: 1 for the same shape.
double correlation(const std::vector<float>& a, std::size_t from, const std::vector<float>& b, std::size_t length) {
  double ab = 0, aa = 0, bb = 0;
  for (std::size_t i = 0; i < length; ++i) {
    ab += static_cast<double>(a[from + i]) * b[i];
    aa += static_cast<double>(a[from + i]) * a[from + i];
    bb += static_cast<double>(b[i]) * b[i];
  }
  return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

class RecordTool : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::write_small_release(folder);
    // The intro's own song: its opening is not periodic, so the music can be found at one place only.
    fs::copy_file(fs::path(ZARN_ASSET_DIR) / "music.xm", folder.path() / "music.xm",
                  fs::copy_options::overwrite_existing);
  }
  test_support::WorkingFolder folder;
};

// Space at 3.1 s, on the clocks of both 50 and 60 frames a second, starts the intro and its song.
constexpr int press_ms = 3100;

TEST_F(RecordTool, TwoSecondsAreExactlyTheirFramesAndTheirSound) {
  const fs::path video = folder.path() / "capture.mp4";
  ASSERT_EQ(run_fresh(tools::record_command, {video.string(), "--assets", folder.path().string(), "--seconds", "2",
                                          "--height", "240"}),
            tools::exit_ok);
  // 60 frames a second on a clock of whole milliseconds, the frame halved, the sound 44.1 kHz stereo.
  std::map<std::string, std::string> picture = probe(video, "v:0");
  std::map<std::string, std::string> sound = probe(video, "a:0");
  EXPECT_EQ(picture["codec_name"], "h264");
  EXPECT_EQ(picture["width"], "320");
  EXPECT_EQ(picture["height"], "240");
  EXPECT_EQ(picture["r_frame_rate"], "60/1");
  EXPECT_EQ(picture["nb_read_frames"], "120");
  EXPECT_EQ(sound["codec_name"], "aac");
  EXPECT_EQ(sound["sample_rate"], "44100");
  EXPECT_EQ(sound["channels"], "2");
  ASSERT_FALSE(picture["duration"].empty());
  ASSERT_FALSE(sound["duration"].empty());
  EXPECT_NEAR(std::stod(picture["duration"]), 2.0, 1e-6);
  EXPECT_NEAR(std::stod(sound["duration"]), std::stod(picture["duration"]), 1.0 / 60);
}

// At 50 frames a second the capture's frames are shown when the preview's are, 20 ms apart.
TEST_F(RecordTool, FramesAndMusicAreThoseOfTheHeadlessRunAtTheSameTime) {
  // The song from its start, as xm render makes it.
  const fs::path song = folder.path() / "song.wav";
  ASSERT_EQ(run_fresh(tools::xm_command, {"render", "music.xm", song.string(), "--seconds", "1"}), tools::exit_ok);
  const std::vector<std::uint8_t> song_bytes = tools::read_file_bytes(song.string()).value_or(std::vector<std::uint8_t>{});
  ASSERT_GT(song_bytes.size(), 44u);
  const std::vector<float> alone = mono(std::string(song_bytes.begin() + 44, song_bytes.end()));

  const fs::path video = folder.path() / "capture.mp4";
  ASSERT_EQ(run_fresh(tools::record_command, {video.string(), "--assets", folder.path().string(), "--seconds", "4",
                                          "--fps", "50", "--height", "960", "--press",
                                          std::to_string(press_ms) + ":space"}),
            tools::exit_ok);

  // Frame 195, shown at 3.9 s in the intro, is frame 195 of the preview but for the loss of the codec, and
  // unlike the frames beside it: the torus there turns with the clock. (The sparkles of its trail are
  // random, so they are left out.)
  constexpr Area torus{55, 80, 170, 145};
  const fs::path pictures = folder.path() / "preview";
  ASSERT_EQ(run_fresh(tools::preview_command, {"--assets", folder.path().string(), "--out", pictures.string(),
                                           "--seconds", "3.92", "--every", "195", "--press",
                                           std::to_string(press_ms) + ":space"}),
            tools::exit_ok);
  const std::string headless = rgb_of(pictures / "frame-00195.png", 0);
  ASSERT_EQ(headless.size(), 640u * 480 * 3);
  const std::string same_time = rgb_of(video, 195);
  ASSERT_EQ(same_time.size(), headless.size());
  const double matching = psnr(same_time, headless, torus);
  EXPECT_GT(matching, 32.0);
  for (int beside : {194, 196}) EXPECT_LT(psnr(rgb_of(video, beside), headless, torus), matching - 3) << beside;

  // The song is found in the capture where space started it, within a block of the sound system.
  const std::vector<float> captured = mono(command_output(
      "ffmpeg -v error -i '" + video.string() + "' -map 0:a -f s16le -ac 2 -ar 44100 -"));
  ASSERT_GE(captured.size(), 4u * 44100 - 1024);
  constexpr std::size_t span = 44100 / 4;
  ASSERT_GE(alone.size(), span);
  double best = -1;
  std::size_t best_at = 0;
  for (std::size_t at = 3 * 44100; at < 3 * 44100 + 44100 / 4; ++at) {
    const double c = correlation(captured, at, alone, span);
    if (c > best) best = c, best_at = at;
  }
  EXPECT_GT(best, 0.9);
  EXPECT_NEAR(static_cast<double>(best_at) / 44100, press_ms / 1000.0, 0.05);
}

TEST_F(RecordTool, CtrlCStopsTheCaptureAndLeavesTheFileThatWasThere) {
  const fs::path video = folder.path() / "capture.mp4";
  folder.write("capture.mp4", "the previous capture");
  setenv("TMPDIR", folder.path().c_str(), 1);
  platform::headless::reset();
  std::atomic<bool> returned{false};
  std::thread interrupter([&returned] {
    while (!returned && platform::headless::presented_count() < 20) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!returned) kill(getpid(), SIGINT);
  });
  const int code = run_fresh(tools::record_command, {video.string(), "--assets", folder.path().string(), "--seconds",
                                                 "60", "--height", "240"});
  returned = true;
  interrupter.join();
  unsetenv("TMPDIR");
  EXPECT_EQ(code, tools::exit_failure);
  EXPECT_EQ(command_output("cat '" + video.string() + "'"), "the previous capture");
  for (const auto& entry : fs::directory_iterator(folder.path())) {
    EXPECT_EQ(entry.path().filename().string().rfind("zarn-record-", 0), std::string::npos) << entry.path();
  }
}

TEST_F(RecordTool, RefusesCommandLinesItCannotCapture) {
  const std::vector<std::string> cases[] = {
      {},
      {"--seconds", "2"},
      {"out.mp4", "--fps", "0"},
      {"out.mp4", "--fps", "61x"},
      {"out.mp4", "--fps", "241"},
      {"out.mp4", "--height", "1081"},
      {"out.mp4", "--height", "100"},
      {"out.mp4", "--height", "+1080"},
      {"out.mp4", "--seconds", "0"},
      {"out.mp4", "--seconds", "nan"},
      {"out.mp4", "--press", "5:enter"},
      {"out.mp4", "--frobnicate", "1"},
      {"out.mp4", "--height"},
  };
  for (const auto& args : cases) {
    EXPECT_EQ(run_fresh(tools::record_command, args), tools::exit_usage) << (args.empty() ? "" : args.back());
  }
  EXPECT_FALSE(fs::exists(folder.path() / "out.mp4"));
}

}  // namespace
