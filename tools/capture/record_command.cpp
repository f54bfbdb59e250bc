// Exact capture: the same program as the live one on a virtual clock that moves exactly 1/F s per frame.
// Each frame goes through a pipe to ffmpeg, which scales it by nearest neighbour and encodes it as H.264;
// the music of the same span is rendered in step with the clock into a WAV file beside it. At the end the
// two are muxed (AAC audio) and the MP4 is written to its place, so an interrupted or failed capture never
// leaves a partial file.
#include "tools/capture/record_command.h"

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/frame_geometry.h"
#include "music/sound_system.h"
#include "platform/headless/headless.h"
#include "shell/frame_state.h"
#include "shell/startup.h"
#include "tools/cli/command_line.h"
#include "tools/files/ffmpeg_process.h"
#include "tools/files/in_folder.h"
#include "tools/capture/key_press.h"
#include "tools/capture/music_in_step.h"
#include "tools/files/output_file.h"
#include "tools/cli/tool_command.h"

namespace tools {
namespace {

namespace fs = std::filesystem;

constexpr double max_seconds = 3600;
// The output's lines: from a quarter of the frame's up to 8K, even as 4:2:0 video needs.
constexpr std::int64_t min_height = base::frame_height / 4;
constexpr std::int64_t max_height = 4320;

struct RecordOptions {
  std::string out;
  std::string assets = ".";
  double seconds = 30.0;
  std::int64_t fps = 60;
  std::int64_t height = 1080;
  std::vector<KeyPress> presses;
};

// Ctrl-C ends the capture after the frame in hand; the output is then not written.
volatile std::sig_atomic_t interrupted = 0;
void on_interrupt(int) { interrupted = 1; }

// The handlers of a capture: Ctrl-C asks it to stop, and a pipe whose reader has gone fails a write
// instead of ending the tool. The previous handlers come back at the end.
class CaptureSignals {
 public:
  CaptureSignals() {
    interrupted = 0;
    struct sigaction stop {};
    stop.sa_handler = on_interrupt;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGINT, &stop, &previous_interrupt_);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &previous_pipe_);
  }
  ~CaptureSignals() {
    sigaction(SIGINT, &previous_interrupt_, nullptr);
    sigaction(SIGPIPE, &previous_pipe_, nullptr);
  }
  CaptureSignals(const CaptureSignals&) = delete;
  CaptureSignals& operator=(const CaptureSignals&) = delete;

 private:
  struct sigaction previous_interrupt_ {};
  struct sigaction previous_pipe_ {};
};

// A private folder for the intermediate files, removed with everything in it.
class WorkFolder {
 public:
  bool make() {
    std::error_code error;
    std::string pattern = (fs::temp_directory_path(error) / "zarn-record-XXXXXX").string();
    if (error || !mkdtemp(pattern.data())) return false;
    path_ = pattern;
    return true;
  }
  ~WorkFolder() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// The output width for `height` lines: the frame's shape, rounded to an even number as 4:2:0 video needs.
std::int64_t width_for(std::int64_t height) {
  const std::int64_t width = (height * base::frame_width + base::frame_height / 2) / base::frame_height;
  return width + width % 2;
}

// Frames go to ffmpeg as they are in memory; it scales them by nearest neighbour, so every pixel stays a
// sharp-edged block, and x264's tuning for animation with a low CRF keeps the flat areas, hard edges and
// dithered gradients clean.
std::vector<std::string> encode_arguments(const RecordOptions& options, const fs::path& video) {
  const std::string pixels = std::endian::native == std::endian::little ? "rgb565le" : "rgb565be";
  const std::string size = std::to_string(base::frame_width) + "x" + std::to_string(base::frame_height);
  const std::string scale = "scale=" + std::to_string(width_for(options.height)) + ":" +
                            std::to_string(options.height) +
                            ":flags=neighbor:out_color_matrix=bt709:out_range=tv,format=yuv420p";
  return {"-hide_banner", "-loglevel", "error", "-f", "rawvideo", "-pix_fmt", pixels, "-video_size", size,
          "-framerate", std::to_string(options.fps), "-i", "pipe:0", "-vf", scale, "-c:v", "libx264",
          "-preset", "veryfast", "-tune", "animation", "-crf", "16", "-colorspace", "bt709", "-color_primaries",
          "bt709", "-color_trc", "bt709", "-y", video.string()};
}

std::vector<std::string> mux_arguments(const fs::path& video, const fs::path& music, const fs::path& out) {
  return {"-hide_banner", "-loglevel", "error", "-nostdin", "-i", video.string(), "-i", music.string(),
          "-map", "0:v", "-map", "1:a", "-c:v", "copy", "-c:a", "aac", "-b:a", "192k",
          "-movflags", "+faststart", "-y", out.string()};
}

// What the present hook does while the program runs on the frame thread.
class CaptureRun {
 public:
  CaptureRun(const RecordOptions& options, FfmpegProcess& encoder, const fs::path& music)
      : options_(options),
        encoder_(encoder),
        frame_count_(std::max<std::uint64_t>(1, std::llround(options.seconds * static_cast<double>(options.fps)))),
        show_progress_(isatty(fileno(stderr)) != 0),
        music_(music.string()),
        started_(std::chrono::steady_clock::now()) {}

