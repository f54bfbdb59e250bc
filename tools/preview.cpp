// Headless preview: the same program as the live one, on a virtual clock with scripted keys.
#include "tools/preview.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/frame_geometry.h"
#include "platform/headless/headless.h"
#include "shell/startup.h"
#include "tools/png_file.h"
#include "tools/tool_command.h"

namespace tools {
namespace {

namespace fs = std::filesystem;

// 50 frames a second on the virtual clock.
constexpr std::uint32_t frame_step_ms = 20;
// How long a scripted key stays down.
constexpr std::uint32_t key_hold_ms = 100;

struct KeyPress {
  std::uint32_t at_ms;
  std::uint8_t virtual_key;
};

struct PreviewOptions {
  std::string assets = ".";
  std::string out = "out/preview";
  double seconds = 8.0;
  int every = 25;
  std::vector<KeyPress> presses;
};

bool parse_key_press(const char* text, KeyPress& press) {
  char* end = nullptr;
  const unsigned long at = std::strtoul(text, &end, 10);
  if (end == text || *end != ':') return false;
  const std::string key = end + 1;
  press.at_ms = static_cast<std::uint32_t>(at);
  if (key == "space") press.virtual_key = 0x20;
  else if (key == "escape") press.virtual_key = 0x1B;
  else return false;
  return true;
}

// Fills `options`; false (after saying why) when the command line is wrong.
bool parse_options(int argc, char** argv, PreviewOptions& options) {
  bool presses_given = false;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (arg != "--assets" && arg != "--out" && arg != "--seconds" && arg != "--every" && arg != "--press") {
      std::fprintf(stderr, "zarn-tool preview: unknown option '%s'\n", arg.c_str());
      return false;
    }
    if (!value) {
      std::fprintf(stderr, "zarn-tool preview: %s needs a value\n", arg.c_str());
      return false;
    }
    ++i;
    if (arg == "--assets") options.assets = value;
    if (arg == "--out") options.out = value;
    if (arg == "--seconds") options.seconds = std::atof(value);
    if (arg == "--every") options.every = std::atoi(value);
    if (arg == "--press") {
      KeyPress press{};
      if (!parse_key_press(value, press)) {
        std::fprintf(stderr, "zarn-tool preview: --press takes MS:space or MS:escape, not '%s'\n", value);
        return false;
      }
      options.presses.push_back(press);
      presses_given = true;
    }
  }
  if (options.seconds <= 0 || options.seconds > 3600 || options.every < 1) {
    std::fprintf(stderr, "zarn-tool preview: --seconds must be in (0, 3600] and --every at least 1\n");
    return false;
  }
  // By default space goes on from the NFO screen once its verdict is up, so the intro is seen too.
  if (!presses_given) options.presses.push_back({3500, 0x20});
  return true;
}

void script_presses(const std::vector<KeyPress>& presses) {
  for (const KeyPress& press : presses) {
    platform::headless::script_key(press.at_ms, press.virtual_key, true);
    platform::headless::script_key(press.at_ms + key_hold_ms, press.virtual_key, false);
  }
}

}  // namespace

int preview_main(int argc, char** argv) {
  PreviewOptions options;
  if (!parse_options(argc, argv, options)) return exit_usage;

  std::error_code error;
  const fs::path out = fs::absolute(options.out);
  fs::create_directories(out, error);
  if (error) {
    std::fprintf(stderr, "zarn-tool preview: cannot make %s: %s\n", out.c_str(), error.message().c_str());
    return exit_failure;
  }
  // The program reads its files by bare name, like the live intro started from the release's folder.
  fs::current_path(options.assets, error);
  if (error) {
    std::fprintf(stderr, "zarn-tool preview: cannot enter %s: %s\n", options.assets.c_str(), error.message().c_str());
    return exit_failure;
  }

  const auto frame_count = static_cast<std::uint64_t>(options.seconds * 1000.0 / frame_step_ms);
  int written = 0;
  bool write_failed = false;
  platform::headless::reset();
  platform::headless::set_frame_step_ms(frame_step_ms);
  script_presses(options.presses);
  platform::headless::set_present_hook([&](const std::uint16_t* pixels, std::uint64_t number) {
    if (number % options.every == 0) {
      char name[64];
      std::snprintf(name, sizeof name, "frame-%05llu.png", static_cast<unsigned long long>(number));
      const fs::path path = out / name;
      if (!write_png_rgb565(path.string(), pixels, base::frame_width, base::frame_height)) {
        std::fprintf(stderr, "zarn-tool preview: cannot write %s\n", path.c_str());
        write_failed = true;
        return false;
      }
      std::printf("%6.2f s  %s\n", number * frame_step_ms * 0.001, path.c_str());
      ++written;
    }
    return number + 1 < frame_count;
  });

  shell::run_program();
  if (platform::headless::presented_count() == 0) {
    std::fprintf(stderr, "zarn-tool preview: the intro did not start (see the message above)\n");
    return exit_failure;
  }
  if (write_failed) return exit_failure;
  std::printf("%d pictures in %s\n", written, out.c_str());
  return exit_ok;
}

}  // namespace tools
