// zarn-tool: the tools around the intro, one subcommand each.
#include "tools/assets/asset_set.h"
#include "tools/command_line.h"
#include "tools/folder_check.h"
#include "tools/import_tool.h"
#include "tools/kit/kit_tool.h"
#include "tools/nfo_tool.h"
#include "tools/obj_tool.h"
#include "tools/preview.h"
#include "tools/record.h"
#include "tools/xm.h"
#include "tools/xm_play.h"
#include "platform/headless/sound_card.h"

namespace {

const tools::Command commands[] = {
    tools::assets::assets_command, tools::nfo_command,    tools::preview_command, tools::record_command,
    tools::obj_command,            tools::xm_command,     tools::kit::kit_command, tools::import_command,
    tools::check_command,
};

}  // namespace

int main(int argc, char** argv) {
  tools::set_sound_card(platform::headless::load_sound_card);
  return tools::run_zarn_tool(commands, argc, argv);
}
