// zarn-tool kit: a group's kit file, written to start from and built into the intro's asset folder.
#pragma once

#include "tools/cli/tool_command.h"

namespace tools::kit {

extern const Command kit_command;

}  // namespace tools::kit
