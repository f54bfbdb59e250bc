// NFO signing and checking.
#include "tools/nfo/nfo_command.h"

#include <cstdio>
#include <memory>
#include <string>

#include "shell/nfo_check.h"
#include "shell/nfo_screen.h"
#include "tools/cli/command_line.h"
#include "tools/files/file_bytes.h"
#include "tools/files/input_file.h"
#include "tools/files/output_file.h"
#include "tools/cli/tool_command.h"

namespace tools {
namespace {

// Signs the file where it is ("-" signs standard input onto standard output, and reports on stderr).
int sign(const std::string& path) {
  std::string failure;
  const auto bytes = read_input_file(path, nfo_input, failure);
  if (!bytes) {
    std::fprintf(stderr, "zarn-tool nfo sign: %s\n", failure.c_str());
    return exit_failure;
  }
  const bool replacing = shell::has_signed_trailer(*bytes);
  const std::vector<std::uint8_t> signed_file = shell::sign_nfo(*bytes);
  if (!write_file_bytes(path, signed_file, failure)) {
    std::fprintf(stderr, "zarn-tool nfo sign: %s\n", failure.c_str());
    return exit_failure;
  }
  const std::string checksum = shell::nfo_checksum_text(shell::nfo_checksum(signed_file));
  std::fprintf(path == standard_stream_path ? stderr : stdout, "%s: checksum %s, trailer %s\n", path.c_str(),
               checksum.c_str(), replacing ? "replaced" : "appended");
  return exit_ok;
}

int check(const std::string& path) {
  const auto result = shell::check_nfo_file(path.c_str());
  if (result.file.empty()) {
    std::fprintf(stderr, "zarn-tool nfo check: cannot open %s\n", path.c_str());
    return exit_failure;
  }
  if (result.computed.empty()) {
    std::fprintf(stderr, "zarn-tool nfo check: %s is larger than %lld bytes: the intro fails it without reading it\n",
                 path.c_str(), shell::nfo_max_bytes);
    return exit_failure;
  }
  const shell::VerdictText& text = shell::verdict_text(result.verdict);
  std::printf("file:     %s\ncomputed: %s\nexpected: %s\n%s\n%s\n", path.c_str(), result.computed.c_str(),
              result.expected.c_str(), text.verdict, text.release);
  return result.verdict == shell::nfo_verdict_passed ? exit_ok : exit_failure;
}

// An action of nfo on one FILE.
void add_file_action(CLI::App& nfo, CommandRun& run, const char* name, const char* summary, const char* file_help,
                     int (*work)(const std::string& path)) {
  CLI::App* action = nfo.add_subcommand(name, summary);
  auto path = std::make_shared<std::string>();
  action->add_option("FILE", *path, file_help)->required();
  run_on_request(*action, run, path, work);
}

void define_nfo(CLI::App& nfo, CommandRun& run) {
  nfo.require_subcommand(1);
  add_file_action(nfo, run, "sign", "writes the checksum trailer so that FILE passes the check",
                  "the NFO file (- signs standard input onto standard output)", sign);
  add_file_action(nfo, run, "check", "shows the checksum, the trailer's digits and the verdict, as the intro does",
                  "the NFO file", check);
}

}  // namespace

const Command nfo_command = {
    "nfo", "writes the checksum trailer into an NFO file, or checks it as the intro does", define_nfo};

}  // namespace tools
