// The zarn program's command line: which display mode each asks for, and what it refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "shell/program_options.h"
#include "shell/startup.h"
#include "support/temp_dir.h"

namespace {

using Action = shell::ProgramOptions::Action;

// A built-in mode no option names by a word, so that keeping it shows.
constexpr int built_in = 1;

shell::ProgramOptions read(const std::vector<const char*>& arguments) {
  return shell::read_program_options(static_cast<int>(arguments.size()), arguments.data(), built_in);
}

TEST(ProgramOptions, ChooseTheDisplayMode) {
  const struct {
    std::vector<const char*> arguments;
    int mode;
  } cases[] = {
      {{}, built_in},
      {{"--window"}, 0},
      {{"--fullscreen"}, 3},
      {{"--mode", "0"}, 0},
      {{"--mode", "2"}, 2},
      {{"--mode", "3"}, 3},
      {{"--window", "--fullscreen"}, 3},  // the last one given counts
      {{"--fullscreen", "--mode", "1"}, 1},
  };
  for (const auto& c : cases) {
    const shell::ProgramOptions options = read(c.arguments);
    const std::string shown = c.arguments.empty() ? "(none)" : c.arguments.front();
    EXPECT_EQ(options.action, Action::run) << shown;
    EXPECT_EQ(options.display_mode, c.mode) << shown;
  }
  EXPECT_EQ(read({"--help"}).action, Action::show_usage);
  EXPECT_EQ(read({"--window", "--help"}).action, Action::show_usage);
}

TEST(ProgramOptions, NameTheFolderToPlayFrom) {
  const struct {
    std::vector<const char*> arguments;
    std::string folder;
    int mode;
  } cases[] = {
      {{}, "", built_in},
      {{"--assets", "nova"}, "nova", built_in},
      {{"--assets", "a", "--window", "--assets", "b/c d"}, "b/c d", 0},  // the last one given counts
      {{"--assets", "--window"}, "--window", built_in},                  // a folder may have any name
  };
  for (const auto& c : cases) {
    const shell::ProgramOptions options = read(c.arguments);
    EXPECT_EQ(options.action, Action::run) << c.folder;
    EXPECT_EQ(options.asset_folder, c.folder);
    EXPECT_EQ(options.display_mode, c.mode) << c.folder;
  }
}

TEST(ProgramOptions, RefuseWhatTheyDoNotNameInOneLine) {
  const struct {
    std::vector<const char*> arguments;
    std::string complaint;
  } cases[] = {
      {{"--mode"}, "zarn: --mode needs a number from 0 to 3"},
      {{"--mode", "4"}, "zarn: --mode takes 0, 1, 2 or 3, not \"4\""},
      {{"--mode", "-1"}, "zarn: --mode takes 0, 1, 2 or 3, not \"-1\""},
      {{"--mode", "01"}, "zarn: --mode takes 0, 1, 2 or 3, not \"01\""},
      {{"--mode", ""}, "zarn: --mode takes 0, 1, 2 or 3, not \"\""},
      {{"--mode=1"}, "zarn: unknown option \"--mode=1\" (zarn --help lists them)"},
      {{"-w"}, "zarn: unknown option \"-w\" (zarn --help lists them)"},
      {{"window"}, "zarn: unknown option \"window\" (zarn --help lists them)"},
      {{"--Window"}, "zarn: unknown option \"--Window\" (zarn --help lists them)"},
      {{"--help", "--bogus"}, "zarn: unknown option \"--bogus\" (zarn --help lists them)"},
      {{"--assets"}, "zarn: --assets needs a folder"},
      {{"--assets", ""}, "zarn: --assets needs a folder"},
  };
  for (const auto& c : cases) {
    const shell::ProgramOptions options = read(c.arguments);
    EXPECT_EQ(options.action, Action::refuse) << c.complaint;
    EXPECT_EQ(options.complaint, c.complaint);
  }
}

// In a folder without "zarn.dat": a program that went on to start up would show its message.
TEST(ProgramOptions, UsageAndRefusalComeBeforeStartUp) {
  test_support::WorkingFolder folder;
  platform::headless::reset();
  const char* refused[] = {"zarn", "--mode", "7"};
  EXPECT_EQ(shell::run_program_from_command_line(3, refused), shell::wrong_command_line_exit);
  const char* usage[] = {"zarn", "--help"};
  EXPECT_EQ(shell::run_program_from_command_line(2, usage), shell::normal_end_exit);
  const char* no_folder[] = {"zarn", "--assets", "no-such-folder"};
  EXPECT_EQ(shell::run_program_from_command_line(3, no_folder), shell::wrong_command_line_exit);
  EXPECT_TRUE(platform::headless::shown_messages().empty());
  EXPECT_EQ(platform::headless::presented_count(), 0u);
}

}  // namespace