  // Takes one presented frame and moves the clock on to the next; false ends the run (the last frame, a
  // failed write, or Ctrl-C).
  bool take_frame(const std::uint16_t* pixels, std::uint64_t number) {
    if (interrupted) return false;
    if (!encoder_.write(pixels, base::frame_pixel_count * sizeof(std::uint16_t))) {
      std::fprintf(stderr, "zarn-tool record: the encoder stopped taking frames\n");
      failed_ = true;
      return false;
    }
    const std::uint64_t next_ms = ms_of_frame(number + 1);
    platform::headless::set_clock_ms(static_cast<std::uint32_t>(next_ms));
    if (!music_.render_until(next_ms)) {
      failed_ = true;
      return false;
    }
    frames_done_ = number + 1;
    if (show_progress_) show_progress();
    return frames_done_ < frame_count_;
  }

  // True when every frame was taken and the music is in its file.
  bool finish() {
    if (show_progress_) std::fprintf(stderr, "\n");
    const bool music_done = music_.finish();
    return !failed_ && frames_done_ == frame_count_ && music_done;
  }

  // Whether the program ended by itself before the last frame, rather than a write failing.
  bool ended_early() const { return !failed_ && frames_done_ < frame_count_; }
  std::uint64_t frames_done() const { return frames_done_; }

 private:
  // The clock of frame n: n/F s, to the nearest millisecond the platform's clock counts.
  std::uint64_t ms_of_frame(std::uint64_t n) const {
    const auto fps = static_cast<std::uint64_t>(options_.fps);
    return (n * 1000 + fps / 2) / fps;
  }

  void show_progress() {
    const auto now = std::chrono::steady_clock::now();
    if (frames_done_ < frame_count_ && now - last_shown_ < std::chrono::milliseconds(250)) return;
    last_shown_ = now;
    const double wall = std::chrono::duration<double>(now - started_).count();
    const double captured = static_cast<double>(frames_done_) / static_cast<double>(options_.fps);
    const double speed = wall > 0 ? captured / wall : 0;
    const double left = speed > 0 ? (static_cast<double>(frame_count_ - frames_done_) /
                                     static_cast<double>(options_.fps)) / speed
                                  : 0;
    std::fprintf(stderr, "\rrecord: frame %llu of %llu, %.2fx real time, %.0f s left   ",
                 static_cast<unsigned long long>(frames_done_), static_cast<unsigned long long>(frame_count_),
                 speed, left);
  }

  const RecordOptions& options_;
  FfmpegProcess& encoder_;
  std::uint64_t frame_count_;
  bool show_progress_;
  MusicInStep music_;
  std::chrono::steady_clock::time_point started_;
  std::chrono::steady_clock::time_point last_shown_{};
  std::uint64_t frames_done_ = 0;
  bool failed_ = false;
};

// Runs the program on the headless platform with the capture's hook; false when it did not start.
bool run_capture(const RecordOptions& options, CaptureRun& run) {
  platform::headless::reset();
  platform::headless::set_frame_step_ms(0);  // the hook moves the clock
  script_presses(options.presses);
  platform::headless::set_present_hook(
      [&run](const std::uint16_t* pixels, std::uint64_t number) { return run.take_frame(pixels, number); });
  shell::run_program();
  // The run ends like a closed window, with the music still playing and the sound open, as the real
  // program's process ends; this one goes on, so the sound ends here as at the program's normal end.
  music::end_sound();
  platform::headless::set_present_hook(nullptr);
  return platform::headless::presented_count() > 0;
}

// Copies the finished MP4 to the output through the tools' one way of writing a file.
bool write_output(const fs::path& made, const std::string& out) {
  std::ifstream in(made, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "zarn-tool record: cannot read back %s\n", made.c_str());
    return false;
  }
  OutputFile output;
  if (!output.open(out)) {
    std::fprintf(stderr, "zarn-tool record: %s\n", output.failure().c_str());
    return false;
  }
  std::vector<char> buffer(1 << 20);
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    if (in.gcount() > 0 && !output.write(buffer.data(), static_cast<std::size_t>(in.gcount()))) break;
  }
  if (!in.eof()) {
    if (in.bad()) std::fprintf(stderr, "zarn-tool record: cannot read back %s\n", made.c_str());
    else std::fprintf(stderr, "zarn-tool record: %s\n", output.failure().c_str());
    return false;
  }
  if (!output.commit()) {
    std::fprintf(stderr, "zarn-tool record: %s\n", output.failure().c_str());
    return false;
  }
  return true;
}

