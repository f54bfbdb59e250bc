// What every zarn-tool subcommand shares: its entry in the command table and the exit codes.
#pragma once

#include <cstdio>
#include <string>

namespace tools {

inline constexpr int exit_ok = 0;
inline constexpr int exit_failure = 1;  // the work could not be done (a bad file, a failed write)
inline constexpr int exit_usage = 2;    // the command line was wrong

// Says on stderr, as "zarn-tool COMMAND: ...", what is wrong with an option (`format` holds one %s for
// `what`), and returns false for the parser to pass on.
inline bool option_error(const char* command, const char* format, const std::string& what) {
  std::fprintf(stderr, "zarn-tool %s: ", command);
  std::fprintf(stderr, format, what.c_str());
  std::fprintf(stderr, "\n");
  return false;
}

struct Command {
  const char* name;
  const char* usage;
  const char* summary;
  int (*run)(int argc, char** argv);  // arguments after the subcommand's name
};

}  // namespace tools
