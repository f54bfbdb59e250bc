// zarn-tool assets OUTDIR: the default asset set, made from scratch.
#include "tools/assets/assets_command.h"

#include <cstdio>
#include <memory>
#include <string>

#include "tools/assets/asset_set.h"
#include "tools/cli/command_line.h"

namespace tools::assets {

namespace {

int make_assets(const std::string& folder) { return generate_assets(folder, {}, stdout) ? exit_ok : exit_failure; }

void define_assets(CLI::App& command, CommandRun& run) {
  auto folder = std::make_shared<std::string>();
  command.add_option("OUTDIR", *folder, "the folder to make them in")->required();
  run_on_request(command, run, folder, make_assets);
}

}  // namespace

const Command assets_command = {"assets", "makes the default asset set (pictures, fonts, script, object, NFO)",
                                define_assets};

}  // namespace tools::assets
