// zarn-tool kit new KIT.toml and kit build KIT.toml OUTDIR.
#include "tools/kit/kit_command.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "tools/assets/asset_set.h"
#include "tools/cli/command_line.h"
#include "tools/cli/message_text.h"
#include "tools/files/file_bytes.h"
#include "tools/files/input_file.h"
#include "tools/files/output_file.h"
#include "tools/kit/kit_file.h"
#include "tools/kit/kit_template.h"
#include "tools/cli/tool_command.h"

namespace tools::kit {
namespace {

namespace fs = std::filesystem;

// Writes the default kit; a file already there is a group's work and is left alone.
int new_kit(const std::string& path) {
  std::error_code error;
  if (path != standard_stream_path && fs::exists(fs::symlink_status(path, error))) {
    std::fprintf(stderr, "zarn-tool kit new: %s exists already; kit new does not write over it\n", path.c_str());
    return exit_failure;
  }
  const std::string text = default_kit_text();
  std::string failure;
  if (!write_file_bytes(path, {text.begin(), text.end()}, failure)) {
    std::fprintf(stderr, "zarn-tool kit new: %s\n", failure.c_str());
    return exit_failure;
  }
  // With the kit on standard output, standard output holds the kit alone.
  std::fprintf(path == standard_stream_path ? stderr : stdout,
               "%s: the default set's kit; edit it, then: zarn-tool kit build %s OUTDIR\n", path.c_str(),
               shell_quoted(path).c_str());
  return exit_ok;
}

struct BuildRequest {
  std::string kit;
  std::string out;
};

// Why the kit may not be built into `out`, or empty: the build would write over one of its own inputs,
// the kit file among them, which its folder or one that holds an input would risk.
std::string output_problem(const fs::path& out, const Kit& kit) {
  const auto resolved = resolved_path(out);
  const std::string shown = cut_for_message(out.string());
  if (!resolved) return "cannot tell where " + shown + " lies";
  const fs::path& folder = *resolved;
  if (folder == kit.inputs.front().parent_path()) {
    return shown + " is the kit's own folder; build into another one, so that no input is written over";
  }
  for (const fs::path& input : kit.inputs) {
    if (input.parent_path() == folder) {
      return shown + " holds " + cut_for_message(input.filename().string()) +
             ", which the kit reads; build into another folder, so that no input is written over";
    }
  }
  return {};
}

int build_kit(const BuildRequest& request) {
  KitProblem problem;
  const auto kit = read_kit(request.kit, stdout, problem);
  if (!kit) {
    std::fprintf(stderr, "zarn-tool kit build: %s\n", problem_line(request.kit, problem).c_str());
    return exit_usage;
  }
  if (const std::string problem = output_problem(request.out, *kit); !problem.empty()) {
    std::fprintf(stderr, "zarn-tool kit build: %s\n", problem.c_str());
    return exit_usage;
  }
  if (!assets::generate_assets(request.out, kit->recipe, stdout, "zarn-tool kit build")) return exit_failure;
  std::printf("next: zarn-tool check %s\n", shell_quoted(request.out).c_str());
  return exit_ok;
}

void define_new(CLI::App& kit, CommandRun& run) {
  CLI::App* command = kit.add_subcommand("new", "writes a commented kit describing the default set, to edit");
  auto path = std::make_shared<std::string>();
  command->add_option("KIT.toml", *path, "the kit file to write (not over an existing one)")->required();
  run_on_request(*command, run, path, new_kit);
}

void define_build(CLI::App& kit, CommandRun& run) {
  CLI::App* command = kit.add_subcommand("build", "makes the whole asset folder the intro reads from a kit");
  auto request = std::make_shared<BuildRequest>();
  command->add_option("KIT.toml", request->kit, "the kit file")->required();
  command->add_option("OUTDIR", request->out, "the folder to make the files in")->required();
  run_on_request(*command, run, request, build_kit);
}

void define_kit(CLI::App& command, CommandRun& run) {
  command.require_subcommand(1);
  define_new(command, run);
  define_build(command, run);
}

}  // namespace

const Command kit_command = {"kit", "writes a group's kit file, or builds the intro's asset folder from one",
                             define_kit};

}  // namespace tools::kit
