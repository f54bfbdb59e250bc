// What every zarn-tool subcommand shares: the exit codes and its entry in the command table.
#pragma once

#include <functional>

namespace CLI {
class App;
}  // namespace CLI

namespace tools {

inline constexpr int exit_ok = 0;
inline constexpr int exit_failure = 1;  // the work could not be done (a bad file, a failed write)
inline constexpr int exit_usage = 2;    // the command line was wrong

// The work a command line asks for, bound to the values read from it.
using CommandRun = std::function<int()>;

struct Command {
  const char* name;
  const char* summary;  // one line in the list of commands
  // Puts the command's arguments, options and own subcommands on `command`; reading the line sets `run`
  // to the work it asks for.
  void (*define)(CLI::App& command, CommandRun& run);
};

// Runs one command with the arguments after its name, as "zarn-tool NAME ARGS..." does.
int run_command(const Command& command, int argc, char** argv);

}  // namespace tools
