// zarn-tool's command line on CLI11.
#include "tools/cli/command_line.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <exception>
#include <new>
#include <vector>

namespace tools {
namespace {

bool starts_with_digit(std::string_view text) { return !text.empty() && text[0] >= '0' && text[0] <= '9'; }

// The line's words in the reversed order CLI11 reads them from.
std::vector<std::string> reversed_words(int argc, char** argv) {
  std::vector<std::string> words;
  for (int i = argc - 1; i >= 0; --i) words.emplace_back(argv[i]);
  return words;
}

// A command as the line reads it: an option given twice keeps the last value, as the tools always
// have; an option that collects every use (--press) says so itself.
void take_last_of_repeated_options(CLI::App& command) {
  command.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

// The deepest of the command and the subcommands the parse went into.
CLI::App& deepest_command(CLI::App& command) {
  CLI::App* at = &command;
  while (!at->get_subcommands().empty()) at = at->get_subcommands().front();
  return *at;
}

// "zarn-tool xm render": the names of the commands the parse went into.
std::string command_path(CLI::App& command) {
  std::string path = command.get_name();
  for (CLI::App* at = &command; !at->get_subcommands().empty();) {
    at = at->get_subcommands().front();
    path += " " + at->get_name();
  }
  return path;
}

// Whether the parse ended in a command that needs one of its subcommands and got none.
bool wants_a_command(CLI::App& last) {
  return last.get_require_subcommand_min() > 0 && last.get_subcommands().empty();
}

// What is wrong with the line: a word where a command should be is named as such, rather than as the
// missing command it leaves.
std::string problem_of(CLI::App& command, const CLI::ParseError& error) {
  CLI::App& last = deepest_command(command);
  const std::vector<std::string> left = last.remaining();
  if (wants_a_command(last) && !left.empty()) return "no command named '" + left.front() + "'";
  return error.what();
}

// Runs the work. Every command reports its own failures; an exception that still comes up (no memory, an
// error of the system no command foresaw) ends the run with one line on stderr, never an abort.
int run_to_the_end(CLI::App& command, const CommandRun& run) {
  try {
    return run();
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "%s: out of memory\n", command_path(command).c_str());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s\n", command_path(command).c_str(), error.what());
  }
  return exit_failure;
}

// Reads the line into `command` and runs what it asks for; help goes to stdout, and a wrong line is
// one line on stderr.
int parse_and_run(CLI::App& command, std::vector<std::string> reversed, const CommandRun& run) {
  try {
    command.parse(reversed);
  } catch (const CLI::CallForHelp& help) {
    return command.exit(help);
  } catch (const CLI::ParseError& error) {
    // A line that stops where a command should follow ("zarn-tool", "zarn-tool xm") asks what there is.
    CLI::App& last = deepest_command(command);
    if (wants_a_command(last) && last.remaining().empty()) {
      std::fputs(command.help().c_str(), stderr);  // from the top, for the whole "zarn-tool xm" path
      return exit_usage;
    }
    const std::string path = command_path(command);
    std::fprintf(stderr, "%s: %s (see %s --help)\n", path.c_str(), problem_of(command, error).c_str(), path.c_str());
    return exit_usage;
  }
  return run ? run_to_the_end(command, run) : exit_usage;
}

// A check of an option's text: "" when `accepts` takes it, otherwise what the option takes and what it got.
template <typename Accepts>
CLI::Validator text_check(std::string takes, Accepts accepts) {
  return CLI::Validator(
      [takes, accepts](std::string& text) { return accepts(text) ? std::string{} : takes + ", not '" + text + "'"; },
      "");
}

}  // namespace

std::optional<std::int64_t> read_whole_number(std::string_view text, std::int64_t low, std::int64_t high) {
  if (!starts_with_digit(text)) return std::nullopt;
  std::int64_t n = 0;
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (error != std::errc() || stop != text.data() + text.size() || n < low || n > high) return std::nullopt;
  return n;
}

std::optional<double> read_positive_decimal(std::string_view text, double high) {
  if (!starts_with_digit(text)) return std::nullopt;
  double s = 0;
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), s, std::chars_format::fixed);
  if (error != std::errc() || stop != text.data() + text.size() || !std::isfinite(s) || !(s > 0) || s > high) {
    return std::nullopt;
  }
  return s;
}

CLI::Option* add_whole_number_option(CLI::App& command, const std::string& name, std::int64_t& value,
                                     std::int64_t low, std::int64_t high, const std::string& help) {
  const std::string takes = "a whole number from " + std::to_string(low) + " to " + std::to_string(high);
  return command
      .add_option_function<std::string>(
          name, [&value, low, high](const std::string& text) { value = *read_whole_number(text, low, high); }, help)
      ->type_name("N")
      ->check(text_check(takes, [low, high](const std::string& text) { return read_whole_number(text, low, high); }));
}

CLI::Option* add_positive_decimal_option(CLI::App& command, const std::string& name, double& value, double high,
                                         const std::string& help) {
  char range[64];
  std::snprintf(range, sizeof range, "a number above 0 up to %g", high);
  return command
      .add_option_function<std::string>(
          name, [&value, high](const std::string& text) { value = *read_positive_decimal(text, high); }, help)
      ->type_name("S")
      ->check(text_check(range, [high](const std::string& text) { return read_positive_decimal(text, high); }));
}

int run_command(const Command& command, int argc, char** argv) {
  CLI::App app(command.summary, std::string("zarn-tool ") + command.name);
  take_last_of_repeated_options(app);
  CommandRun run;
  command.define(app, run);
  return parse_and_run(app, reversed_words(argc, argv), run);
}

int run_zarn_tool(std::span<const Command> commands, int argc, char** argv) {
  CLI::App app("The tools around the intro: each command runs the intro's own code without a window.", "zarn-tool");
  take_last_of_repeated_options(app);
  app.require_subcommand(1);
  CommandRun run;
  for (const Command& command : commands) command.define(*app.add_subcommand(command.name, command.summary), run);
  return parse_and_run(app, reversed_words(argc - 1, argv + 1), run);
}

}  // namespace tools
