// What every zarn-tool subcommand shares: its entry in the command table and the exit codes.
#pragma once

namespace tools {

inline constexpr int exit_ok = 0;
inline constexpr int exit_failure = 1;  // the work could not be done (a bad file, a failed write)
inline constexpr int exit_usage = 2;    // the command line was wrong

struct Command {
  const char* name;
  const char* usage;
  const char* summary;
  int (*run)(int argc, char** argv);  // arguments after the subcommand's name
};

}  // namespace tools
