// Runs a zarn-tool command in the test's process, as "zarn-tool NAME ARGS..." would.
#pragma once

#include <string>
#include <vector>

#include "tools/cli/tool_command.h"

namespace test_support {

inline int run_tool(const tools::Command& command, std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  return tools::run_command(command, static_cast<int>(argv.size()), argv.data());
}

}  // namespace test_support
