// zarn-tool's command line, read with CLI11: each command describes its arguments on a CLI::App, and one
// parse gives the generated help, numbers checked against their range, and an error as one line on stderr
// with exit code 2.
//
// Numbers are read strictly: digits as written, nothing before or after them, no NaN or infinity, no
// value the option cannot take. "3x", " 12", "+12", "1e3" and an overflow are errors.
#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "tools/cli/tool_command.h"

namespace tools {

// The whole command line of zarn-tool (argv[0] is the program): picks one of `commands`, reads its
// arguments and runs it.
int run_zarn_tool(std::span<const Command> commands, int argc, char** argv);

// Once `command` has been read, the line runs `work` on `request`, which its options fill.
template <typename Request>
void run_on_request(CLI::App& command, CommandRun& run, std::shared_ptr<Request> request,
                    int (*work)(const Request&)) {
  command.callback([request, work, &run] { run = [request, work] { return work(*request); }; });
}

// A whole number of decimal digits within [low, high]; none for anything else.
std::optional<std::int64_t> read_whole_number(std::string_view text, std::int64_t low, std::int64_t high);

// A decimal number such as "12" or "0.5", above 0 and at most `high`; none for anything else.
std::optional<double> read_positive_decimal(std::string_view text, double high);

// An option NAME N that takes a whole number from `low` to `high` into `value`.
CLI::Option* add_whole_number_option(CLI::App& command, const std::string& name, std::int64_t& value,
                                     std::int64_t low, std::int64_t high, const std::string& help);

// An option NAME S that takes a decimal number above 0 and at most `high` into `value`.
CLI::Option* add_positive_decimal_option(CLI::App& command, const std::string& name, double& value, double high,
                                         const std::string& help);

}  // namespace tools