int stopped(const CaptureRun& run, const RecordOptions& options) {
  std::fprintf(stderr, "zarn-tool record: stopped after %llu frames; %s not written\n",
               static_cast<unsigned long long>(run.frames_done()), options.out.c_str());
  return exit_failure;
}

int record(const RecordOptions& options) {
  // The program reads its files by bare name from the assets folder; the output is named from here.
  const std::string out = options.out == standard_stream_path ? options.out : fs::absolute(options.out).string();

  WorkFolder work;
  if (!work.make()) {
    std::fprintf(stderr, "zarn-tool record: cannot make a temporary folder\n");
    return exit_failure;
  }
  const InFolder assets(options.assets);
  if (!assets.entered()) {
    std::fprintf(stderr, "zarn-tool record: %s\n", assets.failure().c_str());
    return exit_failure;
  }

  CaptureSignals signals;
  FfmpegProcess encoder;
  if (!encoder.start(encode_arguments(options, work.path() / "video.mp4"), true)) {
    std::fprintf(stderr, "zarn-tool record: %s\n", encoder.failure().c_str());
    return exit_failure;
  }
  CaptureRun run(options, encoder, work.path() / "music.wav");
  const bool started = run_capture(options, run);
  const bool captured = run.finish();
  const bool encoded = encoder.finish();
  if (interrupted) return stopped(run, options);
  if (!started) {
    std::fprintf(stderr, "zarn-tool record: the intro did not start (see the message above)\n");
    return exit_failure;
  }
  if (!captured) {
    if (run.ended_early()) {
      std::fprintf(stderr, "zarn-tool record: the intro ended after %llu frames, before the capture did\n",
                   static_cast<unsigned long long>(run.frames_done()));
    }
    return exit_failure;
  }
  if (!encoded) {
    std::fprintf(stderr, "zarn-tool record: ffmpeg could not encode the video (see its message above)\n");
    return exit_failure;
  }
  FfmpegProcess muxer;
  const fs::path made = work.path() / "capture.mp4";
  if (!muxer.start(mux_arguments(work.path() / "video.mp4", work.path() / "music.wav", made), false) ||
      !muxer.finish()) {
    std::fprintf(stderr, "zarn-tool record: ffmpeg could not add the music (%s)\n",
                 muxer.failure().empty() ? "see its message above" : muxer.failure().c_str());
    return exit_failure;
  }
  if (interrupted) return stopped(run, options);
  if (!write_output(made, out)) return exit_failure;
  std::fprintf(stderr, "%llu frames at %lld frames a second, %lldx%lld, with music: %s\n",
               static_cast<unsigned long long>(run.frames_done()), static_cast<long long>(options.fps),
               static_cast<long long>(width_for(options.height)), static_cast<long long>(options.height),
               options.out.c_str());
  return exit_ok;
}

void define_record(CLI::App& command, CommandRun& run) {
  command.footer("Each frame is scaled up as sharp blocks. Ctrl-C stops the capture without writing the file.\n");
  auto options = std::make_shared<RecordOptions>();
  command.add_option("OUT.mp4", options->out, "the video to write (- for standard output)")->required();
  command.add_option("--assets", options->assets, "the folder of the files the intro reads (default .)")
      ->type_name("DIR");
  add_positive_decimal_option(command, "--seconds", options->seconds, max_seconds,
                              "how long to capture on the intro's clock, up to 3600 (default 30)");
  add_whole_number_option(command, "--fps", options->fps, 1, 240, "frames a second, from 1 to 240 (default 60)")
      ->type_name("F");
  add_whole_number_option(command, "--height", options->height, min_height, max_height,
                          "lines of the video, even, from 120 to 4320 (default 1080)")
      ->type_name("H")
      ->check(CLI::Validator(
          [](std::string& text) {
            const bool even = !text.empty() && (text.back() - '0') % 2 == 0;
            return even ? std::string{} : "an even number, not '" + text + "'";
          },
          ""));
  add_press_option(command, options->presses);
  run_on_request(command, run, options, record);
}

}  // namespace

const Command record_command = {
    "record",
    "captures the intro and its music on an exact clock as an H.264/AAC MP4 video (needs ffmpeg)",
    define_record};


}  // namespace tools
