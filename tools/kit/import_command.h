// zarn-tool import: a group's own picture or 3D model made into the file the intro reads.
#pragma once

#include "tools/cli/tool_command.h"

namespace tools {

extern const Command import_command;

}  // namespace tools
