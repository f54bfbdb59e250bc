// zarn-tool xm: looks into XM modules with the program's own loader.
#pragma once

#include "tools/cli/tool_command.h"

namespace tools {

extern const Command xm_command;


}  // namespace tools
