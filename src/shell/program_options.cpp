// The zarn program's command line.
#include "shell/program_options.h"

#include <string_view>

namespace shell {
namespace {

ProgramOptions refuse(std::string complaint) {
  ProgramOptions options;
  options.action = ProgramOptions::Action::refuse;
  options.complaint = std::move(complaint);
  return options;
}

// The mode that "--mode <text>" names: one digit 0..3, or -1.
int mode_named(std::string_view text) {
  if (text.size() != 1 || text[0] < '0' || text[0] > '3') return -1;
  return text[0] - '0';
}

}  // namespace

const char program_usage[] =
    "Usage: zarn [--window | --fullscreen | --mode N | --assets DIR | --help]\n"
    "Plays the ZARN intro from the files in the current folder.\n"
    "  --window      in a 640x480 window\n"
    "  --fullscreen  on the whole screen\n"
    "  --mode N      0 a 640x480 window, 1 a resizable window the picture stretches to,\n"
    "                2 a borderless window the size of the screen, 3 the whole screen\n"
    "  --assets DIR  plays it from the files in the folder DIR instead\n"
    "  --help        this text\n"
    "Without an option it starts the way it was built to. Alt+Enter switches between a window and\n"
    "the whole screen while it runs.\n";

ProgramOptions read_program_options(int argc, const char* const* argv, int built_in_mode) {
  ProgramOptions options;
  options.display_mode = built_in_mode;
  for (int i = 0; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help") {
      options.action = ProgramOptions::Action::show_usage;
    } else if (argument == "--window") {
      options.display_mode = platform::display_window;
    } else if (argument == "--fullscreen") {
      options.display_mode = platform::display_full_screen;
    } else if (argument == "--mode") {
      if (i + 1 == argc) return refuse("zarn: --mode needs a number from 0 to 3");
      const std::string_view value = argv[++i];
      options.display_mode = mode_named(value);
      if (options.display_mode < 0) {
        return refuse("zarn: --mode takes 0, 1, 2 or 3, not \"" + std::string(value) + "\"");
      }
    } else if (argument == "--assets") {
      if (i + 1 == argc || argv[i + 1][0] == '\0') return refuse("zarn: --assets needs a folder");
      options.asset_folder = argv[++i];
    } else {
      return refuse("zarn: unknown option \"" + std::string(argument) + "\" (zarn --help lists them)");
    }
  }
  return options;
}

}  // namespace shell
