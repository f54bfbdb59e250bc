// Headless preview: the same program as the live one, on a virtual clock with scripted keys. Frames go to
// PNG files and a contact sheet, and the music the sound system plays over the same span to a WAV file.
#include "tools/capture/preview_command.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/frame_geometry.h"
#include "music/sound_system.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "shell/frame_state.h"
#include "shell/startup.h"
#include "tools/cli/command_line.h"
#include "tools/files/file_bytes.h"
#include "tools/files/in_folder.h"
#include "tools/capture/key_press.h"
#include "tools/capture/music_in_step.h"
#include "tools/files/png_file.h"
#include "tools/capture/preview_sheet.h"
#include "tools/cli/tool_command.h"

namespace tools {
namespace {

namespace fs = std::filesystem;

// 50 frames a second on the virtual clock.
constexpr std::uint32_t frame_step_ms = 20;
constexpr double max_seconds = 3600;

struct PreviewOptions {
  std::string assets = ".";
  std::string out = "out/preview";
  double seconds = 8.0;
  std::int64_t every = 25;
  std::vector<KeyPress> presses;
};

bool write_bytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::string failure;
  if (write_file_bytes(path.string(), bytes, failure)) return true;
  std::fprintf(stderr, "zarn-tool preview: %s\n", failure.c_str());
  return false;
}

// What the present hook collects while the program runs on the frame thread.
class PreviewRun {
 public:
  PreviewRun(const PreviewOptions& options, fs::path out)
      : options_(options),
        out_(std::move(out)),
        frame_count_(static_cast<std::uint64_t>(std::ceil(options.seconds * 1000.0 / frame_step_ms))),
        sheet_numbers_(sheet_frame_numbers(frame_count_, static_cast<std::uint64_t>(options.every))),
        show_progress_(isatty(fileno(stderr)) != 0),
        music_((out_ / "music.wav").string()) {}

  // Takes one presented frame; false ends the run (the last frame, or a failed write).
  bool take_frame(const std::uint16_t* pixels, std::uint64_t number) {
    const auto at_ms = static_cast<std::uint32_t>(number * frame_step_ms);
    if (number % options_.every == 0 && !write_picture(pixels, number)) return false;
    if (std::binary_search(sheet_numbers_.begin(), sheet_numbers_.end(), number)) {
      sheet_.push_back(make_sheet_frame(pixels, at_ms));
    }
    if (!music_.render_until(at_ms + frame_step_ms)) return false;
    if (show_progress_) {
      std::fprintf(stderr, "\rpreview: %.2f of %.2f s, %d pictures", (at_ms + frame_step_ms) * 0.001, options_.seconds,
                   pictures_);
    }
    return number + 1 < frame_count_;
  }

  // Writes the sheet and the music once the program has ended; false when a file could not be written.
  bool finish() {
    if (show_progress_) std::fprintf(stderr, "\n");
    if (failed_) return false;
    if (!write_bytes(out_ / "sheet.png", make_preview_sheet(sheet_))) return false;
    return music_.finish();
  }

  int pictures() const { return pictures_; }
  bool music_rendered() const { return music_.rendered(); }

 private:
  bool write_picture(const std::uint16_t* pixels, std::uint64_t number) {
    char name[64];
    std::snprintf(name, sizeof name, "frame-%05llu.png", static_cast<unsigned long long>(number));
    std::string failure;
    if (!write_png_rgb565((out_ / name).string(), pixels, base::frame_width, base::frame_height, failure)) {
      std::fprintf(stderr, "zarn-tool preview: %s\n", failure.c_str());
      failed_ = true;
      return false;
    }
    ++pictures_;
    return true;
  }

  const PreviewOptions& options_;
  fs::path out_;
  std::uint64_t frame_count_;
  std::vector<std::uint64_t> sheet_numbers_;
  bool show_progress_;
  std::vector<SheetFrame> sheet_;
  MusicInStep music_;
  int pictures_ = 0;
  bool failed_ = false;
};

int preview(const PreviewOptions& options) {
  std::error_code error;
  const fs::path out = fs::absolute(options.out);
  fs::create_directories(out, error);
  if (error) {
    std::fprintf(stderr, "zarn-tool preview: cannot make %s: %s\n", out.c_str(), error.message().c_str());
    return exit_failure;
  }
  // The program reads its files by bare name, like the live intro started from the release's folder.
  const InFolder assets(options.assets);
  if (!assets.entered()) {
    std::fprintf(stderr, "zarn-tool preview: %s\n", assets.failure().c_str());
    return exit_failure;
  }

  PreviewRun run(options, out);
  platform::headless::reset();
  platform::headless::set_frame_step_ms(frame_step_ms);
  script_presses(options.presses);
  platform::headless::set_present_hook(
      [&run](const std::uint16_t* pixels, std::uint64_t number) { return run.take_frame(pixels, number); });
  shell::run_program();
  // The run ends like a closed window, with the music still playing and the sound open, as the real
  // program's process ends; this one goes on, so the sound ends here as at the program's normal end.
  music::end_sound();

  if (platform::headless::presented_count() == 0) {
    std::fprintf(stderr, "zarn-tool preview: the intro did not start (see the message above)\n");
    return exit_failure;
  }
  if (!run.finish()) return exit_failure;
  std::printf("%d pictures, sheet.png%s in %s\n", run.pictures(), run.music_rendered() ? " and music.wav" : "",
              out.c_str());
  return exit_ok;
}

void define_preview(CLI::App& command, CommandRun& run) {
  auto options = std::make_shared<PreviewOptions>();
  command.add_option("--assets", options->assets, "the folder of the files the intro reads (default .)")
      ->type_name("DIR");
  command.add_option("--out", options->out, "where the pictures, sheet.png and music.wav go (default out/preview)")
      ->type_name("DIR");
  add_positive_decimal_option(command, "--seconds", options->seconds, max_seconds,
                              "how long to run on the intro's clock, up to 3600 (default 8)");
  add_whole_number_option(command, "--every", options->every, 1, 1000000,
                          "write every Nth frame of 50 a second as a picture (default 25)");
  add_press_option(command, options->presses);
  run_on_request(command, run, options, preview);
}

}  // namespace

const Command preview_command = {"preview", "runs the intro without a window and writes frames as PNG pictures",
                                 define_preview};


}  // namespace tools
