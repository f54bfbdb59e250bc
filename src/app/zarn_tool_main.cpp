// zarn-tool: the tools around the intro, one subcommand each.
#include "tools/assets/assets_command.h"
#include "tools/cli/command_line.h"
#include "tools/kit/check_command.h"
#include "tools/kit/import_command.h"
#include "tools/kit/kit_command.h"
#include "tools/nfo/nfo_command.h"
#include "tools/object/obj_command.h"
#include "tools/capture/preview_command.h"
#include "tools/capture/record_command.h"
#include "tools/xm/xm_command.h"
#include "tools/xm/xm_play.h"
#include "platform/sdl/sdl_audio_module_loader.h"

namespace {

const tools::Command commands[] = {
    tools::assets::assets_command, tools::nfo_command,    tools::preview_command, tools::record_command,
    tools::obj_command,            tools::xm_command,     tools::kit::kit_command, tools::import_command,
    tools::check_command,
};

}  // namespace

int main(int argc, char** argv) {
  tools::set_sound_card(platform::sdl::load_sdl_audio_module);
  return tools::run_zarn_tool(commands, argc, argv);
}
