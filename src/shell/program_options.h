// What the zarn program's command line asks for: how to show the picture and from which folder, or its
// usage text.
#pragma once

#include <string>

#include "platform/platform.h"

namespace shell {

struct ProgramOptions {
  enum class Action { run, show_usage, refuse } action = Action::run;
  int display_mode = platform::display_full_screen;  // for run: as platform::create_window takes it
  std::string asset_folder;             // for run: the folder to play from; empty for the current one
  std::string complaint;                // for refuse: one line, without the line end
};

// Reads the arguments after the program's name. No arguments keep `built_in_mode`; --window,
// --fullscreen and --mode N (0..3) choose another, the last one given counting; --assets DIR names the
// folder to play from (the last one given counts); --help asks for the usage text. Anything else is
// refused with the reason.
ProgramOptions read_program_options(int argc, const char* const* argv, int built_in_mode);

// The text --help prints.
extern const char program_usage[];

}  // namespace shell
